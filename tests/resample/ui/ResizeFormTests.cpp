// The resize dialog: the size boxes and their units, the aspect lock, the options it returns, the
// OK rules and the history it offers.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTest>
#include <cmath>

#include "resample/ui/ResolutionForm.h"
#include "platform/MessageBox.h"
#include "platform/SettingsStore.h"
#include "resample/ui/ResizeForm.h"
#include "resample/ui/SizeSpinBox.h"
#include "support/GuiTestApp.h"

namespace {

class ResizeFormTest : public ::testing::Test
{
  protected:
    void SetUp() override { EnsureGuiInvoker(); }
    void TearDown() override
    {
        if (Form) Form->hide();
        Form.reset();
    }

    // A form on a 400 x 300 picture at the given resolution, shown (the history is read then).
    TResizeForm& Show(int horzDPI = 96, int vertDPI = 96)
    {
        Form = std::make_unique<TResizeForm>(nullptr, &History, nullptr);
        Form->SetImage(400, 300, horzDPI, vertDPI, false);
        Form->show();
        return *Form;
    }
    // Types text into a size box as the user does (the old text selected first).
    static void Type(TSizeSpinBox* box, const QString& text)
    {
        box->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(box, text);
    }
    static QString Text(TSizeSpinBox* box) { return box->text(); }
    std::string Stored(const std::string& name) { return History.ReadValue(name).value_or("(none)"); }

    TMemorySettingsStore History;
    TRecordingMessageBox Box;
    TScopedMessageBox UseBox{&Box};
    std::unique_ptr<TResizeForm> Form;
};

// The arrows of an inch box go to the next tenth, never below zero.
TEST_F(ResizeFormTest, InchArrowsStepToTheNextTenth)
{
    const struct
    {
        double value;
        int steps;
        double expected;
    } rows[] = {{1.25, 1, 1.30},  {0.05, -1, 0.00}, {1.30, 1, 1.40}, {1.30, -1, 1.20},
                {0.00, -1, 0.00}, {2.99, -1, 2.80}, {7.00, 1, 7.10}};
    for (const auto& r : rows)
        EXPECT_NEAR(TSizeSpinBox::StepInches(r.value, r.steps), r.expected, 1e-9)
            << r.value << " " << r.steps;

    TSizeSpinBox box;
    box.SetInches(true);
    box.SetValue(1.25);
    box.stepBy(1);
    EXPECT_EQ(box.text(), "1.30");
    box.SetValue(0.05);
    box.stepBy(-1);
    EXPECT_EQ(box.text(), "0.00");
    // Typing keeps digits and the first decimal point only.
    box.show();
    Type(&box, "1a.2.5");
    EXPECT_EQ(box.text(), "1.25");
    box.SetInches(false);
    Type(&box, "3.5");
    EXPECT_EQ(box.text(), "35");
}

// The method list's positions, the side that follows the aspect stored as 0, inches in thousandths.
TEST_F(ResizeFormTest, OptionsFromTheControls)
{
    TResizeForm& f = Show();
    EXPECT_EQ(f.HistoryList->currentRow(), 0); // no history: "Original options"
    EXPECT_EQ(f.HistoryList->item(0)->text(), "Original options");
    EXPECT_EQ(Text(f.WidthEdit), "400");
    EXPECT_EQ(Text(f.HeightEdit), "300");
    EXPECT_TRUE(f.AspectCheckBox->isChecked());
    EXPECT_EQ(f.AspectLabel->text(), "Aspect ratio: 1.333");

    const int methods[4] = {3, 0, 1, 2};
    for (int position = 0; position < 4; ++position) {
        f.MethodList->setCurrentRow(position);
        EXPECT_EQ(f.GetOptions().Method, methods[position]) << position;
        EXPECT_EQ(f.FidelityTrackBar->isEnabled(), position == 0);
    }
    f.MethodList->setCurrentRow(0);

    Type(f.WidthEdit, "200");
    EXPECT_EQ(Text(f.HeightEdit), "150");
    EXPECT_TRUE(f.WidthLabel->font().bold());
    EXPECT_FALSE(f.HeightLabel->font().bold());
    TResamplingOptions o = f.GetOptions();
    EXPECT_EQ(o.Purpose, 0);
    EXPECT_TRUE(o.Aspect);
    EXPECT_EQ(o.Method, 3);
    EXPECT_EQ(o.Fidelity, 256);
    EXPECT_EQ(o.WUnits, 0);
    EXPECT_EQ(o.HUnits, 0);
    EXPECT_EQ(o.Width, 200);
    EXPECT_EQ(o.Height, 0);
    EXPECT_EQ(o.HorzDPI, 96);

    Type(f.HeightEdit, "60");
    EXPECT_EQ(Text(f.WidthEdit), "80");
    EXPECT_TRUE(f.HeightLabel->font().bold());
    o = f.GetOptions();
    EXPECT_EQ(o.Width, 0);
    EXPECT_EQ(o.Height, 60);

    // Percents of 80 x 60 on 400 x 300: 20 and 20; inches at 96 dpi: 0.833 and 0.625.
    f.UnitsCombo->setCurrentIndex(1);
    EXPECT_EQ(Text(f.WidthEdit), "20");
    EXPECT_EQ(Text(f.HeightEdit), "20");
    EXPECT_FALSE(f.DPILabel->isVisible());
    f.UnitsCombo->setCurrentIndex(2);
    EXPECT_EQ(Text(f.WidthEdit), "0.833");
    EXPECT_EQ(Text(f.HeightEdit), "0.625");
    EXPECT_TRUE(f.DPILabel->isVisible());
    o = f.GetOptions();
    EXPECT_EQ(o.WUnits, 2);
    EXPECT_EQ(o.Height, 625);
    EXPECT_EQ(o.Width, 0);

    // Without the lock both sides are stored as typed.
    f.AspectCheckBox->setChecked(false);
    Type(f.WidthEdit, "2.5");
    o = f.GetOptions();
    EXPECT_EQ(o.Width, 2500);
    EXPECT_EQ(o.Height, 625);
    EXPECT_FALSE(o.Aspect);
}

// A thumbnail box is in pixels, with the units and the lock out of reach.
TEST_F(ResizeFormTest, ThumbnailForcesPixels)
{
    TResizeForm& f = Show();
    f.UnitsCombo->setCurrentIndex(1);
    EXPECT_EQ(Text(f.WidthEdit), "100");
    f.PurposeCombo->setCurrentIndex(1);
    EXPECT_EQ(f.UnitsCombo->currentIndex(), 0);
    EXPECT_FALSE(f.UnitsCombo->isEnabled());
    EXPECT_FALSE(f.AspectCheckBox->isEnabled());
    EXPECT_EQ(Text(f.WidthEdit), "400");
    Type(f.WidthEdit, "120");
    EXPECT_EQ(Text(f.HeightEdit), "300"); // a box: the other side stays
    const TResamplingOptions o = f.GetOptions();
    EXPECT_EQ(o.Purpose, 1);
    EXPECT_EQ(o.Width, 120);
    EXPECT_EQ(o.Height, 300);
    f.PurposeCombo->setCurrentIndex(0);
    EXPECT_TRUE(f.UnitsCombo->isEnabled());
    EXPECT_EQ(Text(f.HeightEdit), "90"); // the lock applies again: 120 x 300 / 400
}

// OK: a side under 8 pixels warns and keeps the dialog; the picture's own size cancels; otherwise
// the options go into the history as its newest entry.
TEST_F(ResizeFormTest, OkRules)
{
    TResizeForm& f = Show();
    f.AspectCheckBox->setChecked(false);
    Type(f.WidthEdit, "7");
    f.accept();
    ASSERT_EQ(Box.Calls().size(), 1u);
    EXPECT_EQ(Box.Calls()[0].Text,
              "Size value is too small: the minimum value for the width or height is 8 pixels.");
    EXPECT_TRUE(f.isVisible());

    Type(f.WidthEdit, "400");
    f.accept();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_EQ(Stored("Number"), "(none)");

    TResizeForm& g = Show();
    Type(g.WidthEdit, "200");
    g.MethodList->setCurrentRow(2); // Bell
    g.accept();
    EXPECT_EQ(g.result(), QDialog::Accepted);
    EXPECT_EQ(g.Options.Width, 200);
    EXPECT_EQ(Stored("Number"), "1");
    EXPECT_EQ(Stored("Width1"), "200");
    EXPECT_EQ(Stored("Height1"), "0");
    EXPECT_EQ(Stored("Method1"), "1");

    // The next time the entry is offered first and applied: the height follows the width again.
    TResizeForm& h = Show();
    ASSERT_EQ(h.HistoryList->count(), 2);
    EXPECT_EQ(h.HistoryList->currentRow(), 1);
    EXPECT_EQ(h.HistoryList->item(1)->text(), "Resized Image Width:200 pixels {Bell}");
    EXPECT_EQ(Text(h.WidthEdit), "200");
    EXPECT_EQ(Text(h.HeightEdit), "150");
    EXPECT_EQ(h.MethodList->currentRow(), 2);
    EXPECT_FALSE(h.FidelityTrackBar->isEnabled());
    EXPECT_EQ(h.UserSide(), 3); // showing the form forgets which side was typed
    h.HistoryList->setCurrentRow(0);
    EXPECT_EQ(Text(h.WidthEdit), "400");
    EXPECT_EQ(h.MethodList->currentRow(), 0);

    // An entry that holds the height alone keeps it so when taken again untouched.
    Type(h.HeightEdit, "60");
    h.accept();
    TResizeForm& k = Show();
    EXPECT_EQ(k.HistoryList->item(1)->text(), "Resized Image Height:60 pixels {Bicubic HQ VF}");
    EXPECT_EQ(Text(k.WidthEdit), "80");
    const TResamplingOptions again = k.GetOptions();
    EXPECT_EQ(again.Width, 0);
    EXPECT_EQ(again.Height, 60);
}

// The resolution: below 1 it counts as 96; the label opens the resolution dialog and takes its
// values on OK only.
TEST_F(ResizeFormTest, ResolutionLabel)
{
    TResizeForm& f = Show(0, 0);
    EXPECT_EQ(f.DPILabel->text(), "*at 96 DPI");
    f.UnitsCombo->setCurrentIndex(2);
    EXPECT_EQ(Text(f.WidthEdit), "4.167"); // 400 / 96

    TResizeForm& g = Show(72, 96);
    EXPECT_EQ(g.DPILabel->text(), "*at 72/96 DPI");
    g.ResolutionRunner = [](TResolutionForm& r) {
        EXPECT_EQ(r.HorzDPI, 72);
        r.HorzDPI = 150;
        r.VertDPI = 150;
        r.DefaultForProfile = true;
        return false;
    };
    g.EditResolution();
    EXPECT_EQ(g.HorzDPI, 72);
    EXPECT_FALSE(g.ResolutionFlag);
    g.ResolutionRunner = [](TResolutionForm& r) {
        r.HorzDPI = 150;
        r.VertDPI = 150;
        r.DefaultForProfile = true;
        return true;
    };
    g.UnitsCombo->setCurrentIndex(2);
    QTest::mouseClick(g.DPILabel, Qt::LeftButton); // the label is the way to the resolution dialog
    EXPECT_EQ(g.DPILabel->text(), "*at 150 DPI");
    EXPECT_EQ(g.HorzDPI, 150);
    EXPECT_TRUE(g.ResolutionFlag);
    // Inches now count at 150 dpi: 3 inches are 450 pixels.
    g.AspectCheckBox->setChecked(false);
    Type(g.WidthEdit, "3");
    EXPECT_EQ(g.SidePixels(0), 450);
}

// Help opens the topic the resize and resolution dialogs share.
TEST_F(ResizeFormTest, HelpOpensItsTopic)
{
    std::vector<int> topics;
    TResizeForm f(nullptr, &History, [&](int topic) { topics.push_back(topic); });
    f.SetImage(400, 300, 96, 96, false);
    f.show();
    auto* buttons = f.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    QAbstractButton* help = nullptr;
    for (QAbstractButton* b : buttons->buttons())
        if (b->text() == "&Help") help = b;
    ASSERT_NE(help, nullptr);
    help->click();
    EXPECT_EQ(topics, std::vector<int>{91});
    EXPECT_TRUE(f.isVisible());
}

} // namespace
