#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "batch/ui/BatchOptionsForm.h"
#include "common/CheckMessage.h"
#include "common/StrRes.h"
#include "platform/MessageBox.h"
#include "platform/SettingsStore.h"
#include "platform/TempFolder.h"
#include "support/GuiTestApp.h"

namespace fs = std::filesystem;

namespace {

// A scratch tree: Profiles/Web.qmp and Profiles/Print.qmp, pics/a.jpg, pics/b.bmp, an elsewhere/
// folder with its own Web.qmp, and two dotted folders j.doe/ and j.dot/ holding a.bmp.
struct TScratch
{
    TTempFolder Folder;
    std::string Root = Folder.Path();
    TScratch()
    {
        for (const char* d : {"Profiles", "pics", "elsewhere", "j.doe", "j.dot"}) fs::create_directory(Root + "/" + d);
        for (const char* f : {"Profiles/Web.qmp", "Profiles/Print.qmp", "elsewhere/Web.qmp", "pics/a.jpg",
                              "pics/b.bmp", "j.doe/a.bmp"})
            std::ofstream(Root + "/" + f) << "x";
    }
    std::string operator()(const std::string& rel) const { return Root + "/" + rel; }
};

struct TFormFixture : ::testing::Test
{
    TScratch Dir;
    TRecordingMessageBox Box;
    TScopedMessageBox Scope{&Box};
    TMemorySettingsStore Store;
    void SetUp() override { EnsureGuiTestApp(); }

    std::unique_ptr<TBatchOptionsForm> MakeForm(const std::string& firstFile)
    {
        auto form = std::make_unique<TBatchOptionsForm>(nullptr, QStringList{"Print", "Web"}, Dir("Profiles"),
                                                        firstFile, &Store);
        // No real dialog may open in a test.
        form->ChooseFolder = [](const std::string&, std::string&) { return false; };
        form->ChooseProfile = [](const std::string&) { return std::string(); };
        return form;
    }
};

TBatchProcOptions WebProfile(const std::string& profiles)
{
    TBatchProcOptions o;
    o.ProfileFile = profiles + "/Web.qmp";
    return o;
}

// ---- OK: the checks in their order, with their boxes ----

TEST_F(TFormFixture, OkChecksShowTheirBoxAndKeepTheDialogOpen)
{
    enum TWant { Accepts, Refuses };
    struct TCase
    {
        const char* Name;
        std::function<void(TBatchOptionsForm&)> Setup;
        std::string FirstFile;
        TWant Want;
        std::vector<std::pair<TMsgKind, std::string>> Boxes; // plain boxes expected, in order (an error box looks like a warning)
        bool Asks;                                            // the overwrite question
    };
    const std::string pics = Dir("pics") + "/";
    const std::vector<TCase> cases = {
        {"no profile", [](TBatchOptionsForm&) {}, pics + "a.jpg", Refuses,
         {{TMsgKind::mkWarning, "Compression profile is not selected"}}, false},
        {"profile file missing",
         [&](TBatchOptionsForm& f) {
             TBatchProcOptions o;
             o.ProfileFile = "Gone";
             f.SetBatchOptions(o);
         },
         pics + "a.jpg", Refuses, {{TMsgKind::mkWarning, "Cannot load file " + Dir("Profiles") + "/Gone.qmp"}}, false},
        {"other folder left empty",
         [&](TBatchOptionsForm& f) {
             f.SetBatchOptions(WebProfile(Dir("Profiles")));
             f.OtherRadio->setChecked(true);
         },
         pics + "a.jpg", Refuses, {{TMsgKind::mkWarning, "Destination folder is not selected"}}, false},
        {"no name and no number",
         [&](TBatchOptionsForm& f) {
             TBatchProcOptions o = WebProfile(Dir("Profiles"));
             o.KeepOriginalName = false;
             o.PrefixMode = 1;
             o.PrefixText = "p";
             o.SuffixMode = 1;
             o.SuffixText = "s";
             o.DestFolder = Dir("elsewhere");
             f.SetBatchOptions(o);
         },
         pics + "a.jpg", Refuses, {{TMsgKind::mkWarning, "Resulting file names will not differ"}}, false},
        {"a numeral suffix alone differs",
         [&](TBatchOptionsForm& f) {
             TBatchProcOptions o = WebProfile(Dir("Profiles"));
             o.KeepOriginalName = false;
             o.SuffixMode = 2;
             f.SetBatchOptions(o);
         },
         pics + "a.jpg", Accepts, {}, false},
        {"another folder", [&](TBatchOptionsForm& f) {
             TBatchProcOptions o = WebProfile(Dir("Profiles"));
             o.DestFolder = Dir("elsewhere");
             f.SetBatchOptions(o);
         },
         pics + "a.jpg", Accepts, {}, false},
        // A dotted folder is a folder, not a name: j.doe/a.bmp written to j.dot/a.jpg replaces nothing.
        {"dotted folders differ", [&](TBatchOptionsForm& f) {
             TBatchProcOptions o = WebProfile(Dir("Profiles"));
             o.DestFolder = Dir("j.dot") + "/";
             f.SetBatchOptions(o);
         },
         Dir("j.doe") + "/a.bmp", Accepts, {}, false},
        {"a prefix makes the name differ", [&](TBatchOptionsForm& f) {
             TBatchProcOptions o = WebProfile(Dir("Profiles"));
             o.PrefixMode = 1;
             o.PrefixText = "web_";
             f.SetBatchOptions(o);
         },
         pics + "a.jpg", Accepts, {}, false},
    };
    for (const TCase& c : cases) {
        TRecordingMessageBox box;
        TScopedMessageBox scope(&box);
        auto form = MakeForm(c.FirstFile);
        c.Setup(*form);
        form->show();
        form->OKBtnClick();
        EXPECT_EQ(form->result() == QDialog::Accepted, c.Want == Accepts) << c.Name;
        EXPECT_EQ(form->isVisible(), c.Want == Refuses) << c.Name;
        const auto calls = box.Calls();
        ASSERT_EQ(calls.size(), c.Boxes.size() + (c.Asks ? 1 : 0)) << c.Name;
        for (size_t i = 0; i < c.Boxes.size(); ++i) {
            EXPECT_FALSE(calls[i].IsCheck) << c.Name;
            EXPECT_EQ(calls[i].Kind, c.Boxes[i].first) << c.Name;
            EXPECT_EQ(calls[i].Text, c.Boxes[i].second) << c.Name;
            EXPECT_EQ(calls[i].Caption, "Quillmark") << c.Name;
        }
    }
}

// The output standing where the source stands is asked about, for a .bmp source too (names are
// compared up to their first dot), and for the same folder spelt another way; No keeps the dialog
// open, Yes accepts.
TEST_F(TFormFixture, SameNameInTheSameFolderIsAskedAndNoKeepsTheDialog)
{
    struct TCase
    {
        const char* Name;
        std::string FirstFile;
        std::string DestFolder;
        int Answer;
        bool Accepted;
    } const cases[] = {
        {"jpg, No", Dir("pics") + "/a.jpg", "", mrNo, false},
        {"jpg, Yes", Dir("pics") + "/a.jpg", "", mrYes, true},
        {"bmp becomes jpg, Yes", Dir("pics") + "/b.bmp", "", mrYes, true},
        {"dotted folder, its own", Dir("j.doe") + "/a.bmp", "", mrNo, false},
        {"the same folder by another path", Dir("pics") + "/a.jpg", Dir("j.doe") + "/../pics/", mrNo, false},
    };
    for (const auto& c : cases) {
        TRecordingMessageBox box;
        TScopedMessageBox scope(&box);
        box.Answer(c.Answer);
        auto form = MakeForm(c.FirstFile);
        TBatchProcOptions o = WebProfile(Dir("Profiles"));
        o.DestFolder = c.DestFolder;
        form->SetBatchOptions(o);
        form->show();
        form->OKBtnClick();
        const auto calls = box.Calls();
        ASSERT_EQ(calls.size(), 1u) << c.Name;
        EXPECT_TRUE(calls[0].IsCheck) << c.Name;
        EXPECT_EQ(calls[0].Check.Text, SConfirmBatchOverwrite) << c.Name;
        EXPECT_EQ(calls[0].Check.Buttons, 4) << c.Name;
        EXPECT_EQ(calls[0].Check.Width, 520) << c.Name;
        EXPECT_EQ(calls[0].Check.Height, 180) << c.Name;
        EXPECT_EQ(form->result() == QDialog::Accepted, c.Accepted) << c.Name;
        EXPECT_EQ(form->isVisible(), !c.Accepted) << c.Name;
    }
}

TEST_F(TFormFixture, ATickedYesIsRememberedAndSkipsTheQuestion)
{
    for (int round = 0; round < 2; ++round) {
        TRecordingMessageBox box;
        TScopedMessageBox scope(&box);
        box.Answer(mrYes, true);
        auto form = MakeForm(Dir("pics") + "/a.jpg");
        form->SetBatchOptions(WebProfile(Dir("Profiles")));
        form->OKBtnClick();
        EXPECT_EQ(form->result(), QDialog::Accepted) << round;
        EXPECT_EQ(box.Calls().size(), round == 0 ? 1u : 0u) << round;
    }
    EXPECT_EQ(Store.ReadValue("ConfirmBatchOverwrite").value_or(""), "6");
}

// ---- Record and controls ----

TEST_F(TFormFixture, AcceptedOptionsCarryTheControls)
{
    auto form = MakeForm(Dir("pics") + "/a.jpg");
    TBatchProcOptions o;
    o.ProfileFile = "Print";
    o.DestFolder = Dir("elsewhere");
    o.PrefixMode = 2;
    o.PrefixN = 12;
    o.SuffixMode = 1;
    o.SuffixText = "_s";
    o.LeadingZeros = true;
    o.Digits = 5;
    o.RunForeground = false;
    o.MinimizeMain = true;
    o.ForceJpgExt = true;
    form->SetBatchOptions(o);
    form->OKBtnClick();
    ASSERT_EQ(form->result(), QDialog::Accepted);
    const TBatchProcOptions& r = form->Options;
    EXPECT_EQ(r.ProfileFile, Dir("Profiles") + "/Print.qmp"); // a bare name lives in the profiles folder
    EXPECT_EQ(r.DestFolder, Dir("elsewhere") + "/");           // with its trailing "/"
    EXPECT_EQ(r.PrefixMode, 2);
    EXPECT_EQ(r.PrefixN, 12);
    EXPECT_EQ(r.SuffixMode, 1);
    EXPECT_EQ(r.SuffixText, "_s");
    EXPECT_TRUE(r.LeadingZeros);
    EXPECT_EQ(r.Digits, 5);
    EXPECT_FALSE(r.RunForeground);
    EXPECT_TRUE(r.MinimizeMain);
    EXPECT_FALSE(r.ForceJpgExt);
    EXPECT_TRUE(r.KeepOriginalName);
    EXPECT_TRUE(form->OtherRadio->isChecked());
}

TEST_F(TFormFixture, CountersAndDigitsAreTakenOnlyAboveZero)
{
    auto form = MakeForm("");
    TBatchProcOptions o;
    o.PrefixN = 9;
    o.SuffixN = 8;
    o.Digits = 6;
    form->SetBatchOptions(o);
    o.PrefixN = 0;
    o.SuffixN = -3;
    o.Digits = 0;
    form->SetBatchOptions(o);
    EXPECT_EQ(form->PrefixSpin->value(), 9);
    EXPECT_EQ(form->SuffixSpin->value(), 8);
    EXPECT_EQ(form->DigitsSpin->value(), 6);
}

TEST_F(TFormFixture, CancelChecksNothingAndAcceptsNothing)
{
    auto form = MakeForm(Dir("pics") + "/a.jpg");
    form->show();
    form->CancelBtn->click();
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(Box.Calls().empty());
    EXPECT_TRUE(form->Options.ProfileFile.empty());
}

// ---- Enabling rules and the example ----

TEST_F(TFormFixture, NamingControlsFollowTheirModes)
{
    struct TCase
    {
        int Prefix, Suffix;
        bool Zeros;
        bool PrefixText, PrefixN, SuffixText, SuffixN, ZerosEnabled, Digits;
    } const cases[] = {
        {0, 0, true, false, false, false, false, false, false},
        {1, 0, true, true, false, false, false, false, false},
        {2, 0, false, false, true, false, false, true, false},
        {2, 0, true, false, true, false, false, true, true},
        {0, 2, true, false, false, false, true, true, true},
        {1, 1, true, true, false, true, false, false, false},
    };
    auto form = MakeForm("");
    for (const auto& c : cases) {
        form->PrefixCombo->setCurrentIndex(c.Prefix);
        form->SuffixCombo->setCurrentIndex(c.Suffix);
        form->LeadZerosCheck->setChecked(c.Zeros);
        const std::string name = std::to_string(c.Prefix) + "/" + std::to_string(c.Suffix) + (c.Zeros ? " zeros" : "");
        EXPECT_EQ(form->PrefixEdit->isEnabled(), c.PrefixText) << name;
        EXPECT_EQ(form->PrefixTextLabel->isEnabled(), c.PrefixText) << name;
        EXPECT_EQ(form->PrefixSpin->isEnabled(), c.PrefixN) << name;
        EXPECT_EQ(form->SuffixEdit->isEnabled(), c.SuffixText) << name;
        EXPECT_EQ(form->SuffixSpin->isEnabled(), c.SuffixN) << name;
        EXPECT_EQ(form->LeadZerosCheck->isEnabled(), c.ZerosEnabled) << name;
        EXPECT_EQ(form->DigitsSpin->isEnabled(), c.Digits) << name;
        EXPECT_EQ(form->DigitsLabel->isEnabled(), c.Digits) << name;
    }
    form->SourceRadio->setChecked(true);
    EXPECT_FALSE(form->FolderEdit->isEnabled());
    EXPECT_FALSE(form->FolderBtn->isEnabled());
    form->OtherRadio->setChecked(true);
    EXPECT_TRUE(form->FolderEdit->isEnabled());
    EXPECT_TRUE(form->FolderBtn->isEnabled());
}

TEST_F(TFormFixture, ExampleFollowsEveryNamingControl)
{
    struct TCase
    {
        const char* Name;
        std::function<void(TBatchOptionsForm&)> Set;
        const char* Example;
    } const cases[] = {
        {"defaults", [](TBatchOptionsForm&) {}, "filename.jpg"},
        {"textual prefix", [](TBatchOptionsForm& f) {
             f.PrefixCombo->setCurrentIndex(1);
             f.PrefixEdit->setText("web_");
         }, "web_filename.jpg"},
        {"numeral prefix, zeros to 4, textual suffix", [](TBatchOptionsForm& f) {
             f.PrefixCombo->setCurrentIndex(2);
             f.PrefixSpin->setValue(7);
             f.LeadZerosCheck->setChecked(true);
             f.SuffixCombo->setCurrentIndex(1);
             f.SuffixEdit->setText("_s");
         }, "0007filename_s.jpg"},
        {"a number longer than the digits", [](TBatchOptionsForm& f) {
             f.SuffixCombo->setCurrentIndex(2);
             f.SuffixSpin->setValue(32767);
             f.LeadZerosCheck->setChecked(true);
             f.DigitsSpin->setValue(3);
         }, "filename32767.jpg"},
        {"name left out", [](TBatchOptionsForm& f) {
             f.KeepNameCheck->setChecked(false);
             f.SuffixCombo->setCurrentIndex(2);
             f.SuffixSpin->setValue(12);
         }, "12.jpg"},
        {"a folder does not show", [&](TBatchOptionsForm& f) {
             f.OtherRadio->setChecked(true);
             f.FolderEdit->setText("/somewhere/else");
         }, "filename.jpg"},
    };
    for (const auto& c : cases) {
        auto form = MakeForm("");
        c.Set(*form);
        EXPECT_EQ(form->ExampleLabel->text().toStdString(), c.Example) << c.Name;
    }
}

// ---- The buttons ----

TEST_F(TFormFixture, ProfileButtonSelectsListedProfilesAndPutsOthersFirst)
{
    auto form = MakeForm("");
    std::string chosen;
    form->ChooseProfile = [&](const std::string& folder) {
        EXPECT_EQ(folder, Dir("Profiles"));
        return chosen;
    };
    const auto items = [&] {
        std::vector<std::string> v;
        for (int i = 0; i < form->ProfileCombo->count(); ++i) v.push_back(form->ProfileCombo->itemText(i).toStdString());
        return v;
    };
    chosen = Dir("Profiles") + "/Web.qmp";
    form->ProfileBtnClick();
    EXPECT_EQ(form->ProfileCombo->currentText().toStdString(), "Web");
    EXPECT_EQ(items(), (std::vector<std::string>{"Print", "Web"}));

    // The same name in another folder is another file: it goes first by its full name.
    chosen = Dir("elsewhere") + "/Web.qmp";
    form->ProfileBtnClick();
    EXPECT_EQ(form->ProfileCombo->currentIndex(), 0);
    EXPECT_EQ(items(), (std::vector<std::string>{chosen, "Print", "Web"}));

    // A second full name replaces the first one.
    chosen = Dir("pics") + "/a.jpg";
    form->ProfileBtnClick();
    EXPECT_EQ(items(), (std::vector<std::string>{chosen, "Print", "Web"}));
    TBatchProcOptions o;
    form->GetBatchOptions(o);
    EXPECT_EQ(o.ProfileFile, chosen);

    // Cancelled: nothing changes.
    chosen.clear();
    form->ProfileBtnClick();
    EXPECT_EQ(form->ProfileCombo->currentIndex(), 0);
    EXPECT_EQ(items().size(), 3u);
}

TEST_F(TFormFixture, FolderButtonStartsAtTheEditOrTheFirstFilesFolder)
{
    auto form = MakeForm(Dir("pics") + "/a.jpg");
    std::vector<std::string> starts;
    std::string answer;
    form->ChooseFolder = [&](const std::string& start, std::string& folder) {
        starts.push_back(start);
        folder = answer;
        return !answer.empty();
    };
    // "Other:" with an empty edit opens the browser at once, at the first file's folder.
    answer = Dir("elsewhere");
    form->OtherRadio->click();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], Dir("pics") + "/");
    EXPECT_EQ(form->FolderEdit->text().toStdString(), Dir("elsewhere"));
    // With a folder in the edit, the button starts there, and "Other:" again opens nothing.
    answer.clear();
    form->FolderBtn->click();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1], Dir("elsewhere"));
    EXPECT_EQ(form->FolderEdit->text().toStdString(), Dir("elsewhere")); // cancelled: kept
    form->SourceRadio->click();
    form->OtherRadio->click();
    EXPECT_EQ(starts.size(), 2u);
}

TEST_F(TFormFixture, HelpOpensTheBatchOptionsTopic)
{
    auto form = MakeForm("");
    std::vector<int> topics;
    form->OnHelp = [&](int topic) { topics.push_back(topic); };
    form->HelpBtn->click();
    EXPECT_EQ(topics, std::vector<int>{140});
    EXPECT_TRUE(Box.Calls().empty());
}

} // namespace
