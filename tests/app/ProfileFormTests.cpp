#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include "ImageTestKit.h"
#include "app/ProfileForm.h"
#include "platform/SettingsStore.h"

namespace {

class ProfileFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureGuiTestApp();
        Profile.LumQuality = 75;
        Profile.ChromQuality = 60;
        Profile.MatchMask = 0x3E7F;
        Profile.Resampling.HorzDPI = 300;
        Profile.Resampling.VertDPI = 150;
    }
    std::unique_ptr<TProfileForm> Open()
    {
        auto form = std::make_unique<TProfileForm>(nullptr, &Store);
        form->Profile = Profile;
        form->ImageRatio = 17;
        form->OnHelp = [this](int topic) { Topics.push_back(topic); };
        form->ProfileToForm();
        return form;
    }
    static std::string Cell(TProfileForm& f, int row, int column)
    {
        return f.ParamListView->topLevelItem(row)->text(column).toStdString();
    }
    static QTreeWidgetItem* Leaf(TProfileForm& f, const QString& group, const QString& leaf)
    {
        for (QTreeWidgetItem* item : f.MaskTreeView->findItems(leaf, Qt::MatchExactly | Qt::MatchRecursive))
            if (item->parent() && item->parent()->text(0) == group) return item;
        return nullptr;
    }

    TJPEGProfile Profile;
    TMemorySettingsStore Store;
    std::vector<int> Topics;
};

// Rows 0, 1 levels; 3..7 bands; 18, 19 selection levels; 20..24 selection bands.
TEST_F(ProfileFormTest, KindColumnFollowsTheRatioAndEqualizerModes)
{
    const struct
    {
        bool hold;
        bool fullControl;
        const char* level;
        const char* band;
    } cases[] = {
        {false, false, "Abs.", "Rel."},
        {true, false, "Rel.", "Rel."},
        {false, true, "Abs.", "Abs."},
        {true, true, "Rel.", "Rel."},
    };
    for (const auto& c : cases) {
        Profile.ComprRatio = c.hold ? 12.0f : 0.0f;
        Profile.EqualizerFullControl = c.fullControl;
        auto f = Open();
        EXPECT_EQ(f->HoldComprRatioBtn->isChecked(), c.hold);
        EXPECT_EQ(f->DepComprRatioBtn->isChecked(), !c.hold);
        EXPECT_EQ(f->ComprRatioUpDown->isEnabled(), c.hold);
        EXPECT_EQ(f->ComprRatioUpDown->value(), 17);
        ASSERT_EQ(f->ParamListView->topLevelItemCount(), 31);
        for (int row : {0, 1, 18, 19}) EXPECT_EQ(Cell(*f, row, 2), c.level) << row;
        for (int row : {3, 7, 20, 24}) EXPECT_EQ(Cell(*f, row, 2), c.band) << row;
        for (int row : {2, 8, 11, 17, 30}) EXPECT_EQ(Cell(*f, row, 2), "Abs.") << row;
        // Switching the radio refills the list at once.
        (c.hold ? f->DepComprRatioBtn : f->HoldComprRatioBtn)->setChecked(true);
        EXPECT_EQ(Cell(*f, 0, 2), c.hold ? "Abs." : "Rel.");
    }
}

TEST_F(ProfileFormTest, RowValuesAsThePanelsShowThem)
{
    Profile.QualityEqualizerBand = {-3, 0, 5, 0, 0};
    Profile.Precision = 2;
    Profile.Grayscale = true;
    Profile.Comments = "first line\r\nsecond\r\n";
    Profile.Data[1] = 4;
    Profile.ActiveFilter = 5;
    auto f = Open();
    const struct
    {
        int row;
        const char* name;
        const char* value;
    } rows[] = {
        {0, "Luma Compression Level", "26"},       {1, "Chroma Compression Level", "41"},
        {2, "Equalizer control", "Adjustment"},    {3, "Detail Quality Equalizer [band 1]", "-3"},
        {5, "Detail Quality Equalizer [band 3]", "5"}, {8, "Active Filter", "Smoothing"},
        {11, "Grayscale", "Yes"},
        {12, "Progressive", "No"},                 {13, "Precision", "Low"},
        {15, "Text comment", "first line"},        {16, "Resizing information", "No"},
        {28, "Selections, #", "4"},                {29, "Horizontal Resolution, dpi ", "300"},
        {30, "Vertical Resolution, dpi", "150"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(Cell(*f, r.row, 0), r.name);
        EXPECT_EQ(Cell(*f, r.row, 1), r.value) << r.name;
    }
}

// Leaves toggle their bits; group nodes carry no check; the defaults come back.
TEST_F(ProfileFormTest, MaskTreeEditsTheMatchMask)
{
    auto f = Open();
    QTreeWidgetItem* selections = Leaf(*f, "Common", "Selections");
    ASSERT_NE(selections, nullptr);
    EXPECT_EQ(selections->checkState(0), Qt::Checked);
    // A press on the line of a leaf toggles it, a key on the current leaf too; groups stay as they are.
    f->show();
    QTreeWidgetItem* common = f->MaskTreeView->topLevelItem(0);
    f->PageControl->setCurrentIndex(1);
    QTest::mousePress(f->MaskTreeView->viewport(), Qt::LeftButton, {},
                      f->MaskTreeView->visualItemRect(selections).center());
    QTest::mousePress(f->MaskTreeView->viewport(), Qt::LeftButton, {}, f->MaskTreeView->visualItemRect(common).center());
    EXPECT_EQ(common->data(0, Qt::CheckStateRole), QVariant());
    f->MaskTreeView->setCurrentItem(Leaf(*f, "Common", "Resolution"));
    QTest::keyClick(f->MaskTreeView, Qt::Key_Space);
    f->FormToProfile();
    EXPECT_EQ(f->Profile.MatchMask, (0x3E7F & ~0x1000) | 0x4000);
    for (int g = 0; g < f->MaskTreeView->topLevelItemCount(); ++g)
        EXPECT_FALSE(f->MaskTreeView->topLevelItem(g)->flags() & Qt::ItemIsUserCheckable);
    int leaves = 0;
    for (int g = 0; g < f->MaskTreeView->topLevelItemCount(); ++g) leaves += f->MaskTreeView->topLevelItem(g)->childCount();
    EXPECT_EQ(leaves, 15);
    EXPECT_EQ(Leaf(*f, "Selected Area", "Equalizer")->checkState(0), Qt::Checked); // 0x400
    EXPECT_EQ(Leaf(*f, "Common", "Integrity marks")->checkState(0), Qt::Unchecked); // 0x80
    f->RestoreButton->click();
    EXPECT_EQ(f->TreeToMask(), 0x3E7F);
    f->HelpBtn->click();
    EXPECT_EQ(Topics, std::vector<int>{136});
}

// The profile's own resize options head the history; OK takes the chosen entry, keeps the DPI
// and writes the history back; an unchecked box means no resizing.
TEST_F(ProfileFormTest, ResizeOptionsFromTheHistory)
{
    Store.WriteValue("Number", "1");
    Store.WriteValue("Width1", "100");
    Store.WriteValue("WUnits1", "1");
    Profile.Resampling.Width = 640;
    Profile.Resampling.Height = 480;
    Profile.Resampling.Aspect = true;
    auto f = Open();
    ASSERT_EQ(f->ResampleCombo->count(), 3);
    EXPECT_TRUE(f->ResampleCheckBox->isChecked());
    EXPECT_TRUE(f->ResampleCombo->isEnabled());
    EXPECT_EQ(f->ResampleCombo->currentIndex(), 1);
    EXPECT_EQ(f->ResampleCombo->itemText(1), "Resized Image Width:640 pixels Height:480 pixels {B-Spline}");
    EXPECT_EQ(f->ResampleCombo->itemText(2), "Resized Image Width:100 % {Bell}");

    f->ResampleCombo->setCurrentIndex(2);
    f->NameEdit->setText(QString(70, 'n'));
    f->FormToProfile();
    EXPECT_EQ(f->Profile.Name, std::string(63, 'n'));
    EXPECT_EQ(f->Profile.Resampling.Width, 100);
    EXPECT_EQ(f->Profile.Resampling.WUnits, 1);
    EXPECT_EQ(f->Profile.Resampling.HorzDPI, 300);
    EXPECT_EQ(f->Profile.Resampling.VertDPI, 150);
    EXPECT_EQ(*Store.ReadValue("Number"), "2");
    EXPECT_EQ(*Store.ReadValue("Width2"), "100"); // the chosen entry is the newest
    EXPECT_EQ(*Store.ReadValue("Width1"), "640");

    f->ResampleCheckBox->click();
    EXPECT_FALSE(f->ResampleCombo->isEnabled());
    f->HoldComprRatioBtn->setChecked(true);
    f->ComprRatioUpDown->setValue(33);
    f->FormToProfile();
    EXPECT_EQ(f->Profile.Resampling.Width + f->Profile.Resampling.Height, 0);
    EXPECT_EQ(f->Profile.Resampling.HorzDPI, 300);
    EXPECT_EQ(f->Profile.ComprRatio, 33.0f);
}

} // namespace
