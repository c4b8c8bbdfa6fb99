#include "twain/SaneSourceManager.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>

#include "platform/Exceptions.h"
#include "platform/MainThread.h"
#include "twain/SaneDib.h"
#include "twain/SaneLibrary.h"
#include "twain/SaneOptions.h"
#include "twain/SaneThread.h"
#include "twain/TwainAcquire.h"
#include "twain/TwainMemory.h"

namespace {

std::mutex gTestOptionsMutex;
std::vector<std::pair<std::string, std::string>> gTestOptions;

std::vector<std::pair<std::string, std::string>> TestOptions()
{
    std::lock_guard<std::mutex> lock(gTestOptionsMutex);
    return gTestOptions;
}

constexpr const char* SettingsGroup = "TWAIN";
constexpr const char* DefaultSourceValue = "DefaultSource";
constexpr const char* LineartMode = "Lineart";

// How a scan ended, handed from the manager's thread to the transfer.
struct TScanResult
{
    TW_HANDLE Dib = nullptr;
    bool Cancelled = false;
    bool OutOfMemory = false;
    bool NoDocuments = false;
    std::string ErrorText;
};

class TSaneSourceManager : public ITwainSourceManager, private ISaneSourceDialogClient
{
public:
    TSaneSourceManager(std::unique_ptr<TSaneLibrary> lib, ISaneDialogs* dialogs, TSettingsStore* settings)
        : FLib(std::move(lib)), FDialogs(dialogs), FSettings(settings),
          FThread(std::make_unique<TSaneThread>())
    {
    }
    ~TSaneSourceManager() override;

    TW_UINT16 Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                    TW_MEMREF data) override;

private:
    TW_UINT16 Fail(TW_UINT16 cc)
    {
        FLastCC = cc;
        return TWRC_FAILURE;
    }
    TW_UINT16 Control(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    TW_UINT16 OpenManager();
    TW_UINT16 CloseManager();
    TW_UINT16 UserSelect(TW_IDENTITY* identity);
    TW_UINT16 OpenSource(TW_IDENTITY* identity);
    TW_UINT16 CloseSource();
    TW_UINT16 Enable(TW_USERINTERFACE* ui);
    TW_UINT16 Disable();
    TW_UINT16 ProcessEvent(TW_EVENT* event);
    TW_UINT16 NativeTransfer(TW_HANDLE* dib);
    TW_UINT16 PendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending);
    TW_UINT16 Capability(TW_UINT16 msg, TW_CAPABILITY* cap);
    TW_UINT16 GetCapability(TW_CAPABILITY* cap);
    TW_UINT16 SetCapability(TW_CAPABILITY* cap);

    bool ListDevices();
    std::string DefaultDevice();
    std::optional<size_t> FindDevice(const std::string& name) const;
    void FillIdentity(TW_IDENTITY& identity, size_t index);
    std::vector<TW_UINT16> PixelTypes() const;
    std::string ModeOf(TW_UINT16 pixelType) const;
    TW_UINT16 PixelTypeOf(const std::string& mode) const;
    TScanRequest CurrentRequest() const;

    // ISaneSourceDialogClient
    void Scan(const TScanRequest& request) override;
    void CancelScan() override;
    void CloseRequest() override;

    void StartScan(const TScanRequest& request);
    void ScanBody(const TScanRequest& request);
    std::string ApplyScanOptions(const TScanRequest& request);
    void ReportProgress(int percent);
    void PostScanEnd(); // MSG_XFERREADY, from the manager's thread
    void DropResult();

    std::unique_ptr<TSaneLibrary> FLib;
    ISaneDialogs* FDialogs;
    TSettingsStore* FSettings;
    std::unique_ptr<TSaneThread> FThread;
    std::shared_ptr<int> FAlive = std::make_shared<int>(0); // posted calls check it first

    TW_UINT16 FLastCC = TWCC_SUCCESS;
    bool FManagerOpen = false;
    TWindowHandle FParent = nullptr; // the window the manager was opened with, for its dialogs
    std::vector<TSaneDevice> FDevices;
    SANE_Handle FDevice = nullptr;
    std::string FDeviceName;
    TSaneDeviceOptions FOptions;
    bool FEnabled = false;
    bool FShowUI = false;
    std::unique_ptr<ISaneSourceDialog> FDialog;

    // capabilities
    TW_UINT16 FPixelType = TWPT_GRAY;
    double FResolution = 0;
    int FBitDepth = 8;
    TW_INT16 FXferCount = -1;

    // scanning and transfer
    std::atomic<bool> FScanning{false};
    std::atomic<bool> FCancel{false};
    std::atomic<bool> FFeeder{false}; // the last scan came from the document feeder
    std::mutex FResultMutex;
    TScanResult FResult;
    bool FXferReady = false;  // MSG_XFERREADY delivered, the transfer not yet asked for
    bool FTransferred = false; // the transfer was asked for, its end not yet confirmed
    TW_UINT16 FPending = 0;
};

TSaneSourceManager::~TSaneSourceManager()
{
    FAlive.reset();
    if (FScanning) CancelScan();
    FThread->WaitIdle();
    FDialog.reset();
    DropResult();
    FThread->Run([this] {
        if (FDevice != nullptr) FLib->close(FDevice);
        if (FManagerOpen) FLib->exit();
    });
    FThread.reset();
    FLib.reset(); // closes libsane: the next load reads its configuration again
}

TW_UINT16 TSaneSourceManager::Entry(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                     TW_MEMREF data)
{
    if (dg == DG_CONTROL) return Control(dat, msg, data);
    if (dg == DG_IMAGE && dat == DAT_IMAGENATIVEXFER && msg == MSG_GET)
        return data != nullptr ? NativeTransfer(static_cast<TW_HANDLE*>(data)) : Fail(TWCC_BADVALUE);
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 TSaneSourceManager::Control(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    if (dat == DAT_STATUS && msg == MSG_GET) {
        if (data == nullptr) return Fail(TWCC_BADVALUE);
        static_cast<TW_STATUS*>(data)->ConditionCode = FLastCC;
        FLastCC = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    if (dat == DAT_PARENT && msg == MSG_OPENDSM) {
        FParent = data != nullptr ? *static_cast<TWindowHandle*>(data) : nullptr;
        return OpenManager();
    }
    if (dat == DAT_PARENT && msg == MSG_CLOSEDSM) return CloseManager();
    if (dat == DAT_PARENT) return Fail(TWCC_BADPROTOCOL);
    if (data == nullptr) return Fail(TWCC_BADVALUE);
    switch (dat) {
    case DAT_IDENTITY:
        if (msg == MSG_USERSELECT) return UserSelect(static_cast<TW_IDENTITY*>(data));
        if (msg == MSG_OPENDS) return OpenSource(static_cast<TW_IDENTITY*>(data));
        if (msg == MSG_CLOSEDS) return CloseSource();
        break;
    case DAT_USERINTERFACE:
        if (msg == MSG_ENABLEDS) return Enable(static_cast<TW_USERINTERFACE*>(data));
        if (msg == MSG_DISABLEDS) return Disable();
        break;
    case DAT_EVENT:
        if (msg == MSG_PROCESSEVENT) return ProcessEvent(static_cast<TW_EVENT*>(data));
        break;
    case DAT_PENDINGXFERS:
        if (msg == MSG_ENDXFER || msg == MSG_RESET)
            return PendingTransfers(msg, static_cast<TW_PENDINGXFERS*>(data));
        break;
    case DAT_CAPABILITY:
        return Capability(msg, static_cast<TW_CAPABILITY*>(data));
    default:
        break;
    }
    return Fail(TWCC_BADPROTOCOL);
}

// ---------------------------------------------------------------- manager and sources

TW_UINT16 TSaneSourceManager::OpenManager()
{
    if (FManagerOpen) return Fail(TWCC_SEQERROR);
    SANE_Status status = SANE_STATUS_GOOD;
    FThread->Run([&] {
        SANE_Int version = 0;
        status = FLib->init(&version, nullptr);
    });
    if (status != SANE_STATUS_GOOD) return Fail(status == SANE_STATUS_NO_MEM ? TWCC_LOWMEMORY : TWCC_BUMMER);
    FManagerOpen = true;
    return TWRC_SUCCESS;
}

TW_UINT16 TSaneSourceManager::CloseManager()
{
    if (!FManagerOpen || FDevice != nullptr) return Fail(TWCC_SEQERROR);
    FThread->Run([this] { FLib->exit(); });
    FManagerOpen = false;
    FDevices.clear();
    return TWRC_SUCCESS;
}

bool TSaneSourceManager::ListDevices()
{
    FDevices.clear();
    FThread->Run([this] {
        const SANE_Device** list = nullptr;
        if (FLib->get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || list == nullptr) return;
        for (const SANE_Device** d = list; *d != nullptr; ++d) {
            const auto text = [](SANE_String_Const s) { return std::string(s != nullptr ? s : ""); };
            FDevices.push_back({text((*d)->name), text((*d)->vendor), text((*d)->model), text((*d)->type)});
        }
    });
    return !FDevices.empty();
}

std::string TSaneSourceManager::DefaultDevice()
{
    if (FSettings == nullptr) return {};
    try {
        std::unique_ptr<TSettingsStore> group = FSettings->OpenGroup(SettingsGroup);
        return group->ReadValue(DefaultSourceValue).value_or("");
    } catch (const Exception&) {
        return {};
    }
}

void TSaneSourceManager::FillIdentity(TW_IDENTITY& identity, size_t index)
{
    const TSaneDevice& d = FDevices[index];
    identity = TW_IDENTITY{};
    identity.Id = TW_UINT32(index + 1);
    identity.Version.MajorNum = 1;
    TwainSetText(identity.Version.Info, d.Type);
    identity.ProtocolMajor = 1;
    identity.ProtocolMinor = 9;
    identity.SupportedGroups = DG_CONTROL_AND_IMAGE;
    TwainSetText(identity.Manufacturer, d.Vendor);
    TwainSetText(identity.ProductFamily, d.Model);
    TwainSetText(identity.ProductName, d.Name);
}

// The device of the name; a name cut to an identity's 33 characters stands for every longer name
// it begins (the first of them). A shorter name must match whole: "test:1" is not "test:10".
std::optional<size_t> TSaneSourceManager::FindDevice(const std::string& name) const
{
    if (name.empty()) return std::nullopt;
    for (size_t i = 0; i < FDevices.size(); ++i)
        if (FDevices[i].Name == name) return i;
    if (name.size() < sizeof(TW_STR32) - 1) return std::nullopt;
    for (size_t i = 0; i < FDevices.size(); ++i)
        if (FDevices[i].Name.compare(0, name.size(), name) == 0) return i;
    return std::nullopt;
}

TW_UINT16 TSaneSourceManager::UserSelect(TW_IDENTITY* identity)
{
    if (!FManagerOpen) return Fail(TWCC_SEQERROR);
    // Without a device the dialog still comes up, saying so: a selection that shows nothing at all
    // would leave the user guessing.
    if (!ListDevices() && FDialogs == nullptr) return Fail(TWCC_NODS);
    const size_t preselected = FindDevice(DefaultDevice()).value_or(0);
    std::optional<size_t> chosen;
    if (FDialogs != nullptr) chosen = FDialogs->SelectSource(FParent, FDevices, preselected);
    if (!chosen || *chosen >= FDevices.size()) return TWRC_CANCEL;
    if (FSettings != nullptr) {
        try {
            FSettings->OpenGroup(SettingsGroup)->WriteValue(DefaultSourceValue, FDevices[*chosen].Name);
        } catch (const Exception&) {
            // The choice still holds for this session's identity; the settings keep the old one.
        }
    }
    FillIdentity(*identity, *chosen);
    return TWRC_SUCCESS;
}

TW_UINT16 TSaneSourceManager::OpenSource(TW_IDENTITY* identity)
{
    if (!FManagerOpen || FDevice != nullptr) return Fail(TWCC_SEQERROR);
    if (!ListDevices()) return Fail(TWCC_NODS);
    // A named source, else the default one, else (none ever chosen) the first. A default that has
    // gone is chosen again by the user, never silently replaced by another device.
    std::string wanted(identity->ProductName, strnlen(identity->ProductName, sizeof(TW_STR32)));
    const bool named = !wanted.empty();
    if (!named) wanted = DefaultDevice();
    std::optional<size_t> found = wanted.empty() ? std::optional<size_t>(0) : FindDevice(wanted);
    if (!found && named) return Fail(TWCC_NODS);
    if (!found) {
        if (FDialogs == nullptr) return Fail(TWCC_NODS);
        TW_IDENTITY chosen{};
        const TW_UINT16 rc = UserSelect(&chosen);
        if (rc != TWRC_SUCCESS) return rc;
        found = chosen.Id - 1;
    }
    const size_t index = *found;
    SANE_Status status = SANE_STATUS_GOOD;
    FThread->Run([&] {
        status = FLib->open(FDevices[index].Name.c_str(), &FDevice);
        if (status == SANE_STATUS_GOOD) FOptions = ReadSaneDeviceOptions(*FLib, FDevice);
    });
    if (status != SANE_STATUS_GOOD) {
        FDevice = nullptr;
        return Fail(status == SANE_STATUS_NO_MEM ? TWCC_LOWMEMORY : TWCC_BUMMER);
    }
    FDeviceName = FDevices[index].Name;
    FillIdentity(*identity, index);
    FResolution = FOptions.Resolution;
    FBitDepth = FOptions.Depth == 16 ? 16 : 8;
    FPixelType = PixelTypeOf(FOptions.Mode);
    if (FPixelType == TWPT_GRAY && FOptions.Depth == 1) FPixelType = TWPT_BW;
    FXferCount = -1;
    return TWRC_SUCCESS;
}

TW_UINT16 TSaneSourceManager::CloseSource()
{
    if (FDevice == nullptr || FEnabled) return Fail(TWCC_SEQERROR);
    FThread->Run([this] { FLib->close(FDevice); });
    FDevice = nullptr;
    FDeviceName.clear();
    return TWRC_SUCCESS;
}

// ---------------------------------------------------------------- modes

std::vector<TW_UINT16> TSaneSourceManager::PixelTypes() const
{
    std::vector<TW_UINT16> types;
    const auto has = [this](const std::string& m) {
        return std::find(FOptions.Modes.begin(), FOptions.Modes.end(), m) != FOptions.Modes.end();
    };
    const bool grayOne =
        has("Gray") && std::find(FOptions.Depths.begin(), FOptions.Depths.end(), 1) != FOptions.Depths.end();
    if (has(LineartMode) || grayOne) types.push_back(TWPT_BW);
    if (has("Gray")) types.push_back(TWPT_GRAY);
    if (has("Color")) types.push_back(TWPT_RGB);
    return types;
}

std::string TSaneSourceManager::ModeOf(TW_UINT16 pixelType) const
{
    switch (pixelType) {
    case TWPT_BW:
        return LineartMode;
    case TWPT_RGB:
        return "Color";
    default:
        return "Gray";
    }
}

TW_UINT16 TSaneSourceManager::PixelTypeOf(const std::string& mode) const
{
    if (mode == LineartMode) return TWPT_BW;
    if (mode == "Color") return TWPT_RGB;
    return TWPT_GRAY;
}

TScanRequest TSaneSourceManager::CurrentRequest() const
{
    TScanRequest r;
    r.Mode = ModeOf(FPixelType);
    r.Resolution = FResolution;
    r.Feeder = false;
    return r;
}

// ---------------------------------------------------------------- enabling and events

TW_UINT16 TSaneSourceManager::Enable(TW_USERINTERFACE* ui)
{
    if (FDevice == nullptr || FEnabled) return Fail(TWCC_SEQERROR);
    FShowUI = ui->ShowUI != 0 && FDialogs != nullptr;
    FXferReady = FTransferred = false;
    if (FShowUI) {
        TSourceDialogSetup setup;
        setup.Title = FDeviceName;
        for (TW_UINT16 t : PixelTypes()) setup.Modes.push_back(ModeOf(t));
        setup.MinResolution = FOptions.MinResolution;
        setup.MaxResolution = FOptions.MaxResolution;
        setup.HasFeeder = !FeederSource(FOptions.Sources).empty();
        setup.Current = CurrentRequest();
        FDialog = FDialogs->OpenSourceDialog(ui->hParent, setup, *this);
        if (!FDialog) return Fail(TWCC_BUMMER);
    }
    FEnabled = true;
    if (!FShowUI) StartScan(CurrentRequest());
    return TWRC_SUCCESS;
}

TW_UINT16 TSaneSourceManager::Disable()
{
    if (!FEnabled || FXferReady || FTransferred) return Fail(TWCC_SEQERROR);
    if (FScanning) CancelScan();
    FThread->WaitIdle();
    DropResult();
    FDialog.reset();
    FEnabled = false;
    return TWRC_SUCCESS;
}

TW_UINT16 TSaneSourceManager::ProcessEvent(TW_EVENT* event)
{
    if (!FEnabled) return Fail(TWCC_SEQERROR);
    const auto* posted = static_cast<const TTwainEvent*>(event->pEvent);
    event->TWMessage = MSG_NULL;
    if (posted == nullptr || posted->Sender != this) return TWRC_NOTDSEVENT;
    event->TWMessage = posted->Message;
    if (posted->Message == MSG_XFERREADY) FXferReady = true;
    return TWRC_DSEVENT;
}

// ---------------------------------------------------------------- transfer

TW_UINT16 TSaneSourceManager::NativeTransfer(TW_HANDLE* dib)
{
    if (!FXferReady) return Fail(TWCC_SEQERROR);
    FXferReady = false;
    FTransferred = true;
    TScanResult result;
    {
        std::lock_guard<std::mutex> lock(FResultMutex);
        result = FResult;
        FResult = TScanResult{};
    }
    TW_UINT16 rc;
    FPending = 0;
    if (result.Cancelled) {
        TwainFreeBlock(result.Dib);
        rc = TWRC_CANCEL;
    } else if (result.Dib != nullptr) {
        *dib = result.Dib;
        // A feeder may hold more sheets until it reports none left.
        FPending = FFeeder && !result.NoDocuments ? 0xFFFF : 0;
        rc = TWRC_XFERDONE;
    } else {
        rc = Fail(result.OutOfMemory ? TWCC_LOWMEMORY : TWCC_BUMMER);
    }
    if (FDialog) FDialog->ScanEnded(rc == TWRC_FAILURE ? result.ErrorText : std::string());
    if (!FShowUI && rc != TWRC_XFERDONE) TwainPostEvent({this, MSG_CLOSEDSREQ}); // nobody can scan again
    return rc;
}

TW_UINT16 TSaneSourceManager::PendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending)
{
    if (!FTransferred) return Fail(TWCC_SEQERROR);
    if (msg == MSG_RESET) FPending = 0;
    pending->Count = FPending;
    pending->Reserved = 0;
    if (FPending == 0) FTransferred = false;
    return TWRC_SUCCESS;
}

// ---------------------------------------------------------------- capabilities

namespace {

TW_UINT32 Fix32Item(double value)
{
    const TW_FIX32 fix = TWAIN_ToFix32(value);
    TW_UINT32 item;
    std::memcpy(&item, &fix, sizeof item);
    return item;
}

double Fix32Value(TW_UINT32 item)
{
    TW_FIX32 fix;
    std::memcpy(&fix, &item, sizeof fix);
    return fix.Whole + fix.Frac / 65536.0;
}

// The value a container sets: a one-value's item, an enumeration's current item (else its first),
// an array's first item. False when the container does not fit its block or holds nothing.
bool ContainerValue(const TW_CAPABILITY& cap, TW_UINT32& value)
{
    const auto* p = static_cast<const uint8_t*>(TwainLockBlock(cap.hContainer));
    const size_t size = TwainBlockSize(cap.hContainer);
    if (p == nullptr) return false;
    if (cap.ConType == TWON_ONEVALUE) {
        if (size < sizeof(TW_ONEVALUE)) return false;
        TW_ONEVALUE one;
        std::memcpy(&one, p, sizeof one);
        value = one.Item;
        return true;
    }
    if (cap.ConType != TWON_ENUMERATION && cap.ConType != TWON_ARRAY) return false;
    const uint32_t header = cap.ConType == TWON_ENUMERATION ? TW_ENUMERATION_HEADER : TW_ARRAY_HEADER;
    if (size < header) return false;
    TW_UINT16 itemType;
    TW_UINT32 count, current = 0;
    std::memcpy(&itemType, p, 2);
    std::memcpy(&count, p + 2, 4);
    if (cap.ConType == TWON_ENUMERATION) std::memcpy(&current, p + 6, 4);
    if (itemType != TWTY_UINT16 && itemType != TWTY_INT16) return false;
    if (count == 0 || uint64_t(count) * 2 > size - header) return false;
    if (current >= count) current = 0;
    TW_UINT16 item;
    std::memcpy(&item, p + header + 2 * size_t(current), 2);
    value = item;
    return true;
}

} // namespace

TW_UINT16 TSaneSourceManager::Capability(TW_UINT16 msg, TW_CAPABILITY* cap)
{
    if (FDevice == nullptr) return Fail(TWCC_SEQERROR);
    if (msg == MSG_GET || msg == MSG_GETCURRENT) return GetCapability(cap);
    if (msg == MSG_SET) return FEnabled ? Fail(TWCC_SEQERROR) : SetCapability(cap);
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 TSaneSourceManager::GetCapability(TW_CAPABILITY* cap)
{
    TW_HANDLE h = nullptr;
    TW_UINT16 conType = TWON_ONEVALUE;
    switch (cap->Cap) {
    case ICAP_PIXELTYPE: {
        const std::vector<TW_UINT16> types = PixelTypes();
        if (types.empty()) {
            h = TwainOneValueBlock(TWTY_UINT16, FPixelType);
            break;
        }
        h = TwainAllocBlock(TW_ENUMERATION_HEADER + 2 * types.size());
        if (h == nullptr) break;
        auto* p = static_cast<uint8_t*>(TwainLockBlock(h));
        const TW_UINT16 itemType = TWTY_UINT16;
        const TW_UINT32 count = TW_UINT32(types.size());
        const auto at = std::find(types.begin(), types.end(), FPixelType);
        const TW_UINT32 current = at != types.end() ? TW_UINT32(at - types.begin()) : 0;
        std::memcpy(p, &itemType, 2);
        std::memcpy(p + 2, &count, 4);
        std::memcpy(p + 6, &current, 4);
        std::memcpy(p + 10, &current, 4);
        std::memcpy(p + TW_ENUMERATION_HEADER, types.data(), 2 * types.size());
        conType = TWON_ENUMERATION;
        break;
    }
    case ICAP_XRESOLUTION:
        h = TwainOneValueBlock(TWTY_FIX32, Fix32Item(FResolution));
        break;
    case ICAP_BITDEPTH:
        h = TwainOneValueBlock(TWTY_UINT16, FPixelType == TWPT_BW ? 1 : TW_UINT32(FBitDepth));
        break;
    case ICAP_UNITS:
        h = TwainOneValueBlock(TWTY_UINT16, TWUN_INCHES);
        break;
    case CAP_XFERCOUNT:
        h = TwainOneValueBlock(TWTY_INT16, TW_UINT16(FXferCount));
        break;
    default:
        return Fail(TWCC_BADCAP);
    }
    if (h == nullptr) return Fail(TWCC_LOWMEMORY);
    cap->ConType = conType;
    cap->hContainer = h;
    return TWRC_SUCCESS;
}

TW_UINT16 TSaneSourceManager::SetCapability(TW_CAPABILITY* cap)
{
    if (cap->Cap != ICAP_PIXELTYPE && cap->Cap != ICAP_XRESOLUTION && cap->Cap != ICAP_BITDEPTH &&
        cap->Cap != ICAP_UNITS && cap->Cap != CAP_XFERCOUNT)
        return Fail(TWCC_BADCAP);
    TW_UINT32 value = 0;
    if (!ContainerValue(*cap, value)) return Fail(TWCC_BADVALUE);
    switch (cap->Cap) {
    case ICAP_PIXELTYPE: {
        const std::vector<TW_UINT16> types = PixelTypes();
        if (std::find(types.begin(), types.end(), value) == types.end()) return Fail(TWCC_BADVALUE);
        FPixelType = TW_UINT16(value);
        break;
    }
    case ICAP_XRESOLUTION: {
        const double dpi = Fix32Value(value);
        if (dpi < FOptions.MinResolution || dpi > FOptions.MaxResolution) return Fail(TWCC_BADVALUE);
        FResolution = dpi;
        break;
    }
    case ICAP_BITDEPTH: {
        const bool offered =
            std::find(FOptions.Depths.begin(), FOptions.Depths.end(), int(value)) != FOptions.Depths.end();
        if (!offered && value != 8) return Fail(TWCC_BADVALUE);
        if (value == 1)
            FPixelType = TWPT_BW;
        else
            FBitDepth = int(value);
        break;
    }
    case ICAP_UNITS:
        if (value != TWUN_INCHES) return Fail(TWCC_BADVALUE);
        break;
    default: // CAP_XFERCOUNT
        if (TW_INT16(value) == 0) return Fail(TWCC_BADVALUE);
        FXferCount = TW_INT16(value);
        break;
    }
    return TWRC_SUCCESS;
}

// ---------------------------------------------------------------- scanning

void TSaneSourceManager::Scan(const TScanRequest& request)
{
    if (!FEnabled || FScanning || FXferReady || FTransferred) return;
    StartScan(request);
}

void TSaneSourceManager::CancelScan()
{
    if (!FScanning) return;
    FCancel = true;
    FLib->cancel(FDevice); // allowed from any thread; ends a sane_read that waits
}

void TSaneSourceManager::CloseRequest()
{
    CancelScan();
    TwainPostEvent({this, MSG_CLOSEDSREQ});
}

void TSaneSourceManager::StartScan(const TScanRequest& request)
{
    DropResult();
    FCancel = false;
    FScanning = true;
    if (FDialog) FDialog->ScanStarted();
    FThread->Start([this, request] { ScanBody(request); });
}

void TSaneSourceManager::DropResult()
{
    std::lock_guard<std::mutex> lock(FResultMutex);
    TwainFreeBlock(FResult.Dib);
    FResult = TScanResult{};
}

void TSaneSourceManager::ReportProgress(int percent)
{
    IMainThreadInvoker* invoker = MainThreadInvoker();
    if (invoker == nullptr) return;
    std::weak_ptr<int> alive = FAlive;
    invoker->Post([this, alive, percent] {
        if (alive.lock() && FDialog) FDialog->SetProgress(percent);
    });
}

std::string TSaneSourceManager::ApplyScanOptions(const TScanRequest& request)
{
    // The manager's own settings: a value the device refuses leaves the device's own in place.
    const bool lineart =
        request.Mode == LineartMode &&
        std::find(FOptions.Modes.begin(), FOptions.Modes.end(), LineartMode) == FOptions.Modes.end();
    const auto set = [this](const std::string& name, const std::string& value) {
        SetSaneOption(*FLib, FDevice, name, value);
    };
    if (!FOptions.Modes.empty()) set("mode", lineart ? "Gray" : request.Mode);
    const int depth = lineart ? 1 : FBitDepth;
    if (std::find(FOptions.Depths.begin(), FOptions.Depths.end(), depth) != FOptions.Depths.end())
        set("depth", std::to_string(depth));
    if (request.Resolution > 0) set("resolution", std::to_string(request.Resolution));
    if (!FOptions.Sources.empty()) {
        const std::string feeder = FeederSource(FOptions.Sources);
        std::string flatbed = FOptions.Sources.front();
        for (const std::string& s : FOptions.Sources)
            if (s != feeder) {
                flatbed = s;
                break;
            }
        set("source", request.Feeder && !feeder.empty() ? feeder : flatbed);
    }
    // Options given by name must all take.
    for (const auto& [name, value] : TestOptions()) {
        const SANE_Status status = SetSaneOption(*FLib, FDevice, name, value);
        if (status != SANE_STATUS_GOOD)
            return "Option \"" + name + "\" cannot be set to \"" + value + "\": " + FLib->strstatus(status);
    }
    return {};
}

void TSaneSourceManager::ScanBody(const TScanRequest& request)
{
    TScanResult result;
    std::string error = ApplyScanOptions(request);
    const std::string feeder = FeederSource(FOptions.Sources);
    FFeeder = !feeder.empty() && GetSaneTextOption(*FLib, FDevice, "source") == feeder;
    bool ended = false; // the picture's frames have all ended
    try {
        TSaneDibBuilder builder(request.Resolution);
        std::vector<SANE_Byte> buffer(64 * 1024);
        while (error.empty() && !FCancel) {
            SANE_Status status = FLib->start(FDevice);
            if (status == SANE_STATUS_GOOD) {
                SANE_Parameters params{};
                status = FLib->get_parameters(FDevice, &params);
                if (status == SANE_STATUS_GOOD) {
                    builder.BeginFrame(params);
                    int shown = -2;
                    for (;;) {
                        SANE_Int length = 0;
                        status = FLib->read(FDevice, buffer.data(), SANE_Int(buffer.size()), &length);
                        if (status != SANE_STATUS_GOOD) break;
                        builder.AddData(buffer.data(), size_t(std::max<SANE_Int>(length, 0)));
                        const int64_t expected = builder.ExpectedBytes();
                        const int percent =
                            expected > 0
                                ? int(std::min<int64_t>(100, builder.ReceivedBytes() * 100 / expected))
                                : -1;
                        if (percent != shown) ReportProgress(shown = percent);
                    }
                    if (status == SANE_STATUS_EOF) {
                        status = SANE_STATUS_GOOD;
                        // After a cancel the device may answer EOF early; fewer lines are never a picture.
                        if (!builder.EndFrame() && !FCancel)
                            error = "The scanner delivered fewer lines than it announced.";
                        if (error.empty() && (params.last_frame || builder.Complete())) ended = true;
                    }
                }
            }
            if (status == SANE_STATUS_NO_DOCS) result.NoDocuments = true;
            if (status == SANE_STATUS_NO_MEM) result.OutOfMemory = true;
            if (status != SANE_STATUS_GOOD && error.empty()) error = FLib->strstatus(status);
            if (ended) break;
        }
        if (ended && error.empty() && !FCancel) {
            result.Dib = builder.TakeDib();
            if (result.Dib == nullptr) {
                result.OutOfMemory = true;
                error = "Not enough memory for the scanned picture.";
            }
        }
    } catch (const EOutOfResources& e) {
        result.OutOfMemory = true;
        error = e.what();
    } catch (const std::bad_alloc&) {
        result.OutOfMemory = true;
        error = "Not enough memory for the scanned picture.";
    } catch (const Exception& e) {
        error = e.what();
    }
    FLib->cancel(FDevice); // ends the scan (and a feeder's sheet) in every case
    result.Cancelled = FCancel;
    if (result.Cancelled) {
        TwainFreeBlock(result.Dib);
        result.Dib = nullptr;
    }
    result.ErrorText = error;
    {
        std::lock_guard<std::mutex> lock(FResultMutex);
        TwainFreeBlock(FResult.Dib);
        FResult = result;
    }
    FScanning = false;
    PostScanEnd();
}

void TSaneSourceManager::PostScanEnd()
{
    IMainThreadInvoker* invoker = MainThreadInvoker();
    if (invoker == nullptr) {
        TwainPostEvent({this, MSG_XFERREADY});
        return;
    }
    // Behind the progress this scan posted: the event loop takes MSG_XFERREADY ahead of queued
    // calls, and the transfer it starts may close the dialog before they reach it.
    std::weak_ptr<int> alive = FAlive;
    invoker->Post([this, alive] {
        if (alive.lock()) TwainPostEvent({this, MSG_XFERREADY});
    });
}

} // namespace

std::unique_ptr<ITwainSourceManager> TSaneManagerLoader::Load()
{
    std::string error;
    std::unique_ptr<TSaneLibrary> lib = TSaneLibrary::Load(error);
    if (!lib) return nullptr;
    return std::make_unique<TSaneSourceManager>(std::move(lib), FDialogs, FSettings);
}

void SetSaneTestOptions(std::vector<std::pair<std::string, std::string>> options)
{
    std::lock_guard<std::mutex> lock(gTestOptionsMutex);
    gTestOptions = std::move(options);
}
