#include "app/ScannerCommands.h"

#include <filesystem>

#include "common/CommLib.h"
#include "common/StrRes.h"
#include "platform/Exceptions.h"
#include "twain/TwainAcquire.h"
#include "twain/TwainDibWriter.h"

namespace {

// No pixel-type mask: nothing is negotiated, every type the source offers is allowed.
constexpr uint32_t KAllPixelTypes = 0;

// The program's version as a number (major, minor and release digits) and the identity's locale:
// English, USA.
constexpr int KVersionNumber = 420;
constexpr TW_UINT16 KLanguageEnglish = 2;
constexpr TW_UINT16 KCountryUsa = 1;

class TNativePicture : public TAcquiredPicture
{
public:
    explicit TNativePicture(TW_HANDLE dib) : FDib(dib) {}
    ~TNativePicture() override { TWAIN_FreeNative(FDib); }
    void WriteBitmapFile(const std::string& path) override
    {
        if (TWAIN_WriteNativeToFile(FDib, path) != 0) throw EWriteError("Cannot write " + path);
    }

private:
    TW_HANDLE FDib;
};

TScannerAccess gProgramScanner;
TScannerAccess* gScanner = nullptr;

} // namespace

bool TScannerAccess::Available() { return TWAIN_IsAvailable() != 0; }

bool TScannerAccess::SelectSource(TWindowHandle parent) { return TWAIN_SelectImageSource(parent) == 1; }

std::unique_ptr<TAcquiredPicture> TScannerAccess::AcquireNative(TWindowHandle parent)
{
    TW_HANDLE dib = TWAIN_AcquireNative(parent, KAllPixelTypes);
    if (!dib) return nullptr;
    return std::make_unique<TNativePicture>(dib);
}

TScannerAccess& ScannerAccess() { return gScanner ? *gScanner : gProgramScanner; }

TScannerAccess* SetScannerAccess(TScannerAccess* access)
{
    TScannerAccess* previous = gScanner;
    gScanner = access;
    return previous;
}

void RegisterScannerIdentity()
{
    try {
        if (TWAIN_IsAvailable() != 1) return;
        TWAIN_SetAppIdentity(TW_UINT16(KVersionNumber / 100), TW_UINT16(KVersionNumber % 100 / 10), KLanguageEnglish,
                             KCountryUsa, SProductVersion, SMakerWebDomain, SProductFamily, SProductName);
    } catch (...) {
        // The program starts without it; the scanner commands say what is wrong when used.
    }
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
    std::unique_ptr<TAcquiredPicture> picture;
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
        picture->WriteBitmapFile(path);
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
