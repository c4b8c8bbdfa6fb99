// The acquisition's state machine against a scripted source manager: the calls it sends in each
// state, the boxes it shows, and that every path ends with the manager unloaded.
#include <gtest/gtest.h>

#include <set>

#include "ScriptedManager.h"
#include "platform/MainThread.h"
#include "platform/MessageBox.h"
#include "twain/TwainAcquire.h"

namespace {

class TTestHost : public ITwainWindowHost
{
public:
    bool IsWindow(TWindowHandle window) override { return Windows.count(window) != 0; }
    void EnableWindow(TWindowHandle window, bool enable) override { Enables.emplace_back(window, enable); }
    bool QuitRequested() override { return Quit; }
    std::set<TWindowHandle> Windows;
    std::vector<std::pair<TWindowHandle, bool>> Enables;
    bool Quit = false;
};

constexpr bool M = false; // to the manager
constexpr bool S = true;  // to the source

class TwainAcquireTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TwainResetSession();
        SetTwainManagerLoader(&Loader);
        SetTwainWindowHost(&Host);
        SetMainThreadInvoker(&Invoker);
    }
    void TearDown() override
    {
        TwainResetSession();
        SetTwainManagerLoader(nullptr);
        SetTwainWindowHost(nullptr);
        SetMainThreadInvoker(nullptr);
    }

    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& call : Boxes.Calls()) {
            EXPECT_EQ(call.Caption, "TWAIN Error");
            EXPECT_EQ(call.Owner, nullptr);
            texts.push_back(call.Text);
        }
        return texts;
    }

    // Loads, opens the manager and the default source: state 4.
    void OpenToSourceOpen()
    {
        ASSERT_EQ(TWAIN_OpenSourceManager(nullptr), 1);
        ASSERT_EQ(TWAIN_OpenDefaultSource(), 1);
        ASSERT_EQ(TWAIN_State(), 4);
    }
    void CloseAll()
    {
        TWAIN_CloseSourceManager(nullptr);
        TWAIN_UnloadSourceManager();
        EXPECT_EQ(TWAIN_State(), 1);
    }

    TScriptedLoader Loader;
    TTestHost Host;
    TQueueInvoker Invoker;
    TRecordingMessageBox Boxes;
    TScopedMessageBox ScopedBoxes{&Boxes};
    int ParentWindow = 0;
};

const std::vector<TRecordedCall> OpeningCalls = {
    {M, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, 2},
    {M, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, 3},
    {S, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, 4},
};
const std::vector<TRecordedCall> ClosingCalls = {
    {S, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, 5},
    {M, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, 4},
    {M, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, 3},
};

std::vector<TRecordedCall> Join(std::initializer_list<std::vector<TRecordedCall>> parts)
{
    std::vector<TRecordedCall> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const TRecordedCall EventCall{S, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, 5};
const TRecordedCall TransferCall{S, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, 6};
const TRecordedCall EndAt7{S, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, 7};
const TRecordedCall ResetAt6{S, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, 6};

} // namespace

TEST_F(TwainAcquireTest, GoodRunSendsEachTripletInItsStateAndDisablesTheParentMeanwhile)
{
    Host.Windows.insert(&ParentWindow);
    TW_HANDLE dib = TWAIN_AcquireNative(&ParentWindow, 0);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(TwainBlockSize(dib), 64u);
    TWAIN_FreeNative(dib);
    EXPECT_EQ(Loader.Calls, Join({OpeningCalls, {EventCall, TransferCall, EndAt7}, ClosingCalls}));
    EXPECT_EQ(TWAIN_State(), 1);
    EXPECT_TRUE(BoxTexts().empty());
    const std::vector<std::pair<TWindowHandle, bool>> enables = {{&ParentWindow, false},
                                                                 {&ParentWindow, true}};
    EXPECT_EQ(Host.Enables, enables);
}

TEST_F(TwainAcquireTest, OutcomesOfTransfersAndTheirStates)
{
    struct TCase
    {
        const char* Name;
        std::deque<TTransferOutcome> Transfers;
        std::vector<TW_UINT16> OnEnable;
        bool Picture;
        std::vector<TRecordedCall> Middle; // between the opening and the closing calls
    };
    const TTransferOutcome cancelled{TWRC_CANCEL, TWCC_SUCCESS, 0, true};
    const TTransferOutcome failed{TWRC_FAILURE, TWCC_BUMMER, 0, true};
    const TTransferOutcome noMemory{TWRC_FAILURE, TWCC_LOWMEMORY, 0, true};
    const TTransferOutcome more{TWRC_XFERDONE, TWCC_SUCCESS, 3};
    const TCase cases[] = {
        // Pending transfers after the picture are reset; the acquisition ends with the one picture.
        {"pending reset", {more}, {MSG_XFERREADY}, true, {EventCall, TransferCall, EndAt7, ResetAt6}},
        // Closing the source's dialog without a scan.
        {"close request", {}, {MSG_CLOSEDSREQ}, false, {EventCall}},
        // A cancel, a failed transfer and one out of memory each return to state 5 and the loop goes on.
        {"cancel, error, out of memory, then a picture",
         {cancelled, failed, noMemory, TTransferOutcome{}},
         {MSG_XFERREADY},
         true,
         {EventCall, TransferCall, EndAt7, EventCall, TransferCall, ResetAt6, EventCall, TransferCall,
          ResetAt6, EventCall, TransferCall, EndAt7}},
        // A failed transfer followed by a close request ends without a picture.
        {"error then close",
         {{TWRC_FAILURE, TWCC_BUMMER, 0, false, true}},
         {MSG_XFERREADY},
         false,
         {EventCall, TransferCall, ResetAt6, EventCall}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Loader.Calls.clear();
        Loader.Script.Transfers = c.Transfers;
        Loader.Script.PostOnEnable = c.OnEnable;
        TW_HANDLE dib = TWAIN_AcquireNative(nullptr, 0);
        EXPECT_EQ(dib != nullptr, c.Picture);
        TWAIN_FreeNative(dib);
        EXPECT_EQ(Loader.Calls, Join({OpeningCalls, c.Middle, ClosingCalls}));
        EXPECT_EQ(TWAIN_State(), 1);
        EXPECT_TRUE(BoxTexts().empty());
        EXPECT_TRUE(Host.Enables.empty()); // no parent, nothing to disable
    }
}

TEST_F(TwainAcquireTest, FailedStepsShowTheirBoxAndStillEndAtState1)
{
    struct TCase
    {
        const char* Name;
        std::pair<TW_UINT16, TW_UINT16> Triplet; // (DAT, MSG) that fails
        TW_UINT16 CC;
        bool StatusFails;
        std::string Box;
        std::vector<TRecordedCall> Calls;
    };
    const TCase cases[] = {
        {"no manager opens", {DAT_PARENT, MSG_OPENDSM}, TWCC_BUMMER, false,
         "Unable to open Source Manager (TWAIN_32.DLL)",
         {{M, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, 2}, {M, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, 2}}},
        {"no source", {DAT_IDENTITY, MSG_OPENDS}, TWCC_NODS, false,
         "Unable to open default Data Source.\nSource Manager operation failed\nRC:   TWRC_FAILURE\n"
         "CC:   TWCC_NODS (No Data Source)",
         {{M, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, 2}, {M, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, 3},
          {M, DG_CONTROL, DAT_STATUS, MSG_GET, 3}, {M, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, 3}}},
        // The manager asked the user for a source again and the user cancelled: no box.
        {"source choice cancelled", {DAT_IDENTITY, MSG_OPENDS}, TWCC_SUCCESS, false, "",
         {{M, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, 2}, {M, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, 3},
          {M, DG_CONTROL, DAT_STATUS, MSG_GET, 3}, {M, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, 3}}},
        {"enable fails", {DAT_USERINTERFACE, MSG_ENABLEDS}, TWCC_BUMMER, false,
         "Failed to enable Data Source.\nDataSource operation failed\nRC:   TWRC_FAILURE\n"
         "CC:   TWCC_BUMMER (Failure due to unknown causes)",
         {{M, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, 2}, {M, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, 3},
          {S, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, 4}, {S, DG_CONTROL, DAT_STATUS, MSG_GET, 4},
          {M, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, 4}, {M, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, 3}}},
        {"enable fails, status too", {DAT_USERINTERFACE, MSG_ENABLEDS}, TWCC_BADVALUE, true,
         "Failed to enable Data Source.\nDataSource operation failed\nRC:   TWRC_FAILURE\n"
         "CC:   TWCC_BUMMER (Failure due to unknown causes)",
         {{M, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, 2}, {M, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, 3},
          {S, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, 4}, {S, DG_CONTROL, DAT_STATUS, MSG_GET, 4},
          {M, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, 4}, {M, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, 3}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRecordingMessageBox boxes;
        TScopedMessageBox scoped(&boxes);
        Loader.Calls.clear();
        Loader.Script.Answers = {{c.Triplet, {c.Box.empty() ? TWRC_CANCEL : TWRC_FAILURE, c.CC}}};
        Loader.Script.StatusFails = c.StatusFails;
        EXPECT_EQ(TWAIN_AcquireNative(nullptr, 0), nullptr);
        ASSERT_EQ(boxes.Calls().size(), c.Box.empty() ? 0u : 1u);
        for (const auto& call : boxes.Calls()) {
            EXPECT_EQ(call.Text, c.Box);
            EXPECT_EQ(call.Caption, "TWAIN Error");
        }
        EXPECT_EQ(Loader.Calls, c.Calls);
        EXPECT_EQ(TWAIN_State(), 1);
    }
}

TEST_F(TwainAcquireTest, WithoutAManagerNothingIsAvailableAndTheLoadIsTriedOnce)
{
    Loader.Available = false;
    EXPECT_EQ(TWAIN_IsAvailable(), 0);
    EXPECT_EQ(TWAIN_IsAvailable(), 0);
    EXPECT_EQ(Loader.Loads, 1);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(TWAIN_AcquireNative(nullptr, 0), nullptr);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Unable to load Source Manager (TWAIN_32.DLL)"});
    EXPECT_EQ(TWAIN_AcquireToFile(nullptr, "/nonexistent/never.bmp"), -1);
    EXPECT_EQ(TWAIN_State(), 1);
}

TEST_F(TwainAcquireTest, AvailabilityLoadsAndUnloadsOnceAndAnswersAtOnceWhenLoaded)
{
    EXPECT_EQ(TWAIN_IsAvailable(), 1);
    EXPECT_EQ(TWAIN_State(), 1);
    EXPECT_EQ(TWAIN_IsAvailable(), 1);
    EXPECT_EQ(Loader.Loads, 1);
    ASSERT_EQ(TWAIN_LoadSourceManager(), 1);
    Loader.Available = false;
    EXPECT_EQ(TWAIN_IsAvailable(), 1);
    EXPECT_EQ(Loader.Loads, 2);
    EXPECT_TRUE(Loader.Calls.empty());
    TWAIN_UnloadSourceManager();
}

TEST_F(TwainAcquireTest, QuitEndsTheLoopAndTheClosingStepsStillRun)
{
    Loader.Script.PostOnEnable = {};
    Host.Quit = true;
    EXPECT_EQ(TWAIN_AcquireNative(nullptr, 0), nullptr);
    EXPECT_EQ(Loader.Calls, Join({OpeningCalls, ClosingCalls}));
    EXPECT_EQ(TWAIN_State(), 1);
}

TEST_F(TwainAcquireTest, SelectingASource)
{
    struct TCase
    {
        const char* Name;
        TW_UINT16 Rc;
        int Answer;
    };
    for (const TCase& c : {TCase{"chosen", TWRC_SUCCESS, 1}, TCase{"cancelled", TWRC_CANCEL, 0}}) {
        SCOPED_TRACE(c.Name);
        Loader.Calls.clear();
        Loader.Script.Answers = {{{DAT_IDENTITY, MSG_USERSELECT}, {c.Rc, TWCC_SUCCESS}}};
        EXPECT_EQ(TWAIN_SelectImageSource(nullptr), c.Answer);
        const std::vector<TRecordedCall> calls = {{M, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, 2},
                                                  {M, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, 3},
                                                  {M, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, 3}};
        EXPECT_EQ(Loader.Calls, calls);
        EXPECT_EQ(TWAIN_State(), 1);
        EXPECT_TRUE(BoxTexts().empty());
    }
    // A handle that is no window is refused before anything is loaded.
    const int loads = Loader.Loads;
    EXPECT_EQ(TWAIN_SelectImageSource(&ParentWindow), 0);
    EXPECT_EQ(Loader.Loads, loads);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"TWAIN_SelectImageSource: window handle is invalid"});
}

TEST_F(TwainAcquireTest, ErrorRecordKeepsTheFirstCodeAndNeedsNoStatusCallBeforeState3)
{
    TWAIN_ClearError();
    // At state 1 the condition code is a sequence error, without a call.
    EXPECT_EQ(TWAIN_OpenDefaultSource(), 0);
    TWAIN_RecordError(13);
    const TTwainErrorRecord e = TwainLastError();
    EXPECT_EQ(e.ErrorCode, 4);
    EXPECT_EQ(e.ErrorRC, TWRC_SUCCESS); // no call was made: the last return code stands
    EXPECT_EQ(e.ErrorCC, TWCC_SEQERROR);
    EXPECT_TRUE(Loader.Calls.empty());
    TWAIN_ReportLastError("Context");
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{"Context\nSource Manager operation failed\nRC:   TWRC_SUCCESS\n"
                                       "CC:   TWCC_SEQERROR (Triplet out of sequence)"});
    // Codes other than 2 to 5 carry no return or condition code and report in two lines.
    TWAIN_ClearError();
    TWAIN_RecordError(7);
    EXPECT_EQ(TwainLastError().ErrorRC, 0);
    TWAIN_ReportLastError("Other");
    EXPECT_EQ(BoxTexts().back(), "Other\nTWAIN session not in State 4 (Source Open)");
    TWAIN_ClearError();
    TWAIN_ReportLastError("None");
    EXPECT_EQ(BoxTexts().back(), "None\n[no details available]");
}

namespace {

std::vector<uint8_t> Enumeration(TW_UINT16 itemType, std::vector<TW_UINT16> items, TW_UINT32 count,
                                 TW_UINT32 index)
{
    std::vector<uint8_t> b(TW_ENUMERATION_HEADER + 2 * items.size());
    std::memcpy(&b[0], &itemType, 2);
    std::memcpy(&b[2], &count, 4);
    std::memcpy(&b[6], &index, 4);
    std::memcpy(&b[10], &index, 4);
    if (!items.empty()) std::memcpy(&b[14], items.data(), 2 * items.size());
    return b;
}

std::vector<uint8_t> Array(TW_UINT16 itemType, std::vector<TW_UINT16> items)
{
    std::vector<uint8_t> b(TW_ARRAY_HEADER + 2 * items.size());
    const TW_UINT32 count = TW_UINT32(items.size());
    std::memcpy(&b[0], &itemType, 2);
    std::memcpy(&b[2], &count, 4);
    std::memcpy(&b[6], items.data(), 2 * items.size());
    return b;
}

std::vector<uint8_t> One(TW_UINT16 itemType, TW_UINT32 value)
{
    std::vector<uint8_t> b(6);
    std::memcpy(&b[0], &itemType, 2);
    std::memcpy(&b[2], &value, 4);
    return b;
}

} // namespace

TEST_F(TwainAcquireTest, NegotiatingPixelTypesCutsTheSourcesContainer)
{
    struct TCase
    {
        const char* Name;
        TW_UINT16 ConType;
        std::vector<uint8_t> Container;
        uint32_t Mask;
        int Error;                 // 0: success
        std::vector<uint8_t> Sent; // the container sent back with MSG_SET, if any
        bool NullContainer = false;
        std::pair<TW_UINT16, TW_UINT16> Fails{0, 0}; // (DAT, MSG) answering TWRC_FAILURE
    };
    const TCase cases[] = {
        {"enumeration cut and sorted", TWON_ENUMERATION, Enumeration(TWTY_UINT16, {2, 0, 1}, 3, 1), 0b011, 0,
         Enumeration(TWTY_UINT16, {0, 1, 1}, 2, 0xFFFFFFFFu)},
        {"array of INT16", TWON_ARRAY, Array(TWTY_INT16, {2, 1}), 0b110, 0, Array(TWTY_INT16, {1, 2})},
        {"one value in the mask", TWON_ONEVALUE, One(TWTY_UINT16, 1), 0b010, 0, {}},
        {"one value not in the mask", TWON_ONEVALUE, One(TWTY_UINT16, 1), 0b001, 13, {}},
        {"a type beyond the mask's bits", TWON_ONEVALUE, One(TWTY_UINT16, 40), 0xFFFFFFFFu, 13, {}},
        {"nothing in common", TWON_ENUMERATION, Enumeration(TWTY_UINT16, {3, 4}, 2, 0), 0b001, 13, {}},
        {"empty", TWON_ENUMERATION, Enumeration(TWTY_UINT16, {}, 0, 0), 0b001, 12, {}},
        {"wrong item type", TWON_ARRAY, Array(TWTY_UINT32, {1, 0}), 0b001, 11, {}},
        {"range", TWON_RANGE, One(TWTY_UINT16, 0), 0b001, 10, {}},
        {"count beyond the block", TWON_ENUMERATION, Enumeration(TWTY_UINT16, {0, 1}, 1000, 0), 0b001, 9, {}},
        {"null container", TWON_ONEVALUE, {}, 0b001, 8, {}, true},
        {"get fails", TWON_ONEVALUE, One(TWTY_UINT16, 0), 0b001, 2, {}, false, {DAT_CAPABILITY, MSG_GET}},
        {"set fails", TWON_ARRAY, Array(TWTY_UINT16, {0}), 0b001, 3, {}, false, {DAT_CAPABILITY, MSG_SET}},
        {"no mask", TWON_ONEVALUE, {}, 0, 0, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Loader.Sets.clear();
        Loader.Script.ConType = c.ConType;
        Loader.Script.Container = c.Container;
        Loader.Script.NullContainer = c.NullContainer;
        Loader.Script.Answers.clear();
        if (c.Fails.first != 0) Loader.Script.Answers[c.Fails] = {TWRC_FAILURE, TWCC_BADCAP};
        OpenToSourceOpen();
        TWAIN_ClearError();
        EXPECT_EQ(TWAIN_NegotiatePixelTypes(c.Mask), c.Error == 0 ? 1 : 0);
        EXPECT_EQ(TwainLastError().ErrorCode, c.Error);
        if (!c.Sent.empty()) {
            ASSERT_EQ(Loader.Sets.size(), 1u);
            EXPECT_EQ(Loader.Sets[0], c.Sent);
        } else if (c.Error != 3) {
            EXPECT_TRUE(Loader.Sets.empty());
        }
        CloseAll();
    }
    // Outside state 4 nothing is asked.
    TWAIN_ClearError();
    EXPECT_EQ(TWAIN_NegotiatePixelTypes(1), 0);
    EXPECT_EQ(TwainLastError().ErrorCode, 7);
}

TEST_F(TwainAcquireTest, AcquisitionWithAMaskReportsWhenNothingIsInCommon)
{
    Loader.Script.ConType = TWON_ONEVALUE;
    Loader.Script.Container = One(TWTY_UINT16, TWPT_RGB);
    EXPECT_EQ(TWAIN_AcquireNative(nullptr, 1u << TWPT_GRAY), nullptr);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                              "Failed to negotiate Pixel Type.\nApp and source found NO values in common"});
    EXPECT_EQ(TWAIN_State(), 1);
}

TEST_F(TwainAcquireTest, CapabilitySettersSendOneValueContainersOnlyInState4)
{
    EXPECT_EQ(TWAIN_SetBitDepth(8), 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Attempt to set capability outside State 4."});
    OpenToSourceOpen();
    EXPECT_EQ(TWAIN_SetCurrentResolution(72.5), 1);
    EXPECT_EQ(TWAIN_SetXferCount(-1), 1);
    EXPECT_EQ(TWAIN_SetCurrentPixelType(TWPT_RGB), 1);
    EXPECT_EQ(TWAIN_SetCurrentUnits(TWUN_INCHES), 1);
    EXPECT_EQ(TWAIN_SetBitDepth(16), 1);
    const std::vector<std::vector<uint8_t>> sent = {
        {0x07, 0x00, 0x48, 0x00, 0x00, 0x80}, // FIX32 72 + 0x8000/65536
        {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x00}, // INT16 -1
        {0x04, 0x00, 0x02, 0x00, 0x00, 0x00},
        {0x04, 0x00, 0x00, 0x00, 0x00, 0x00},
        {0x04, 0x00, 0x10, 0x00, 0x00, 0x00},
    };
    EXPECT_EQ(Loader.Sets, sent);
    CloseAll();
}

TEST(TwainValues, Fix32BitCountAndIdentity)
{
    struct TFix
    {
        double Value;
        TW_INT16 Whole;
        TW_UINT16 Frac;
    };
    // value x 65536 + 0.5, truncated: 0.1 -> 6553.6 + 0.5 -> 6554
    for (const TFix& f :
         {TFix{1.0, 1, 0}, TFix{0.1, 0, 6554}, TFix{300.25, 300, 16384}, TFix{599.999, 599, 65470}}) {
        const TW_FIX32 fix = TWAIN_ToFix32(f.Value);
        EXPECT_EQ(fix.Whole, f.Whole) << f.Value;
        EXPECT_EQ(fix.Frac, f.Frac) << f.Value;
    }
    EXPECT_EQ(TWAIN_BitCount(0), 0);
    EXPECT_EQ(TWAIN_BitCount(0xFFFFFFFFu), 32);
    EXPECT_EQ(TWAIN_BitCount(0x80000101u), 3);
    EXPECT_EQ(TWAIN_UnitVersion(), 106);

    TwainResetSession();
    const TW_IDENTITY& id = TwainAppIdentity();
    EXPECT_EQ(id.Version.Language, 13);
    EXPECT_STREQ(id.ProductName, "<?>");
    EXPECT_EQ(id.ProtocolMinor, 6);
    TWAIN_SetAppIdentity(4, 2, 2, 1, "4.5", std::string(40, 'm'), "Veltrane", "Quillmark");
    EXPECT_EQ(std::string(id.Manufacturer), std::string(33, 'm'));
    EXPECT_STREQ(id.ProductFamily, "Veltrane");
    EXPECT_STREQ(id.Version.Info, "4.5");
    EXPECT_EQ(id.Version.MajorNum, 4);
    EXPECT_EQ(id.Version.MinorNum, 2);
    const TW_UINT32 groups = id.SupportedGroups; // a packed field: copied before comparing
    EXPECT_EQ(groups, 3u);
    TWAIN_SetHideUI(5);
    EXPECT_EQ(TWAIN_GetHideUI(), 1);
    TwainResetSession();
}
