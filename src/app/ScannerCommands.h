#pragma once
// Select Source and Acquire of the File menu. The scanner itself is reached through TScannerAccess;
// the one installed by default answers that no scanner support is available.
//
// An acquired picture passes to a new image window through a ".BMP" file created exclusively in
// the run's private folder, which is deleted in every case.
#include <functional>
#include <memory>
#include <string>

#include "platform/Bitmap.h"
#include "platform/MessageBox.h"

class TScannerAccess
{
public:
    virtual ~TScannerAccess() = default;
    virtual bool Available() { return false; }
    // Shows the source selection; true when a source was chosen.
    virtual bool SelectSource(TWindowHandle /*parent*/) { return false; }
    // One picture from the selected source (every pixel type allowed); nullptr when none came back.
    // Failures raise.
    virtual std::unique_ptr<TBitmap> AcquireNative(TWindowHandle /*parent*/) { return nullptr; }
};

// The scanner in use (never nullptr); SetScannerAccess(nullptr) restores the default and returns
// the previous one.
TScannerAccess& ScannerAccess();
TScannerAccess* SetScannerAccess(TScannerAccess* access);

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
