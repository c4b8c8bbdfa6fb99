#include "app/ScannerCommands.h"

#include <filesystem>

#include "common/CommLib.h"
#include "common/StrRes.h"
#include "platform/BmpFile.h"

namespace {

TScannerAccess gNoScanner;
TScannerAccess* gScanner = nullptr;

} // namespace

TScannerAccess& ScannerAccess() { return gScanner ? *gScanner : gNoScanner; }

TScannerAccess* SetScannerAccess(TScannerAccess* access)
{
    TScannerAccess* previous = gScanner;
    gScanner = access;
    return previous;
}

void TScannerCommands::SelectSource()
{
    TScannerAccess& scanner = ScannerAccess();
    if (!scanner.Available()) {
        ShowWarning(Owner, STWAINNotInstalled);
        return;
    }
    SourceSelected = scanner.SelectSource(Owner);
}

void TScannerCommands::Acquire()
{
    if (!ScannerAccess().Available()) {
        ShowWarning(Owner, STWAINNotInstalled);
        return;
    }
    if (!SourceSelected) {
        SelectSource();
        return;
    }
    AcquireImage();
}

void TScannerCommands::AcquireImage()
{
    std::unique_ptr<TBitmap> picture;
    try {
        picture = ScannerAccess().AcquireNative(Owner);
    } catch (const std::exception&) {
        if (BringToFront) BringToFront();
        ShowWarning(Owner, SUnableToAcquire);
        return;
    }
    if (BringToFront) BringToFront();
    if (!picture) return;
    std::string path;
    try {
        path = GetTempFileWithExt(".BMP");
        SaveBmpToFile(*picture, path);
        picture.reset();
        if (OpenFile) OpenFile(path);
    } catch (const std::exception&) {
        ShowWarning(Owner, std::string(SCannotWriteAcquiredImage) + "\r\n" + path);
    }
    if (!path.empty()) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
}
