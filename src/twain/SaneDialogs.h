#pragma once
// The dialogs of the SANE-backed source manager, behind an interface: the GUI shows them with Qt
// (twain/ui/), tests script them. Every call is made on the main thread.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

struct TSaneDevice
{
    std::string Name; // "backend:device"
    std::string Vendor;
    std::string Model;
    std::string Type;
};

// What the user asks the source dialog to scan.
struct TScanRequest
{
    std::string Mode;        // one of the device's modes
    double Resolution = 0;   // dots per inch
    bool Feeder = false;     // the document feeder instead of the flatbed
};

struct TSourceDialogSetup
{
    std::string Title;              // the device
    std::vector<std::string> Modes; // as the device names them
    double MinResolution = 0;
    double MaxResolution = 0;
    bool HasFeeder = false;
    TScanRequest Current;
};

// The manager's side of an open source dialog.
class ISaneSourceDialogClient
{
public:
    virtual ~ISaneSourceDialogClient() = default;
    virtual void Scan(const TScanRequest& request) = 0; // starts a scan unless one runs
    virtual void CancelScan() = 0;
    virtual void CloseRequest() = 0; // the user closes the dialog
};

// An open source dialog; destroying it closes the dialog.
class ISaneSourceDialog
{
public:
    virtual ~ISaneSourceDialog() = default;
    virtual void ScanStarted() = 0;
    virtual void SetProgress(int percent) = 0; // 0..100; -1 when the length is not known
    // The scan ended; errorText is empty for a whole picture or a cancel, else the device's reason.
    virtual void ScanEnded(const std::string& errorText) = 0;
};

class ISaneDialogs
{
public:
    virtual ~ISaneDialogs() = default;
    // Modal list of the devices with one preselected; the chosen index or std::nullopt on cancel.
    // An empty list is shown too, saying that no scanner was found.
    virtual std::optional<size_t> SelectSource(TWindowHandle parent, const std::vector<TSaneDevice>& devices,
                                               size_t preselected) = 0;
    // A top-level dialog, transient for the parent when there is one; nullptr when it cannot be made.
    virtual std::unique_ptr<ISaneSourceDialog> OpenSourceDialog(TWindowHandle parent,
                                                                const TSourceDialogSetup& setup,
                                                                ISaneSourceDialogClient& client) = 0;
};
