// The main window's Select Source and Acquire against SANE's test device, offscreen, with the
// program's own scanner dialogs driven as a user would.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <filesystem>

#include "SaneTestBench.h"
#include "app/ImageTestKit.h"
#include "app/MainForm.h"
#include "app/QtSettingsStore.h"
#include "app/ScannerCommands.h"
#include "common/CommLib.h"
#include "twain/SaneSourceManager.h"
#include "twain/TwainAcquire.h"
#include "twain/ui/QtSaneDialogs.h"
#include "twain/ui/QtTwainWindowHost.h"
#include "twain/ui/ScannerDialogDriver.h"
#include "workspace/ImageForm.h"

namespace {

using namespace testkit;

class MainFormScannerTest : public TFolderTest
{
protected:
    void SetUp() override
    {
        TFolderTest::SetUp();
        setenv("QM_SETTINGS_DIR", Dir.path().toLocal8Bit().constData(), 1);
        TwainResetSession();
        SetSaneTestOptions({});
        Form = std::make_unique<TMainForm>(std::vector<std::string>{},
                                           std::make_unique<TQtSettingsStore>(Path("QMK.conf")), Path("sock"));
        // As the program starts: the SANE devices served as sources with the program's dialogs.
        Loader = std::make_unique<TSaneManagerLoader>(&Dialogs, Form->Settings.get());
        Windows = std::make_unique<TQtTwainWindowHost>();
        SetTwainWindowHost(Windows.get());
        SetTwainManagerLoader(Loader.get());
        Form->show();
    }
    void TearDown() override
    {
        TwainResetSession();
        SetSaneTestOptions({});
        SetTwainManagerLoader(nullptr);
        SetTwainWindowHost(nullptr);
        for (TImageForm* f : Form->ImageWindows()) f->SetSaved(true);
        Form.reset();
        unsetenv("QM_SETTINGS_DIR");
    }
    static size_t TempFiles()
    {
        return size_t(std::distance(std::filesystem::directory_iterator(RunTempFolder().Path()), {}));
    }
    // Answers the next source selection with the row (or cancels it when row < 0); the rows and the
    // preselected row are recorded.
    void AnswerSelection(int row)
    {
        WhenShown("selectSourceDialog", [this, row](QWidget* dialog) {
            auto* list = dialog->findChild<QListWidget*>("sourceList");
            Rows.clear();
            for (int i = 0; i < list->count(); ++i) Rows.push_back(list->item(i)->text());
            Preselected = list->currentRow();
            ++Selections;
            auto* none = dialog->findChild<QLabel*>("noSourceLabel");
            NoneSaid = none != nullptr && none->isVisible();
            if (row < 0) {
                static_cast<QDialog*>(dialog)->reject();
                return;
            }
            list->setCurrentRow(row);
            static_cast<QDialog*>(dialog)->accept();
        });
    }

    TSaneConfig Config;
    TQtSaneDialogs Dialogs;
    std::unique_ptr<TQtTwainWindowHost> Windows; // made once the application exists
    std::unique_ptr<TMainForm> Form;
    std::unique_ptr<TSaneManagerLoader> Loader;
    QStringList Rows;
    int Preselected = -2;
    int Selections = 0;
    bool NoneSaid = false; // the line that no scanner was found
};

TEST_F(MainFormScannerTest, TheIdentityIsRegisteredWhenTheScannerIsThere)
{
    RegisterScannerIdentity();
    const TW_IDENTITY& id = TwainAppIdentity();
    EXPECT_EQ(id.Version.MajorNum, 4);
    EXPECT_EQ(id.Version.MinorNum, 2);
    EXPECT_EQ(id.Version.Language, 2);
    EXPECT_EQ(id.Version.Country, 1);
    EXPECT_STREQ(id.Version.Info, "4.5");
    EXPECT_STREQ(id.Manufacturer, "www.example.com");
    EXPECT_STREQ(id.ProductFamily, "Veltrane");
    EXPECT_STREQ(id.ProductName, "Quillmark");
    EXPECT_EQ(TWAIN_State(), 1);
    EXPECT_TRUE(Box.Calls().empty());
}

// Select Source lists both test devices with the first preselected; the choice is kept as the
// default (preselected the next time), and a cancelled selection counts as no source.
TEST_F(MainFormScannerTest, SelectSourceListsTheTestScanners)
{
    AnswerSelection(1);
    Form->FileSelSourceAction->trigger();
    ASSERT_EQ(Rows.size(), 2);
    EXPECT_TRUE(Rows[0].startsWith("test:0")) << Rows[0].toStdString();
    EXPECT_TRUE(Rows[1].startsWith("test:1")) << Rows[1].toStdString();
    EXPECT_EQ(Preselected, 0);
    EXPECT_TRUE(Form->Scanner.SourceSelected);

    AnswerSelection(-1);
    Form->FileSelSourceAction->trigger();
    EXPECT_EQ(Preselected, 1);
    EXPECT_FALSE(Form->Scanner.SourceSelected);
    EXPECT_TRUE(Box.Calls().empty());
    EXPECT_TRUE(Form->isEnabled());
}

// The first Acquire only selects; the second shows the source dialog, whose Scan gives a colour
// picture that opens in a new image window, pixel for pixel as scanimage reads it, and the file it
// came through is gone.
TEST_F(MainFormScannerTest, AcquireOpensTheScanInAnImageWindow)
{
    SetSaneTestOptions({{"test-picture", "Color pattern"}});
    const size_t before = TempFiles();
    AnswerSelection(0);
    Form->FileAcquireAction->trigger();
    EXPECT_EQ(Rows.size(), 2);
    EXPECT_TRUE(Form->ImageWindows().empty());

    bool mainDisabled = false;
    WhenShown("sourceDialog", [&](QWidget* dialog) {
        mainDisabled = !Form->isEnabled();
        dialog->findChild<QComboBox*>("modeCombo")->setCurrentText("Color");
        Click(dialog, "scanButton");
    });
    Form->FileAcquireAction->trigger();
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(Form->isEnabled());
    EXPECT_EQ(TopLevel("sourceDialog"), nullptr);
    EXPECT_TRUE(Box.Calls().empty());
    EXPECT_EQ(TempFiles(), before);
    ASSERT_EQ(Form->ImageWindows().size(), 1u);
    const TBitmap* scan = Form->ImageWindows()[0]->SourceBitmap();
    ASSERT_NE(scan, nullptr);
    ASSERT_EQ(scan->Width(), 157);
    ASSERT_EQ(scan->Height(), 196);
    ASSERT_EQ(scan->PixelFormat(), TPixelFormat::pf24bit);

    const TPnm ref = ScanImage("test:0", {{"mode", "Color"}, {"test-picture", "Color pattern"}});
    ASSERT_EQ(ref.Kind, '6');
    ASSERT_EQ(ref.Width, 157);
    ASSERT_EQ(ref.Height, 196);
    ASSERT_GE(ref.Data.size(), size_t(157) * 196 * 3);
    int differing = 0;
    for (int y = 0; y < ref.Height; ++y)
        for (int x = 0; x < ref.Width; ++x)
            for (int c = 0; c < 3; ++c) // the bitmap keeps blue, green, red; the PNM red, green, blue
                differing += scan->ScanLine(y)[3 * x + c] != ref.Data[(size_t(y) * ref.Width + x) * 3 + (2 - c)];
    EXPECT_EQ(differing, 0);
}

// Closing the source dialog without a scan opens nothing and says nothing.
TEST_F(MainFormScannerTest, ClosingTheSourceDialogAcquiresNothing)
{
    const size_t before = TempFiles();
    AnswerSelection(0);
    Form->FileSelSourceAction->trigger();
    WhenShown("sourceDialog", [](QWidget* dialog) { Click(dialog, "closeButton"); });
    Form->FileAcquireAction->trigger();
    EXPECT_TRUE(Form->ImageWindows().empty());
    EXPECT_TRUE(Box.Calls().empty());
    EXPECT_EQ(TempFiles(), before);
    EXPECT_TRUE(Form->isEnabled());
    EXPECT_EQ(TWAIN_State(), 1);
}

// With the scanner library there but no scanner, both commands show the selection with an empty
// list and a line saying so; nothing is chosen and no box follows.
TEST_F(MainFormScannerTest, WithoutAScannerTheSelectionSaysSo)
{
    TSaneConfig noScanner(false);
    for (QAction* command : {Form->FileSelSourceAction, Form->FileAcquireAction, Form->FileAcquireAction}) {
        const int before = Selections;
        AnswerSelection(-1);
        command->trigger();
        ASSERT_EQ(Selections, before + 1) << command->objectName().toStdString();
        EXPECT_TRUE(Rows.isEmpty());
        EXPECT_TRUE(NoneSaid);
        EXPECT_FALSE(Form->Scanner.SourceSelected);
    }
    EXPECT_TRUE(Box.Calls().empty());
}

} // namespace
