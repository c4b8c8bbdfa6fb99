#pragma once
// Select Source and Acquire of the File menu. The scanner itself is reached through TScannerAccess;
// the default one is the program's acquisition (twain/), which answers "not available" until a
// source manager loader is installed; tests install their own.
//
// An acquired picture passes to a new image window through a ".BMP" file created exclusively in
// the run's private folder, which is deleted in every case.
#include <functional>
#include <memory>
#include <string>

#include "platform/MessageBox.h"

// A picture as it came from the scanner; freed with the object.
class TAcquiredPicture
{
public:
    virtual ~TAcquiredPicture() = default;
    // Writes it as a bitmap file; raises on failure.
    virtual void WriteBitmapFile(const std::string& path) = 0;
};

class TScannerAccess
{
public:
    virtual ~TScannerAccess() = default;
    virtual bool Available();
    // Shows the source selection; true when a source was chosen.
    virtual bool SelectSource(TWindowHandle parent);
    // One picture from the selected source (every pixel type allowed); nullptr when none came back.
    // Failures raise.
    virtual std::unique_ptr<TAcquiredPicture> AcquireNative(TWindowHandle parent);
};

// The scanner in use (never nullptr); SetScannerAccess(nullptr) restores the default and returns
// the previous one.
TScannerAccess& ScannerAccess();
TScannerAccess* SetScannerAccess(TScannerAccess* access);

// At program start, once the source manager loader is installed: when a scanner's source manager
// is there, registers the program's identity with it (name, version, maker). Nothing here is
// reported; the scanner commands report for themselves.
void RegisterScannerIdentity();

class TScannerCommands
{
public:
    // A source was chosen since the program started.
    bool SourceSelected = false;
    TWindowHandle Owner = nullptr;
    // Opens a new image window on the file (the acquired picture).
    std::function<void(const std::string& path)> OpenFile;
    // Brings the main window to the front and repaints it after the scanner's own dialogs.
    std::function<void()> BringToFront;

    void SelectSource();
    // Without a chosen source, runs Select Source instead and acquires nothing.
    void Acquire();

private:
    void AcquireImage();
};
