#include "twain/TwainAcquire.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "twain/TwainDibWriter.h"
#include "twain/TwainMemory.h"

namespace {

struct TSession
{
    int State = 1;
    int Availability = 0; // 0 not yet known, 1 present, -1 absent
    std::unique_ptr<ITwainSourceManager> Manager;
    TW_IDENTITY AppId{};
    TW_IDENTITY SourceId{};
    TWindowHandle ParentWindow = nullptr;
    TW_USERINTERFACE UserInterface{};
    TW_PENDINGXFERS PendingXfers{};
    TW_HANDLE AcquiredDib = nullptr;
    bool HideUI = false;
    TW_UINT16 LastRC = TWRC_SUCCESS;
    TTwainErrorRecord Error;
};

TW_IDENTITY DefaultAppIdentity()
{
    TW_IDENTITY id{};
    id.Version.MajorNum = 1;
    id.Version.MinorNum = 0;
    id.Version.Language = 13;
    id.Version.Country = 1;
    TwainSetText(id.Version.Info, "<?>");
    id.ProtocolMajor = 1;
    id.ProtocolMinor = 6;
    id.SupportedGroups = DG_CONTROL_AND_IMAGE;
    TwainSetText(id.Manufacturer, "<?>");
    TwainSetText(id.ProductFamily, "<?>");
    TwainSetText(id.ProductName, "<?>");
    return id;
}

TSession& S()
{
    static TSession session = [] {
        TSession s;
        s.AppId = DefaultAppIdentity();
        return s;
    }();
    return session;
}

bool IsWindow(TWindowHandle window)
{
    if (window == nullptr) return false;
    ITwainWindowHost* host = TwainWindowHost();
    return host == nullptr || host->IsWindow(window);
}

void EnableWindow(TWindowHandle window, bool enable)
{
    ITwainWindowHost* host = TwainWindowHost();
    if (window != nullptr && host != nullptr) host->EnableWindow(window, enable);
}

bool QuitRequested()
{
    ITwainWindowHost* host = TwainWindowHost();
    return host != nullptr && host->QuitRequested();
}

// Bit n of the mask stands for pixel type n; types beyond the mask's 32 bits are never in it.
bool InMask(uint32_t mask, uint32_t pixelType) { return pixelType < 32 && ((mask >> pixelType) & 1u) != 0; }


} // namespace

// ---------------------------------------------------------------- calls

int TWAIN_CallSourceManager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    TSession& s = S();
    s.LastRC = TWRC_FAILURE;
    if (s.Manager) s.LastRC = s.Manager->Entry(&s.AppId, nullptr, dg, dat, msg, data);
    return s.LastRC == TWRC_SUCCESS ? 1 : 0;
}

int TWAIN_CallSource(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    TSession& s = S();
    s.LastRC = TWRC_FAILURE;
    if (s.Manager) s.LastRC = s.Manager->Entry(&s.AppId, &s.SourceId, dg, dat, msg, data);
    return s.LastRC == TWRC_SUCCESS ? 1 : 0;
}

// ---------------------------------------------------------------- states

int TWAIN_LoadSourceManager()
{
    TSession& s = S();
    if (s.State >= 2) return 1;
    ITwainManagerLoader* loader = TwainManagerLoader();
    std::unique_ptr<ITwainSourceManager> manager = loader != nullptr ? loader->Load() : nullptr;
    if (!manager) return 0;
    s.Manager = std::move(manager);
    s.State = 2;
    s.Availability = 1;
    return 1;
}

int TWAIN_OpenSourceManager(TWindowHandle parent)
{
    TSession& s = S();
    if (!TWAIN_LoadSourceManager()) return 0;
    if (s.State == 2) {
        s.ParentWindow = parent;
        TWindowHandle handle = parent;
        if (TWAIN_CallSourceManager(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &handle)) s.State = 3;
    }
    return s.State >= 3 ? 1 : 0;
}

int TWAIN_OpenDefaultSource()
{
    TSession& s = S();
    if (s.State == 3) {
        s.SourceId = TW_IDENTITY{}; // Id 0 and no product name: the manager's default source
        if (TWAIN_CallSourceManager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &s.SourceId)) s.State = 4;
    }
    if (s.State != 4) {
        TWAIN_RecordError(4);
        return 0;
    }
    return 1;
}

int TWAIN_EnableSource(TWindowHandle parent)
{
    TSession& s = S();
    if (s.State == 4) {
        s.UserInterface.ShowUI = s.HideUI ? 0 : 1;
        s.UserInterface.ModalUI = 0;
        s.UserInterface.hParent = parent;
        TWAIN_CallSource(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &s.UserInterface);
        if (s.LastRC != TWRC_FAILURE) s.State = 5;
    }
    if (s.State != 5) {
        TWAIN_RecordError(5);
        return 0;
    }
    return 1;
}

int TWAIN_DisableSource()
{
    TSession& s = S();
    if (s.State == 5 && TWAIN_CallSource(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &s.UserInterface))
        s.State = 4;
    return s.State <= 4 ? 1 : 0;
}

int TWAIN_CloseSource()
{
    TSession& s = S();
    s.LastRC = TWRC_SUCCESS;
    if (s.State == 5) TWAIN_DisableSource();
    if (s.State == 4 && TWAIN_CallSourceManager(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &s.SourceId))
        s.State = 3;
    return s.State <= 3 ? 1 : 0;
}

int TWAIN_CloseSourceManager(TWindowHandle parent)
{
    TSession& s = S();
    s.LastRC = TWRC_SUCCESS;
    TWAIN_CloseSource();
    if (s.State >= 2 && s.State <= 3) {
        TWindowHandle handle = parent;
        if (TWAIN_CallSourceManager(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &handle)) s.State = 2;
    }
    return s.State <= 2 ? 1 : 0;
}

int TWAIN_UnloadSourceManager()
{
    TSession& s = S();
    if (s.State == 2) {
        s.Manager.reset();
        s.State = 1;
    }
    return s.State <= 1 ? 1 : 0;
}

void TWAIN_NativeTransfer()
{
    TSession& s = S();
    if (s.State == 6) {
        TW_HANDLE dib = nullptr;
        TWAIN_CallSource(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib);
        if (s.LastRC == TWRC_XFERDONE) {
            s.State = 7;
            s.AcquiredDib = dib;
        } else {
            s.State = s.LastRC == TWRC_CANCEL ? 7 : 6;
            s.AcquiredDib = nullptr;
        }
    }
    TWAIN_EndTransfer();
}

void TWAIN_EndTransfer()
{
    TSession& s = S();
    if (s.State == 7 && TWAIN_CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &s.PendingXfers))
        s.State = s.PendingXfers.Count != 0 ? 6 : 5;
    // One picture per acquisition: whatever else the source holds is dropped.
    if (s.State == 6 && TWAIN_CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &s.PendingXfers))
        s.State = 5;
}

// ---------------------------------------------------------------- the modal loop

bool TWAIN_MessageHook(const TTwainEvent* event)
{
    TSession& s = S();
    if (s.State < 5) return false;
    TW_EVENT twEvent{const_cast<TTwainEvent*>(event), MSG_NULL};
    TWAIN_CallSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &twEvent);
    const bool consumed = s.LastRC == TWRC_DSEVENT;
    switch (twEvent.TWMessage) {
    case MSG_XFERREADY:
        s.State = 6;
        TWAIN_NativeTransfer();
        break;
    case MSG_CLOSEDSREQ:
        TWAIN_DisableSource();
        break;
    default:
        break;
    }
    return consumed;
}

void TWAIN_ModalEventLoop()
{
    TSession& s = S();
    while (s.State >= 5 && s.AcquiredDib == nullptr) {
        if (QuitRequested()) break;
        TTwainEvent event;
        if (TwainTakeEvent(event))
            TWAIN_MessageHook(&event);
        else
            TwainWaitForEvents(100);
    }
}

// ---------------------------------------------------------------- negotiation

namespace {

// Cuts a list of 16-bit pixel types down to those in the mask, ascending; the number kept.
uint32_t KeepMaskedTypes(TW_UINT8* items, uint32_t count, uint32_t mask)
{
    std::vector<TW_UINT16> kept;
    for (uint32_t i = 0; i < count; ++i) {
        TW_UINT16 v;
        std::memcpy(&v, items + 2 * size_t(i), 2);
        if (InMask(mask, v)) kept.push_back(v);
    }
    std::sort(kept.begin(), kept.end());
    if (!kept.empty()) std::memcpy(items, kept.data(), kept.size() * 2);
    return uint32_t(kept.size());
}

// Checks and cuts down a list container in its block; an error code or 0.
int CutListContainer(TW_UINT16 conType, void* p, size_t blockSize, uint32_t mask)
{
    const uint32_t header = conType == TWON_ENUMERATION ? TW_ENUMERATION_HEADER : TW_ARRAY_HEADER;
    if (blockSize < header) return 9;
    TW_UINT16 itemType;
    TW_UINT32 count;
    std::memcpy(&itemType, p, 2);
    std::memcpy(&count, static_cast<char*>(p) + 2, 4);
    if (count == 0) return 12;
    if (itemType != TWTY_UINT16 && itemType != TWTY_INT16) return 11;
    if (uint64_t(count) * 2 > blockSize - header) return 9; // the items would lie outside the block
    const uint32_t kept = KeepMaskedTypes(static_cast<TW_UINT8*>(p) + header, count, mask);
    if (kept == 0) return 13;
    std::memcpy(static_cast<char*>(p) + 2, &kept, 4);
    if (conType == TWON_ENUMERATION) {
        const TW_UINT32 none = 0xFFFFFFFFu;
        std::memcpy(static_cast<char*>(p) + 6, &none, 4);
        std::memcpy(static_cast<char*>(p) + 10, &none, 4);
    }
    return 0;
}

} // namespace

int TWAIN_NegotiatePixelTypes(uint32_t pixelMask)
{
    TSession& s = S();
    if (s.State != 4) {
        TWAIN_RecordError(7);
        return 0;
    }
    if (pixelMask == 0) return 1;
    TW_CAPABILITY cap{ICAP_PIXELTYPE, TWON_DONTCARE16, nullptr};
    if (!TWAIN_CallSource(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap)) {
        TWAIN_RecordError(2);
        return 0;
    }
    if (cap.hContainer == nullptr) {
        TWAIN_RecordError(8);
        return 0;
    }
    int error = 0;
    void* p = TwainLockBlock(cap.hContainer);
    const size_t blockSize = TwainBlockSize(cap.hContainer);
    if (p == nullptr) {
        error = 9;
    } else if (cap.ConType == TWON_ENUMERATION || cap.ConType == TWON_ARRAY) {
        error = CutListContainer(cap.ConType, p, blockSize, pixelMask);
        if (error == 0 && !TWAIN_CallSource(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap)) error = 3;
    } else if (cap.ConType == TWON_ONEVALUE) {
        TW_ONEVALUE one{};
        if (blockSize < sizeof one)
            error = 9;
        else {
            std::memcpy(&one, p, sizeof one);
            if (!InMask(pixelMask, one.Item)) error = 13;
        }
    } else {
        error = 10;
    }
    TwainFreeBlock(cap.hContainer);
    if (error != 0) {
        TWAIN_RecordError(error);
        return 0;
    }
    return 1;
}

// ---------------------------------------------------------------- capabilities

int TWAIN_SetCapOneValue(TW_UINT16 capId, TW_UINT16 itemType, TW_UINT32 value)
{
    if (S().State != 4) {
        TWAIN_ErrorBox("Attempt to set capability outside State 4.");
        return 0;
    }
    TW_HANDLE block = TwainOneValueBlock(itemType, value);
    if (block == nullptr) {
        TWAIN_ErrorBox("Insufficient Memory");
        return 0;
    }
    TW_CAPABILITY cap{capId, TWON_ONEVALUE, block};
    const int ok = TWAIN_CallSource(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
    TwainFreeBlock(block);
    return ok;
}

TW_FIX32 TWAIN_ToFix32(double value)
{
    const int32_t v = int32_t(value * 65536.0 + 0.5);
    TW_FIX32 fix;
    fix.Whole = TW_INT16(v >> 16);
    fix.Frac = TW_UINT16(v & 0xFFFF);
    return fix;
}

int TWAIN_SetXferCount(TW_INT16 count)
{
    return TWAIN_SetCapOneValue(CAP_XFERCOUNT, TWTY_INT16, TW_UINT16(count));
}
int TWAIN_SetCurrentUnits(TW_UINT16 units) { return TWAIN_SetCapOneValue(ICAP_UNITS, TWTY_UINT16, units); }
int TWAIN_SetBitDepth(TW_UINT16 bits) { return TWAIN_SetCapOneValue(ICAP_BITDEPTH, TWTY_UINT16, bits); }
int TWAIN_SetCurrentPixelType(TW_UINT16 pixelType)
{
    return TWAIN_SetCapOneValue(ICAP_PIXELTYPE, TWTY_UINT16, pixelType);
}
int TWAIN_SetCurrentResolution(double dpi)
{
    const TW_FIX32 fix = TWAIN_ToFix32(dpi);
    TW_UINT32 item;
    std::memcpy(&item, &fix, sizeof item);
    return TWAIN_SetCapOneValue(ICAP_XRESOLUTION, TWTY_FIX32, item);
}

// ---------------------------------------------------------------- the program's calls

int TWAIN_IsAvailable()
{
    TSession& s = S();
    if (s.State >= 2) return 1;
    if (s.Availability == 0) {
        if (TWAIN_LoadSourceManager())
            TWAIN_UnloadSourceManager();
        else
            s.Availability = -1;
    }
    return s.Availability == 1 ? 1 : 0;
}

void TWAIN_SetAppIdentity(TW_UINT16 major, TW_UINT16 minor, TW_UINT16 language, TW_UINT16 country,
                          const std::string& version, const std::string& manufacturer,
                          const std::string& family, const std::string& product)
{
    TW_IDENTITY& id = S().AppId;
    id.Id = 0;
    id.Version.MajorNum = major;
    id.Version.MinorNum = minor;
    id.Version.Language = language;
    id.Version.Country = country;
    TwainSetText(id.Version.Info, version);
    id.ProtocolMajor = 1;
    id.ProtocolMinor = 6;
    id.SupportedGroups = DG_CONTROL_AND_IMAGE;
    TwainSetText(id.Manufacturer, manufacturer);
    TwainSetText(id.ProductFamily, family);
    TwainSetText(id.ProductName, product);
}

int TWAIN_SelectImageSource(TWindowHandle parent)
{
    if (parent != nullptr && !IsWindow(parent)) {
        TWAIN_ErrorBox("TWAIN_SelectImageSource: window handle is invalid");
        return 0;
    }
    int chosen = 0;
    if (!TWAIN_LoadSourceManager()) {
        TWAIN_ErrorBox("Unable to load Source Manager (TWAIN_32.DLL)");
    } else if (!TWAIN_OpenSourceManager(parent)) {
        TWAIN_ErrorBox("Unable to open Source Manager (TWAIN_32.DLL)");
    } else {
        TW_IDENTITY choice{};
        chosen = TWAIN_CallSourceManager(DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &choice);
    }
    TWAIN_CloseSourceManager(parent);
    TWAIN_UnloadSourceManager();
    return chosen;
}

TW_HANDLE TWAIN_AcquireNative(TWindowHandle parent, uint32_t pixelMask)
{
    TSession& s = S();
    s.AcquiredDib = nullptr;
    TWAIN_ClearError();
    TwainClearEvents();
    // Without a parent window the source's dialog has no owner.
    if (!IsWindow(parent)) parent = nullptr;

    bool ready = false;
    if (!TWAIN_LoadSourceManager())
        TWAIN_ErrorBox("Unable to load Source Manager (TWAIN_32.DLL)");
    else if (!TWAIN_OpenSourceManager(parent))
        TWAIN_ErrorBox("Unable to open Source Manager (TWAIN_32.DLL)");
    else if (!TWAIN_OpenDefaultSource()) {
        // A manager that let the user choose the source again (the default one had gone) answers a
        // cancel: the user's own choice, which needs no box.
        if (s.Error.ErrorRC != TWRC_CANCEL) TWAIN_ReportLastError("Unable to open default Data Source.");
    } else if (!TWAIN_NegotiatePixelTypes(pixelMask))
        TWAIN_ReportLastError("Failed to negotiate Pixel Type.");
    else if (!TWAIN_EnableSource(parent))
        TWAIN_ReportLastError("Failed to enable Data Source.");
    else
        ready = true;

    if (ready) {
        EnableWindow(parent, false);
        TWAIN_ModalEventLoop();
        EnableWindow(parent, true);
    }

    TWAIN_DisableSource();
    TWAIN_CloseSource();
    TWAIN_CloseSourceManager(parent);
    TWAIN_UnloadSourceManager();
    TwainClearEvents();
    return s.AcquiredDib;
}

void TWAIN_FreeNative(TW_HANDLE dib) { TwainFreeBlock(dib); }

int TWAIN_AcquireToFile(TWindowHandle parent, const std::string& fileName)
{
    TW_HANDLE dib = TWAIN_AcquireNative(parent, 0);
    if (dib == nullptr) return -1;
    const int result = TWAIN_WriteNativeToFile(dib, fileName);
    TWAIN_FreeNative(dib);
    return result;
}

int TWAIN_State() { return S().State; }
int TWAIN_GetHideUI() { return S().HideUI ? 1 : 0; }
void TWAIN_SetHideUI(int hide) { S().HideUI = hide != 0; }
int TWAIN_UnitVersion() { return 106; }

int TWAIN_BitCount(uint32_t value) { return std::popcount(value); }

// ---------------------------------------------------------------- errors

void TWAIN_ClearError() { S().Error = TTwainErrorRecord{}; }

TW_UINT16 TWAIN_ConditionCode()
{
    TSession& s = S();
    if (s.State < 3) return TWCC_SEQERROR;
    TW_STATUS status{TWCC_SUCCESS, 0};
    const int ok = s.State >= 4 ? TWAIN_CallSource(DG_CONTROL, DAT_STATUS, MSG_GET, &status)
                                : TWAIN_CallSourceManager(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    return ok ? status.ConditionCode : TWCC_BUMMER;
}

void TWAIN_RecordError(int code)
{
    TSession& s = S();
    if (s.Error.ErrorCode != 0) return;
    s.Error.ErrorCode = code;
    if (code >= 2 && code <= 5) {
        s.Error.ErrorRC = s.LastRC;
        s.Error.ErrorCC = TWAIN_ConditionCode();
    } else {
        s.Error.ErrorRC = 0;
        s.Error.ErrorCC = 0;
    }
}

void TWAIN_ReportLastError(const std::string& text)
{
    const TTwainErrorRecord& e = S().Error;
    std::string message = text + "\n" + TwainErrorText(e.ErrorCode);
    if (e.ErrorCode >= 2 && e.ErrorCode <= 5)
        message +=
            "\nRC:   " + TwainReturnCodeName(e.ErrorRC) + "\nCC:   " + TwainConditionCodeName(e.ErrorCC);
    TWAIN_ErrorBox(message);
}

void TWAIN_ErrorBox(const std::string& text)
{
    CurrentMessageBox().Show(nullptr, TMsgKind::mkWarning, "TWAIN Error", text);
}

TTwainErrorRecord TwainLastError() { return S().Error; }
TW_UINT16 TwainLastRC() { return S().LastRC; }
const TW_IDENTITY& TwainAppIdentity() { return S().AppId; }

void TwainResetSession()
{
    TSession& s = S();
    s.Manager.reset();
    s = TSession{};
    s.AppId = DefaultAppIdentity();
    TwainClearEvents();
}
