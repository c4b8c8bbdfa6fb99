#include "app/ProfileForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/PanelRules.h"
#include "codec/JPEGImage.h"

namespace {

constexpr int KHelpTopic = 136;
constexpr int KLeafBitRole = Qt::UserRole + 1;

const char* const KPrecisionNames[3] = {"Normal", "High", "Low"};

struct TMaskGroup
{
    const char* Caption;
    std::vector<std::pair<const char*, int>> Leaves; // caption, MatchMask bit number
};

const TMaskGroup KMaskGroups[] = {
    {"Common",
     {{"Compression Ratio", 2}, {"Progressive / Optimized", 5}, {"Grayscale / True color", 4}, {"Precision", 6},
      {"Text comments", 8}, {"Integrity marks", 7}, {"Resizing information", 13}, {"Resolution", 14},
      {"Selections", 12}}},
    {"Base Area", {{"Compression levels", 0}, {"Equalizer", 1}, {"Prefiltering", 3}}},
    {"Selected Area", {{"Compression levels", 9}, {"Equalizer", 10}, {"Prefiltering", 11}}},
};

QString YesNo(bool v) { return v ? "Yes" : "No"; }

QString FilterName(int filter)
{
    if (filter == 0) return "None";
    return filter >= 1 && filter <= 5 ? KPrefilterNames[filter - 1] : QString::number(filter);
}

QString FirstLine(const std::string& text)
{
    const size_t end = text.find_first_of("\r\n");
    return QString::fromStdString(text.substr(0, end));
}

} // namespace

TProfileForm::TProfileForm(QWidget* owner, TSettingsStore* resampling) : QDialog(owner), FResampling(resampling)
{
    setWindowTitle("Create/Edit Compression Profile");
    PageControl = new QTabWidget(this);

    // ---- General ----
    auto* general = new QWidget;
    auto* gl = new QVBoxLayout(general);
    auto* nameRow = new QHBoxLayout;
    auto* nameLabel = new QLabel("&Name:");
    NameEdit = new QLineEdit;
    NameEdit->setMaxLength(64);
    nameLabel->setBuddy(NameEdit);
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(NameEdit, 1);
    gl->addLayout(nameRow);

    gl->addWidget(new QLabel("Compression parameters:"));
    ParamListView = new QTreeWidget;
    ParamListView->setColumnCount(3);
    ParamListView->setHeaderLabels({"Name", "Value", "Kind"});
    ParamListView->setRootIsDecorated(false);
    ParamListView->setSelectionMode(QAbstractItemView::SingleSelection);
    ParamListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ParamListView->setColumnWidth(0, 260);
    ParamListView->setColumnWidth(1, 170);
    ParamListView->header()->setStretchLastSection(true);
    ParamListView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ParamListView->setMinimumSize(520, 260);
    gl->addWidget(ParamListView, 1);

    auto* ratioGroup = new QGroupBox(" Compression &Ratio ");
    auto* rl = new QVBoxLayout(ratioGroup);
    DepComprRatioBtn = new QRadioButton("Depends on compression related parameters (default)");
    HoldComprRatioBtn = new QRadioButton("Independent value. Hold invariable about");
    ComprRatioLabel = new QLabel("1:");
    ComprRatioUpDown = new QSpinBox;
    ComprRatioUpDown->setRange(1, 200);
    ComprRatioUpDown->setValue(20);
    rl->addWidget(DepComprRatioBtn);
    auto* holdRow = new QHBoxLayout;
    holdRow->addWidget(HoldComprRatioBtn);
    holdRow->addWidget(ComprRatioLabel);
    holdRow->addWidget(ComprRatioUpDown);
    holdRow->addStretch(1);
    rl->addLayout(holdRow);
    for (QRadioButton* b : {DepComprRatioBtn, HoldComprRatioBtn})
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on) ComprRatioStateChange();
        });
    gl->addWidget(ratioGroup);

    auto* sizeGroup = new QGroupBox(" &Size ");
    auto* sl = new QVBoxLayout(sizeGroup);
    ResampleCheckBox = new QCheckBox("Use the following options to resize images/make thumbnails");
    ResampleCombo = new QComboBox;
    ResampleCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ResampleCombo->setMinimumContentsLength(40);
    connect(ResampleCheckBox, &QCheckBox::clicked, this, [this] { ResampleCheckBoxClick(); });
    sl->addWidget(ResampleCheckBox);
    sl->addWidget(ResampleCombo);
    gl->addWidget(sizeGroup);
    PageControl->addTab(general, "General");

    // ---- Mask ----
    auto* maskPage = new QWidget;
    auto* ml = new QVBoxLayout(maskPage);
    auto* maskText = new QLabel("You can specify the parameters that should be saved with this compression profile. "
                                "Unchecked parameters will not be changed on applying this profile.");
    maskText->setWordWrap(true);
    ml->addWidget(maskText);
    MaskTreeView = new QTreeWidget;
    MaskTreeView->setHeaderHidden(true);
    for (const TMaskGroup& g : KMaskGroups) {
        auto* group = new QTreeWidgetItem(MaskTreeView, {g.Caption});
        group->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable); // never checkable
        for (const auto& [caption, bit] : g.Leaves) {
            auto* leaf = new QTreeWidgetItem(group, {caption});
            // The form toggles leaves itself (a press anywhere on the line, or a key).
            leaf->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            leaf->setData(0, KLeafBitRole, bit);
            leaf->setCheckState(0, Qt::Unchecked);
        }
    }
    connect(MaskTreeView, &QTreeWidget::itemPressed, this, [this](QTreeWidgetItem* item) { ToggleLeaf(item); });
    MaskTreeView->installEventFilter(this);
    ml->addWidget(MaskTreeView, 1);
    RestoreButton = new QPushButton("&Restore Defaults");
    connect(RestoreButton, &QPushButton::clicked, this, [this] { RestoreButtonClick(); });
    auto* restoreRow = new QHBoxLayout;
    restoreRow->addStretch(1);
    restoreRow->addWidget(RestoreButton);
    ml->addLayout(restoreRow);
    PageControl->addTab(maskPage, " Mask ");

    HelpBtn = new QPushButton("&Help");
    OKBtn = new QPushButton("&OK");
    CancelBtn = new QPushButton("&Cancel");
    OKBtn->setDefault(true);
    connect(HelpBtn, &QPushButton::clicked, this, [this] {
        if (OnHelp) OnHelp(KHelpTopic);
    });
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(HelpBtn);
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addLayout(buttons);
}

void TProfileForm::ToggleLeaf(QTreeWidgetItem* item)
{
    if (!item || !item->parent()) return; // group nodes never change
    item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

bool TProfileForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == MaskTreeView && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            ToggleLeaf(MaskTreeView->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TProfileForm::showEvent(QShowEvent* event)
{
    PageControl->setCurrentIndex(0);
    ProfileToForm();
    QDialog::showEvent(event);
}

void TProfileForm::accept()
{
    FormToProfile();
    QDialog::accept();
}

void TProfileForm::ProfileToForm()
{
    NameEdit->setText(QString::fromStdString(Profile.Name));
    ComprRatioUpDown->setValue(std::clamp(ImageRatio, 1, 200));
    // Setting the already checked button emits nothing, so the list is filled here in any case.
    (Profile.ComprRatio != 0.0f ? HoldComprRatioBtn : DepComprRatioBtn)->setChecked(true);
    ComprRatioStateChange();

    std::vector<std::string> items;
    LoadResizeMRU(History, &items, FResampling);
    AddResizeMRU(History, &items, Profile.Resampling);
    ResampleCombo->clear();
    ResampleCombo->addItem("Choose from the list of recently applied parameters...");
    for (const std::string& text : items) ResampleCombo->addItem(QString::fromStdString(text));
    const bool resize = Profile.Resampling.Width + Profile.Resampling.Height > 0;
    ResampleCheckBox->setChecked(resize);
    ResampleCombo->setCurrentIndex(resize && ResampleCombo->count() > 1 ? 1 : 0);
    ResampleCombo->setEnabled(resize);

    MaskToTree(Profile.MatchMask);
    MaskTreeView->expandAll();
    MaskTreeView->setCurrentItem(MaskTreeView->topLevelItem(0));
}

void TProfileForm::FormToProfile()
{
    Profile.Name = CutProfileName(NameEdit->text().toStdString());
    const int32_t horz = Profile.Resampling.HorzDPI, vert = Profile.Resampling.VertDPI;
    const int chosen = ResampleCombo->currentIndex();
    if (ResampleCheckBox->isChecked() && chosen >= 1 && chosen <= int(History.size())) {
        const TResamplingOptions entry = History[History.size() - size_t(chosen)];
        Profile.Resampling = entry;
        SaveResizeMRU(History, entry, FResampling);
    } else {
        Profile.Resampling = TResamplingOptions();
    }
    Profile.Resampling.HorzDPI = horz;
    Profile.Resampling.VertDPI = vert;
    Profile.ComprRatio = HoldComprRatioBtn->isChecked() ? float(ComprRatioUpDown->value()) : 0.0f;
    Profile.MatchMask = TreeToMask();
}

void TProfileForm::ComprRatioStateChange()
{
    const bool hold = HoldComprRatioBtn->isChecked();
    ComprRatioUpDown->setEnabled(hold);
    ComprRatioLabel->setEnabled(hold);
    FillProfileParams();
}

void TProfileForm::ResampleCheckBoxClick() { ResampleCombo->setEnabled(ResampleCheckBox->isChecked()); }

void TProfileForm::RestoreButtonClick() { MaskToTree(DefaultMatchMask); }

void TProfileForm::MaskToTree(uint16_t mask)
{
    for (int g = 0; g < MaskTreeView->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = MaskTreeView->topLevelItem(g);
        for (int i = 0; i < group->childCount(); ++i) {
            QTreeWidgetItem* leaf = group->child(i);
            const int bit = leaf->data(0, KLeafBitRole).toInt();
            leaf->setCheckState(0, (mask >> bit & 1) ? Qt::Checked : Qt::Unchecked);
        }
    }
}

uint16_t TProfileForm::TreeToMask() const
{
    uint16_t mask = 0;
    for (int g = 0; g < MaskTreeView->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = MaskTreeView->topLevelItem(g);
        for (int i = 0; i < group->childCount(); ++i) {
            QTreeWidgetItem* leaf = group->child(i);
            if (leaf->checkState(0) == Qt::Checked) mask |= uint16_t(1u << leaf->data(0, KLeafBitRole).toInt());
        }
    }
    return mask;
}

void TProfileForm::FillProfileParams()
{
    const TJPEGProfile& p = Profile;
    // The ratio search moves the levels while a ratio is held; the equalizer bands are relative in
    // Adjustment mode and follow the levels in Full Control mode.
    const QString level = HoldComprRatioBtn->isChecked() ? "Rel." : "Abs.";
    const QString band = p.EqualizerFullControl ? level : QString("Rel.");
    const QString plain = "Abs.";
    std::vector<std::array<QString, 3>> rows;
    auto add = [&rows](const QString& name, const QString& value, const QString& kind) {
        rows.push_back({name, value, kind});
    };
    add("Luma Compression Level", QString::number(101 - p.LumQuality), level);
    add("Chroma Compression Level", QString::number(101 - p.ChromQuality), level);
    add("Equalizer control", p.EqualizerFullControl ? "Full" : "Adjustment", plain);
    for (int b = 0; b < 5; ++b)
        add(QString("Detail Quality Equalizer [band %1]").arg(b + 1), QString::number(p.QualityEqualizerBand[size_t(b)]), band);
    add("Active Filter", FilterName(p.ActiveFilter), plain);
    add("Active Filter Value", QString::number(p.FilterValue), plain);
    add("Active Filter Radius", QString::number(p.FilterRadius), plain);
    add("Grayscale", YesNo(p.Grayscale), plain);
    add("Progressive", YesNo(p.ProgressiveEncoding), plain);
    add("Precision", p.Precision <= 2 ? KPrecisionNames[p.Precision] : QString::number(p.Precision), plain);
    add("Restart Interval", QString::number(p.RestartInterval), plain);
    add("Text comment", FirstLine(p.Comments), plain);
    add("Resizing information", YesNo(p.Resampling.Width + p.Resampling.Height >= 1), plain);
    add("Selective Compression", YesNo(p.SelectiveCompression), plain);
    add("Luma Compression Level (Sel.)", QString::number(101 - p.SelLumQuality), level);
    add("Chroma Compression Level (Sel.)", QString::number(101 - p.SelChromQuality), level);
    for (int b = 0; b < 5; ++b)
        add(QString("Detail Quality Equalizer [band %1] (Sel.)").arg(b + 1),
            QString::number(p.SelQualityEqualizerBand[size_t(b)]), band);
    add("Active Filter (Sel.)", FilterName(p.SelActiveFilter), plain);
    add("Active Filter Value (Sel.)", QString::number(p.SelFilterValue), plain);
    add("Active Filter Radius (Sel.)", QString::number(p.SelFilterRadius), plain);
    add("Selections, #", QString::number(std::max(0, p.Data[1])), plain);
    add("Horizontal Resolution, dpi ", QString::number(p.Resampling.HorzDPI), plain);
    add("Vertical Resolution, dpi", QString::number(p.Resampling.VertDPI), plain);

    ParamListView->clear();
    for (const auto& r : rows) {
        auto* item = new QTreeWidgetItem(ParamListView, {r[0], r[1], r[2]});
        item->setToolTip(1, r[1]); // a long comment shows whole
    }
}

bool EditProfile(QWidget* owner, TJPEGProfile& profile, const TJPEGImage& image, TSettingsStore* resampling,
                 std::function<void(int topic)> onHelp)
{
    TProfileForm form(owner, resampling);
    form.Profile = profile;
    form.ImageRatio = image.DisplayRatio;
    form.OnHelp = std::move(onHelp);
    if (form.exec() != QDialog::Accepted) return false;
    profile = form.Profile;
    return true;
}
