#include <gtest/gtest.h>

#include <QPointer>
#include <cstring>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <utime.h>

#include "ImageTestKit.h"
#include "controls/ClipboardBitmap.h"
#include "platform/SettingsStore.h"
#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"
#include "workspace/StatusPanels.h"

namespace {

using namespace testkit;

// ---- the status figures ----

TEST(StatusPanels, PiecesFollowTheUnitsAndShowTheLargerSizeRed)
{
    TStatusFigures f;
    bool srcRaised = false, resRaised = false;
    CalcStatusFigures(10240, 2048, 30720, f, srcRaised, resRaised);
    EXPECT_TRUE(srcRaised);
    EXPECT_FALSE(resRaised);
    using P = TStatusPiece;
    EXPECT_EQ(SourcePanelPieces(f, 4 + 8),
              (std::vector<P>{{"Source: "}, {"10.0", true, pcBlack}, {" Kbytes, "}, {"2.8", true, pcBlack},
                              {" sec  ["}, {"500", true, pcRed}, {"%*Result]"}}));
    EXPECT_EQ(ResultPanelPieces(f, 16),
              (std::vector<P>{{"Result: "}, {"2048", true, pcBlue}, {" bytes, "}, {"0.29", true, pcBlack},
                              {" sec  ["}, {"20", true, pcBlue}, {"%*Source]   "}, {"", false, pcNormal, 99},
                              {"1:15.0", true, pcBlack}}));

    CalcStatusFigures(10240, 0, 30720, f, srcRaised, resRaised); // no result yet: no ratio
    EXPECT_EQ(ResultPanelPieces(f, 4),
              (std::vector<P>{{"Result: "}, {"?", true, pcBlack}, {"  ["}, {"?", true, pcBlack}, {"%*Source]   "}}));
    CalcStatusFigures(1000, 4000, 3000, f, srcRaised, resRaised); // the result is larger
    EXPECT_EQ(std::tie(f.SrcColor, f.ResColor, srcRaised, resRaised), std::tuple(pcBlue, pcRed, false, true));

    // The source and the result panel's pictures by layout, then with the source shown as the result.
    std::vector<int> icons;
    for (bool sourceAsResult : {false, true})
        for (int layout : {0, 1, 2})
            icons.insert(icons.end(),
                         {SourcePanelIcon(layout, sourceAsResult), ResultPanelIcon(layout, sourceAsResult)});
    EXPECT_EQ(icons, (std::vector<int>{89, 90, 91, 92, 93, 94, 95, 93, 96, 93, 94, 93}));
}

// A narrow panel: the texts around the figures give way in turn, then the last pieces whole.
// Widths: one per character, 19 for the ratio's picture.
TEST(StatusPanels, InANarrowPanelTheTextsGiveWayAndThenTheLastPiecesWhole)
{
    TStatusFigures f;
    bool srcRaised = false, resRaised = false;
    CalcStatusFigures(10240, 2048, 30720, f, srcRaised, resRaised);
    auto measure = [](const TStatusPiece& p) { return p.Icon >= 0 ? 19 : int(p.Text.size()); };
    auto shown = [&](const std::vector<TStatusPiece>& pieces, int width) {
        std::string text;
        for (const TStatusPiece& p : FitStatusPieces(pieces, width, measure))
            text += (text.empty() ? "" : "|") + (p.Icon >= 0 ? "<picture>" : p.Text);
        return text;
    };
    // panel width, result panel (bytes and time at 56 kbit/s), source panel (KBytes and time at 28.8)
    const std::tuple<int, const char*, const char*> rows[] = {
        // result 8 + 4 + 8 + 4 + 7 + 2 + 12 + 19 + 6 = 70; source 8 + 4 + 9 + 3 + 7 + 3 + 9 = 43
        {70, "Result: |2048| bytes, |0.29| sec  [|20|%*Source]   |<picture>|1:15.0",
         "Source: |10.0| Kbytes, |2.8| sec  [|500|%*Result]"},
        // first the captions: 62 and 35
        {69, "2048| bytes, |0.29| sec  [|20|%*Source]   |<picture>|1:15.0",
         "Source: |10.0| Kbytes, |2.8| sec  [|500|%*Result]"},
        // then the words of the percentages: 53 and 28
        {55, "2048| bytes, |0.29| sec  [|20|%] |<picture>|1:15.0",
         "Source: |10.0| Kbytes, |2.8| sec  [|500|%*Result]"},
        // then the units: 43 and 18
        {43, "2048|, |0.29|s [|20|%] |<picture>|1:15.0", "Source: |10.0| Kbytes, |2.8| sec  [|500|%*Result]"},
        // then the ratio's picture: 24
        {42, "2048|, |0.29|s [|20|%] |1:15.0", "10.0| Kbytes, |2.8| sec  [|500|%*Result]"},
        {30, "2048|, |0.29|s [|20|%] |1:15.0", "10.0| Kbytes, |2.8| sec  [|500|%]"},
        {24, "2048|, |0.29|s [|20|%] |1:15.0", "10.0|K, |2.8|s [|500|%]"},
        // then the last pieces whole, a figure with the unit after it, the unit left at the end
        // without its separator: 17 and 18, 11 and 11, 4 and 5, none
        {23, "2048|, |0.29|s [|20|%]", "10.0|K, |2.8|s [|500|%]"},
        {17, "2048|, |0.29|s", "10.0|K, |2.8|s"},
        {10, "2048", "10.0|K"},
        {3, "", ""},
    };
    for (const auto& [width, result, source] : rows) {
        EXPECT_EQ(shown(ResultPanelPieces(f, 16), width), result) << width;
        EXPECT_EQ(shown(SourcePanelPieces(f, 4 + 8), width), source) << width;
    }
}

// ---- saving ----

class ImageSaveTest : public TFolderTest
{
protected:
    void SetUp() override
    {
        TFolderTest::SetUp();
        ImageWindowPrefs().Settings = &Store;
        ImageWindowPrefs().KeepOrigDatetime = true;
    }
    void TearDown() override
    {
        for (TImageForm* f : Forms) {
            f->SetSaved(true);
            delete f;
        }
        ImageWindowPrefs().Settings = nullptr;
    }
    // A window on the file, compressed once.
    TImageForm* Open(const std::string& path)
    {
        auto* form = new TImageForm(nullptr, nullptr);
        Forms.push_back(form);
        form->resize(400, 300);
        form->LoadSourceFromNames({path});
        form->StartCompression();
        EXPECT_TRUE(PumpUntil([&] { return !form->Busy; }));
        EXPECT_GT(form->ResultSize, 0);
        return form;
    }

    TMemorySettingsStore Store;
    std::vector<TImageForm*> Forms;
};

TEST_F(ImageSaveTest, ABitmapSourceIsSavedAsJpegBesideItWithItsDateAndAfterSaveAsTheWholeNewNameIsKept)
{
    WriteBmp(Path("photo.bmp"), 60, 40);
    const time_t old = 981201600; // 2001-02-03 12:00 UTC
    utimbuf times{old, old};
    ASSERT_EQ(utime(Path("photo.bmp").c_str(), &times), 0);
    TImageForm* form = Open(Path("photo.bmp"));
    ASSERT_TRUE(form->SaveResult(Path("copy.jpg"), true)); // a copy changes nothing in the window
    EXPECT_EQ(std::tuple(form->IsSaved(), form->FileInfo.FileName), std::tuple(false, Path("photo.bmp")));
    EXPECT_TRUE(form->SaveResult("", false));
    EXPECT_EQ(ReadAll(Path("photo.jpg")).substr(0, 2), "\xFF\xD8");
    struct stat st{};
    EXPECT_TRUE(stat(Path("photo.jpg").c_str(), &st) == 0 && st.st_mtime == old);
    EXPECT_EQ(std::tuple(form->IsSaved(), form->FileInfo.FileName), std::tuple(true, Path("photo.bmp")));

    const std::string folder = Path(std::string(120, 'a')) + "/" + std::string(120, 'b');
    std::filesystem::create_directories(folder);
    const std::string target = folder + "/" + std::string(60, 'c') + ".jpg";
    ASSERT_TRUE(form->SaveResult(target, false));
    std::filesystem::remove(target);
    ASSERT_TRUE(form->SaveResult("", false)); // the next save goes to the same, uncut name
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_TRUE(Box.Calls().empty());

    // The clipboard and the export take the source: the last rectangle of it, or the whole.
    form->SetTool(1);
    form->BeginSelection(form->SrcImage, 5, 7);
    form->TrackSelection(form->SrcImage, 25, 17);
    form->EndSelection(form->SrcImage, 25, 17);
    form->CopyToClipboard();
    TBitmap cut = GetClipboardBitmap(), back;
    const TBitmap source = TestPattern(60, 40);
    ASSERT_EQ(QSize(cut.Width(), cut.Height()), QSize(20, 10));
    for (int y : {0, 9}) EXPECT_EQ(std::memcmp(cut.ScanLine(y), source.ScanLine(7 + y) + 3 * 5, 60), 0) << y;
    ASSERT_TRUE(form->ExportSourceBitmap(Path("export.bmp")));
    LoadBmpFromFile(back, Path("export.bmp"));
    EXPECT_EQ(std::memcmp(back.ScanLine(39), source.ScanLine(39), 180), 0);
}

// The path reported is the file written: a .jpeg source's copy keeps ".jpeg"; a bitmap's gets ".jpg";
// nothing written reports nothing.
TEST_F(ImageSaveTest, TheWrittenPathIsReported)
{
    WriteJpeg(Path("photo.jpeg"), 40, 30);
    WriteBmp(Path("pic.bmp"), 40, 30);
    std::filesystem::create_directory(Path("out"));
    std::string written = "stale";
    ASSERT_TRUE(Open(Path("photo.jpeg"))->SaveResult(Path("out/photo.jpg"), true, &written));
    EXPECT_EQ(written, Path("out/photo.jpeg"));
    EXPECT_TRUE(std::filesystem::exists(written));
    EXPECT_FALSE(std::filesystem::exists(Path("out/photo.jpg")));
    ASSERT_TRUE(Open(Path("pic.bmp"))->SaveResult(Path("out/pic.bmp"), true, &written));
    EXPECT_EQ(written, Path("out/pic.jpg"));
    EXPECT_FALSE(Open(Path("pic.bmp"))->SaveResult(Path("missing/pic.jpg"), true, &written));
    EXPECT_EQ(written, "");
}

TEST_F(ImageSaveTest, AJpegSourceIsReplacedOnlyAfterConsentARememberedNoSavesElsewhereSaveAsKeepsItsExtension)
{
    WriteJpeg(Path("photo.JPEG"), 40, 30);
    const std::string before = ReadAll(Path("photo.JPEG"));
    TImageForm* form = Open(Path("photo.JPEG"));
    int askedForName = 0;
    form->OnSaveAsRequest = [&](TImageForm* f) { return ++askedForName, f->SaveResult(Path("other.jpg"), false); };
    Box.Answer(mrNo, true); // a ticked No given now: nothing is written
    EXPECT_FALSE(form->SaveResult("", false));
    EXPECT_EQ(askedForName, 0);
    EXPECT_TRUE(form->SaveResult("", false)); // remembered: Save asks for another name
    EXPECT_EQ(askedForName, 1);
    EXPECT_EQ(ReadAll(Path("photo.JPEG")), before);
    EXPECT_TRUE(std::filesystem::exists(Path("other.JPEG")));

    Store.DeleteValue("ConfirmOverwrite");
    TImageForm* second = Open(Path("photo.JPEG"));
    Box.Answer(mrYes, false);
    EXPECT_TRUE(second->SaveResult("", false));
    EXPECT_NE(ReadAll(Path("photo.JPEG")), before);
    EXPECT_FALSE(std::filesystem::exists(Path("photo.jpg"))); // the extension is kept
    EXPECT_TRUE(second->SaveResult("", false));                // asked once per window
    EXPECT_EQ(Box.Calls().size(), 2u);

    // Save As under another extension takes the source's and asks before replacing that name.
    EXPECT_TRUE(second->SaveResult(Path("out.png"), false));
    EXPECT_EQ(second->FileInfo.FileName, Path("out.JPEG"));
    std::ofstream(Path("keep.JPEG")) << "precious";
    Box.Answer(mrNo);
    EXPECT_FALSE(second->SaveResult(Path("keep.png"), false));
    EXPECT_EQ(ReadAll(Path("keep.JPEG")), "precious");
    Box.Answer(mrYes);
    EXPECT_TRUE(second->SaveResult(Path("keep.png"), false));
    EXPECT_NE(ReadAll(Path("keep.JPEG")), "precious");
    EXPECT_EQ(Box.Calls().size(), 4u);
}

TEST_F(ImageSaveTest, FailuresGiveTheSystemsReasonAndLeaveTheSourceAndTheWindowAlone)
{
    WriteJpeg(Path("photo.jpg"), 64, 48);
    const std::string before = ReadAll(Path("photo.jpg"));
    QPointer<TImageForm> form = Open(Path("photo.jpg"));
    EXPECT_FALSE(form->SaveResult(Path("no/x.jpg"), false));
    EXPECT_FALSE(form->ExportSourceBitmap(Path("no/x.bmp")));
    ASSERT_EQ(Box.Calls().size(), 2u);
    for (const char* name : {"no/x.jpg", "no/x.bmp"}) {
        const std::string text = Box.Calls()[name[5] == 'j' ? 0 : 1].Text;
        EXPECT_EQ(text.rfind("Cannot save file " + Path(name) + "\n", 0), 0u) << text;
        EXPECT_NE(text.find(std::strerror(ENOENT)), std::string::npos) << text;
    }
    // Files may not grow beyond 16 bytes: the write fails part-way (for every user).
    Box.Answer(mrYes, false);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &small);
    bool saved = form->SaveResult("", false);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadAll(Path("photo.jpg")), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.path().toStdString()), {}), 1); // no leftovers
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(form.isNull()); // the window does not start closing
    EXPECT_FALSE(form->IsSaved());
}

TEST_F(ImageSaveTest, ACloseWhoseSaveDidNotHappenStaysOpenAndSaysWhy)
{
    WriteJpeg(Path("photo.jpg"), 40, 30);
    Store.WriteValue("ConfirmOverwrite", "7"); // never overwrite the source
    QPointer<TImageForm> form = Open(Path("photo.jpg"));
    form->OnSaveRequest = [](TImageForm* f) { f->SaveResult("", false); };
    form->OnSaveAsRequest = [](TImageForm*) { return false; }; // no name chosen
    Box.Answer(mrYes);                                          // "Save the result image ?"
    EXPECT_FALSE(form->close());
    ASSERT_EQ(Box.Calls().size(), 2u);
    EXPECT_EQ(Box.Calls()[1].Text, "The result image has not been saved, so the window stays open.");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(form.isNull());
}

} // namespace
