// The SANE-backed source manager against SANE's test device: device lists and the kept choice,
// pictures equal to scanimage's for the same options, the source dialog's scans, cancels and
// device errors, and the manager's answers to the standard's triplets.
#include <gtest/gtest.h>

#include "SaneTestBench.h"
#include "platform/SettingsStore.h"
#include "twain/SaneSourceManager.h"
#include "twain/TwainAcquire.h"

namespace {

class SaneManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TwainResetSession();
        SetSaneTestOptions({});
        SetTwainManagerLoader(&Loader);
        SetMainThreadInvoker(&Invoker);
    }
    void TearDown() override
    {
        TwainResetSession();
        SetSaneTestOptions({});
        SetTwainManagerLoader(nullptr);
        SetMainThreadInvoker(nullptr);
    }

    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& call : Boxes.Calls()) texts.push_back(call.Text);
        return texts;
    }

    TSaneConfig Config;
    TScriptedSaneDialogs Dialogs;
    TMemorySettingsStore Settings;
    TSaneManagerLoader Loader{&Dialogs, &Settings};
    TQueueInvoker Invoker;
    TRecordingMessageBox Boxes;
    TScopedMessageBox ScopedBoxes{&Boxes};
};

struct TDibView
{
    int32_t Width = 0, Height = 0;
    uint16_t Bits = 0;
    std::vector<uint8_t> Pixels;
};

TDibView TakeDib(TW_HANDLE h)
{
    TDibView d;
    if (h == nullptr) return d;
    const auto* p = static_cast<const uint8_t*>(TwainLockBlock(h));
    uint32_t colours;
    std::memcpy(&d.Width, p + 4, 4);
    std::memcpy(&d.Height, p + 8, 4);
    std::memcpy(&d.Bits, p + 14, 2);
    std::memcpy(&colours, p + 32, 4);
    d.Pixels.assign(p + 40 + 4 * colours, p + TwainBlockSize(h));
    TWAIN_FreeNative(h);
    return d;
}

} // namespace

TEST_F(SaneManagerTest, SelectSourceListsTheTestDevicesAndKeepsTheChoice)
{
    EXPECT_EQ(TWAIN_IsAvailable(), 1);
    Dialogs.Choice = 1;
    EXPECT_EQ(TWAIN_SelectImageSource(nullptr), 1);
    ASSERT_EQ(Dialogs.Listed.size(), 2u);
    EXPECT_EQ(Dialogs.Listed[0].Name, "test:0");
    EXPECT_EQ(Dialogs.Listed[1].Name, "test:1");
    EXPECT_EQ(Dialogs.Preselected, 0u);
    EXPECT_EQ(Settings.AllValues().at("TWAIN/DefaultSource"), "test:1");
    // The last choice comes preselected; a cancel keeps it.
    Dialogs.Choice.reset();
    EXPECT_EQ(TWAIN_SelectImageSource(nullptr), 0);
    EXPECT_EQ(Dialogs.Preselected, 1u);
    EXPECT_EQ(Settings.AllValues().at("TWAIN/DefaultSource"), "test:1");
    // The chosen device is the one an acquisition opens.
    TWAIN_SetHideUI(1);
    TW_HANDLE dib = TWAIN_AcquireNative(nullptr, 0);
    EXPECT_NE(dib, nullptr);
    TWAIN_FreeNative(dib);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(TWAIN_State(), 1);
}

TEST_F(SaneManagerTest, PicturesEqualScanimagesForTheSameOptions)
{
    const TOptionList cases[] = {
        {{"mode", "Gray"}, {"depth", "8"}, {"test-picture", "Color pattern"}},
        {{"mode", "Color"}, {"depth", "8"}, {"test-picture", "Color pattern"}},
        {{"mode", "Gray"}, {"depth", "1"}, {"test-picture", "Grid"}},
        {{"mode", "Gray"}, {"depth", "16"}, {"test-picture", "Color pattern"}},
        {{"mode", "Color"}, {"depth", "16"}, {"test-picture", "Color pattern"}},
        {{"mode", "Color"}, {"three-pass", "yes"}, {"test-picture", "Color pattern"}},
        {{"mode", "Color"}, {"ppl-loss", "7"}, {"test-picture", "Grid"}},
        {{"mode", "Gray"}, {"hand-scanner", "yes"}, {"test-picture", "Grid"}},
        {{"mode", "Color"}, {"resolution", "75"}, {"read-limit", "yes"}, {"read-limit-size", "333"},
         {"test-picture", "Color pattern"}},
    };
    TWAIN_SetHideUI(1);
    for (const TOptionList& options : cases) {
        std::string name;
        for (const auto& [k, v] : options) name += k + "=" + v + " ";
        SCOPED_TRACE(name);
        const TPnm pnm = ScanImage("test:0", options);
        ASSERT_GT(pnm.Width, 0);
        int bits = 0;
        const std::vector<uint8_t> expected = DibPixelsOf(pnm, bits);
        SetSaneTestOptions(options);
        const TDibView dib = TakeDib(TWAIN_AcquireNative(nullptr, 0));
        EXPECT_EQ(dib.Width, pnm.Width);
        EXPECT_EQ(dib.Height, pnm.Height);
        EXPECT_EQ(dib.Bits, bits);
        EXPECT_TRUE(dib.Pixels == expected);
        EXPECT_TRUE(BoxTexts().empty());
        EXPECT_EQ(TWAIN_State(), 1);
    }
}

TEST_F(SaneManagerTest, TheSourceDialogScansAndStaysOpenAfterDeviceErrors)
{
    // A good scan: the default 157 x 196 grey picture at 50 dpi.
    Dialogs.Steps = {TDialogStep::Scan};
    int parent = 0;
    TDibView dib = TakeDib(TWAIN_AcquireNative(&parent, 0));
    EXPECT_EQ(dib.Width, 157);
    EXPECT_EQ(dib.Height, 196);
    EXPECT_EQ(Dialogs.Log.Parent, &parent);
    EXPECT_EQ(Dialogs.Log.Setup.Title, "test:0");
    EXPECT_EQ(Dialogs.Log.Setup.Modes, (std::vector<std::string>{"Lineart", "Gray", "Color"}));
    EXPECT_TRUE(Dialogs.Log.Setup.HasFeeder);
    EXPECT_EQ(Dialogs.Log.Setup.Current.Resolution, 50);
    EXPECT_EQ(Dialogs.Log.Started, 1);
    ASSERT_FALSE(Dialogs.Log.Progress.empty());
    EXPECT_EQ(Dialogs.Log.Progress.back(), 100);
    EXPECT_EQ(Dialogs.Log.Ended, std::vector<std::string>{""});

    // A device error shows its reason in the dialog, which stays open: the next step still comes.
    struct TCase
    {
        const char* Status;
        const char* Text;
    };
    for (const TCase& c : {TCase{"SANE_STATUS_JAMMED", "Document feeder jammed"},
                           TCase{"SANE_STATUS_NO_MEM", "Out of memory"},
                           TCase{"SANE_STATUS_CANCELLED", "Operation was canceled"}}) {
        SCOPED_TRACE(c.Status);
        Dialogs.Log = TDialogLog{};
        Dialogs.Steps = {TDialogStep::Scan, TDialogStep::Scan, TDialogStep::Close};
        SetSaneTestOptions({{"read-return-value", c.Status}});
        EXPECT_EQ(TWAIN_AcquireNative(nullptr, 0), nullptr);
        EXPECT_EQ(Dialogs.Log.Ended, (std::vector<std::string>{c.Text, c.Text}));
        EXPECT_TRUE(Dialogs.Steps.empty());
        EXPECT_TRUE(BoxTexts().empty());
        EXPECT_EQ(TWAIN_State(), 1);
    }
}

TEST_F(SaneManagerTest, CancelEndsASlowScanAndTheDialogGoesOn)
{
    SetSaneTestOptions(
        {{"mode", "Color"}, {"resolution", "300"}, {"read-delay", "yes"}, {"read-delay-duration", "10000"}});
    // Cancel, then close: no picture and no box.
    Dialogs.Steps = {TDialogStep::ScanThenCancel, TDialogStep::Close};
    EXPECT_EQ(TWAIN_AcquireNative(nullptr, 0), nullptr);
    EXPECT_EQ(Dialogs.Log.Ended, std::vector<std::string>{""});
    EXPECT_LT(Dialogs.Log.Progress.back(), 100);
    EXPECT_TRUE(BoxTexts().empty());
    // Cancel, then scan again: the second scan is whole. The device waits 100 ms after each 64 KB
    // it sends: the cancel asked for at the first progress must come before the rest arrives,
    // even on a loaded machine.
    Dialogs.Log = TDialogLog{};
    SetSaneTestOptions({{"mode", "Color"},
                        {"read-limit", "yes"},
                        {"read-limit-size", "20000"},
                        {"read-delay", "yes"},
                        {"read-delay-duration", "100000"}});
    Dialogs.Steps = {TDialogStep::ScanThenCancel, TDialogStep::Scan};
    const TDibView dib = TakeDib(TWAIN_AcquireNative(nullptr, 0));
    EXPECT_EQ(dib.Height, 196);
    EXPECT_EQ(dib.Bits, 24);
    EXPECT_EQ(Dialogs.Log.Started, 2);
    EXPECT_EQ(TWAIN_State(), 1);
}

TEST_F(SaneManagerTest, WithoutTheUserInterfaceAFailedScanClosesTheSource)
{
    TWAIN_SetHideUI(1);
    SetSaneTestOptions({{"read-return-value", "SANE_STATUS_JAMMED"}});
    EXPECT_EQ(TWAIN_AcquireNative(nullptr, 0), nullptr);
    EXPECT_EQ(Dialogs.Log.Opened, 0);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(TWAIN_State(), 1);
}

TEST(SaneManagerNoDevices, AcquisitionReportsNoDataSource)
{
    TwainResetSession();
    TSaneConfig config(false);
    TScriptedSaneDialogs dialogs;
    TSaneManagerLoader loader(&dialogs, nullptr);
    TQueueInvoker invoker;
    SetMainThreadInvoker(&invoker);
    SetTwainManagerLoader(&loader);
    TRecordingMessageBox boxes;
    TScopedMessageBox scoped(&boxes);
    EXPECT_EQ(TWAIN_AcquireNative(nullptr, 0), nullptr);
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].Text, "Unable to open default Data Source.\nSource Manager operation failed\n"
                                     "RC:   TWRC_FAILURE\nCC:   TWCC_NODS (No Data Source)");
    // The selection still comes up, with nothing to choose, and its cancel says nothing more.
    EXPECT_EQ(TWAIN_SelectImageSource(nullptr), 0);
    EXPECT_EQ(dialogs.Selections, 1);
    EXPECT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(TWAIN_State(), 1);
    SetTwainManagerLoader(nullptr);
    SetMainThreadInvoker(nullptr);
    TwainResetSession();
}

namespace {

// Drives a loaded manager triplet by triplet.
class TEntryDriver
{
public:
    explicit TEntryDriver(ITwainSourceManager& m) : FManager(m) {}
    TW_UINT16 Manager(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
    {
        return FManager.Entry(&FApp, nullptr, DG_CONTROL, dat, msg, data);
    }
    TW_UINT16 Source(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
    {
        return FManager.Entry(&FApp, &Id, dg, dat, msg, data);
    }
    TW_UINT16 Status()
    {
        TW_STATUS s{};
        EXPECT_EQ(Manager(DAT_STATUS, MSG_GET, &s), TWRC_SUCCESS);
        return s.ConditionCode;
    }
    // The next notification the manager posts.
    TW_UINT16 NextEvent()
    {
        TTwainEvent e;
        for (int i = 0; i < 200 && !TwainTakeEvent(e); ++i) TwainWaitForEvents(50);
        TW_EVENT ev{&e, MSG_NULL};
        EXPECT_EQ(Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &ev), TWRC_DSEVENT);
        return ev.TWMessage;
    }
    TW_UINT16 SetOne(TW_UINT16 capId, TW_UINT16 itemType, TW_UINT32 value)
    {
        TW_HANDLE h = TwainOneValueBlock(itemType, value);
        TW_CAPABILITY cap{capId, TWON_ONEVALUE, h};
        const TW_UINT16 rc = Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
        TwainFreeBlock(h);
        return rc;
    }
    TW_IDENTITY Id{};

private:
    ITwainSourceManager& FManager;
    TW_IDENTITY FApp{};
};

} // namespace

TEST_F(SaneManagerTest, TripletsInOrderCapabilitiesAndTransfers)
{
    std::unique_ptr<ITwainSourceManager> manager = Loader.Load();
    ASSERT_TRUE(manager);
    TEntryDriver d(*manager);
    TWindowHandle parent = nullptr;
    // Out of order, unknown.
    EXPECT_EQ(d.Manager(DAT_IDENTITY, MSG_OPENDS, &d.Id), TWRC_FAILURE);
    EXPECT_EQ(d.Status(), TWCC_SEQERROR);
    EXPECT_EQ(d.Manager(0x0077, MSG_GET, &parent), TWRC_FAILURE);
    EXPECT_EQ(d.Status(), TWCC_BADPROTOCOL);
    ASSERT_EQ(d.Manager(DAT_PARENT, MSG_OPENDSM, &parent), TWRC_SUCCESS);
    EXPECT_EQ(d.Manager(DAT_PARENT, MSG_OPENDSM, &parent), TWRC_FAILURE);
    EXPECT_EQ(d.Status(), TWCC_SEQERROR);
    ASSERT_EQ(d.Manager(DAT_IDENTITY, MSG_OPENDS, &d.Id), TWRC_SUCCESS);
    EXPECT_STREQ(d.Id.ProductName, "test:0");

    // Capabilities: pixel types as an enumeration, the others one value each.
    TW_CAPABILITY cap{ICAP_PIXELTYPE, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(d.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
    ASSERT_EQ(cap.ConType, TWON_ENUMERATION);
    const auto* e = static_cast<const uint8_t*>(TwainLockBlock(cap.hContainer));
    const std::vector<uint8_t> pixelTypes = {4, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 2, 0};
    EXPECT_EQ(std::vector<uint8_t>(e, e + TwainBlockSize(cap.hContainer)), pixelTypes);
    TwainFreeBlock(cap.hContainer);
    cap = {ICAP_XRESOLUTION, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(d.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
    const auto* r = static_cast<const uint8_t*>(TwainLockBlock(cap.hContainer));
    EXPECT_EQ(std::vector<uint8_t>(r, r + 6), (std::vector<uint8_t>{7, 0, 50, 0, 0, 0}));
    TwainFreeBlock(cap.hContainer);
    cap = {0x1234, TWON_DONTCARE16, nullptr};
    EXPECT_EQ(d.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_FAILURE);
    EXPECT_EQ(d.Status(), TWCC_BADCAP);
    struct TSet
    {
        TW_UINT16 Cap, ItemType;
        TW_UINT32 Value;
        TW_UINT16 CC; // TWCC_SUCCESS: accepted
    };
    for (const TSet& s :
         {TSet{ICAP_PIXELTYPE, TWTY_UINT16, 7, TWCC_BADVALUE},
          TSet{ICAP_UNITS, TWTY_UINT16, 1, TWCC_BADVALUE},
          TSet{ICAP_XRESOLUTION, TWTY_FIX32, 5000, TWCC_BADVALUE},
          TSet{ICAP_BITDEPTH, TWTY_UINT16, 3, TWCC_BADVALUE},
          TSet{CAP_XFERCOUNT, TWTY_INT16, 0, TWCC_BADVALUE}, TSet{0x1234, TWTY_UINT16, 0, TWCC_BADCAP},
          TSet{ICAP_UNITS, TWTY_UINT16, TWUN_INCHES, TWCC_SUCCESS},
          TSet{CAP_XFERCOUNT, TWTY_INT16, 1, TWCC_SUCCESS},
          TSet{ICAP_XRESOLUTION, TWTY_FIX32, 75, TWCC_SUCCESS},
          TSet{ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB, TWCC_SUCCESS}}) {
        SCOPED_TRACE(s.Cap);
        EXPECT_EQ(d.SetOne(s.Cap, s.ItemType, s.Value), s.CC == TWCC_SUCCESS ? TWRC_SUCCESS : TWRC_FAILURE);
        EXPECT_EQ(d.Status(), s.CC);
    }

    // Enabled without the interface: the scan starts at once; a picture in colour at 75 dpi.
    TW_USERINTERFACE ui{0, 0, nullptr};
    ASSERT_EQ(d.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_EQ(d.SetOne(ICAP_UNITS, TWTY_UINT16, TWUN_INCHES), TWRC_FAILURE); // not while enabled
    EXPECT_EQ(d.Status(), TWCC_SEQERROR);
    EXPECT_EQ(d.Manager(DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_FAILURE);
    EXPECT_EQ(d.Status(), TWCC_SEQERROR);
    ASSERT_EQ(d.NextEvent(), MSG_XFERREADY);
    TW_HANDLE dib = nullptr;
    ASSERT_EQ(d.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_XFERDONE);
    const TDibView view = TakeDib(dib);
    EXPECT_EQ(view.Bits, 24);
    EXPECT_EQ(view.Width, 236); // 80 mm at 75 dpi
    TW_PENDINGXFERS pending{99, 0};
    ASSERT_EQ(d.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0); // the flatbed
    ASSERT_EQ(d.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);

    // The feeder keeps a count of "more" until it runs out.
    SetSaneTestOptions({{"source", "Automatic Document Feeder"}});
    ASSERT_EQ(d.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    ASSERT_EQ(d.NextEvent(), MSG_XFERREADY);
    ASSERT_EQ(d.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_XFERDONE);
    TWAIN_FreeNative(dib);
    ASSERT_EQ(d.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_NE(pending.Count, 0);
    ASSERT_EQ(d.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    ASSERT_EQ(d.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    // The test device's feeder is empty after ten scans since it was opened; the flatbed's counts.
    for (int sheet = 3; sheet <= 11; ++sheet) {
        SCOPED_TRACE(sheet);
        ASSERT_EQ(d.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
        ASSERT_EQ(d.NextEvent(), MSG_XFERREADY);
        dib = nullptr;
        const TW_UINT16 rc = d.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib);
        TWAIN_FreeNative(dib);
        ASSERT_EQ(d.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
        if (sheet <= 10) {
            // Each sheet has more to come.
            EXPECT_EQ(rc, TWRC_XFERDONE);
            EXPECT_NE(pending.Count, 0);
            ASSERT_EQ(d.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
        } else {
            // Then none: the transfer fails and nothing is pending.
            EXPECT_EQ(rc, TWRC_FAILURE);
            EXPECT_EQ(pending.Count, 0);
            EXPECT_EQ(d.NextEvent(), MSG_CLOSEDSREQ);
        }
        ASSERT_EQ(d.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    }

    // Out of memory in the device: a failed transfer with its condition code, then a close request.
    SetSaneTestOptions({{"read-return-value", "SANE_STATUS_NO_MEM"}});
    ASSERT_EQ(d.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    ASSERT_EQ(d.NextEvent(), MSG_XFERREADY);
    EXPECT_EQ(d.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_FAILURE);
    EXPECT_EQ(d.Status(), TWCC_LOWMEMORY);
    ASSERT_EQ(d.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(d.NextEvent(), MSG_CLOSEDSREQ);
    ASSERT_EQ(d.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_EQ(d.Manager(DAT_IDENTITY, MSG_CLOSEDS, &d.Id), TWRC_SUCCESS);
    EXPECT_EQ(d.Manager(DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_SUCCESS);
}

// Opening the default source finds the kept name whole; a kept name that matches no device (gone,
// or only the beginning of one) asks the user instead of taking another device; with none ever
// chosen, the first device serves.
TEST_F(SaneManagerTest, TheDefaultSourceIsFoundByItsWholeNameAndAGoneOneIsAskedFor)
{
    // The kept name ("": none), the answer when asked, the times asked, the open's result, the source
    // opened and the name kept after.
    const std::tuple<std::string, std::optional<size_t>, int, TW_UINT16, std::string, std::string> cases[] = {
        {"test:1", std::nullopt, 0, TWRC_SUCCESS, "test:1", "test:1"},
        {"", std::nullopt, 0, TWRC_SUCCESS, "test:0", ""},
        {"test:", 1, 1, TWRC_SUCCESS, "test:1", "test:1"},
        {"test:7", 0, 1, TWRC_SUCCESS, "test:0", "test:0"},
        {"test:7", std::nullopt, 1, TWRC_CANCEL, "", "test:7"},
    };
    for (const auto& [kept, choice, asked, rc, opened, keptAfter] : cases) {
        SCOPED_TRACE(kept);
        TMemorySettingsStore settings;
        if (!kept.empty()) settings.OpenGroup("TWAIN")->WriteValue("DefaultSource", kept);
        TScriptedSaneDialogs dialogs;
        dialogs.Choice = choice;
        TSaneManagerLoader loader(&dialogs, &settings);
        std::unique_ptr<ITwainSourceManager> manager = loader.Load();
        TEntryDriver d(*manager);
        TWindowHandle parent = &d;
        ASSERT_EQ(d.Manager(DAT_PARENT, MSG_OPENDSM, &parent), TWRC_SUCCESS);
        EXPECT_EQ(d.Manager(DAT_IDENTITY, MSG_OPENDS, &d.Id), rc);
        EXPECT_EQ(std::string(d.Id.ProductName), opened);
        EXPECT_EQ(dialogs.Selections, asked);
        if (asked) EXPECT_EQ(dialogs.SelectParent, parent); // the dialog over the program's window
        EXPECT_EQ(settings.OpenGroup("TWAIN")->ReadValue("DefaultSource").value_or(""), keptAfter);
        if (rc == TWRC_SUCCESS) EXPECT_EQ(d.Manager(DAT_IDENTITY, MSG_CLOSEDS, &d.Id), TWRC_SUCCESS);
        EXPECT_EQ(d.Manager(DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_SUCCESS);
    }
}
