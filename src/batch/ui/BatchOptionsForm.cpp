#include "batch/ui/BatchOptionsForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "batch/BatchFileOrder.h"
#include "common/CheckMessage.h"
#include "common/CommLib.h"
#include "common/StrRes.h"
#include "controls/FileDialog.h"
#include "controls/FolderBrowserWindow.h"
#include "controls/FolderDialog.h"

namespace {

constexpr int BatchOptionsHelpTopic = 140;

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

QSpinBox* NumberField(int low, int high, int value)
{
    auto* s = new QSpinBox;
    s->setRange(low, high);
    s->setValue(value);
    return s;
}

QComboBox* NamePartCombo()
{
    auto* c = new QComboBox;
    c->addItems({"(none)", "Textual", "Numeral"});
    return c;
}

QPushButton* EllipsisButton()
{
    auto* b = new QPushButton("...");
    b->setFixedWidth(b->fontMetrics().horizontalAdvance("...") + 24);
    return b;
}

// The same folder on disk (links and "." or ".." resolved) when both exist, else the same text.
bool SameFolder(const std::string& a, const std::string& b)
{
    const QString ca = QFileInfo(Q(a)).canonicalFilePath(), cb = QFileInfo(Q(b)).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
    return IncludeBackslash(a) == IncludeBackslash(b);
}

bool DefaultChooseFolder(QWidget* parent, const std::string& start, std::string& folder)
{
    TFolderDialog dialog(parent);
    dialog.ParentWindow = parent;
    dialog.Flags |= TBrowseInfoFlag::OnlyFileSystem;
    dialog.SetFolder(start);
    if (!dialog.Execute()) return false;
    folder = dialog.Folder();
    return true;
}

} // namespace

TBatchOptionsForm::TBatchOptionsForm(QWidget* owner, const QStringList& profileNames,
                                     const std::string& profilesFolder, const std::string& firstFile,
                                     TSettingsStore* settings)
    : QDialog(owner), FProfilesFolder(profilesFolder), FFirstFile(firstFile), FSettings(settings)
{
    setWindowTitle("Batch Options");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ChooseFolder = [this](const std::string& start, std::string& folder) {
        return DefaultChooseFolder(this, start, folder);
    };
    ChooseProfile = [this](const std::string& folder) {
        return S(AskOpenFileName(this, "Open Profile...", Q(folder),
                                 "QMK Compression Profiles (*.qmp);;All files (*)"));
    };

    // ---- Compression profile ----
    auto* profileGroup = new QGroupBox(" Compression Profile ");
    auto* pl = new QHBoxLayout(profileGroup);
    ProfileCombo = new QComboBox;
    ProfileCombo->addItems(profileNames);
    ProfileCombo->setCurrentIndex(-1);
    ProfileCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ProfileCombo->setMinimumContentsLength(28);
    ProfileBtn = EllipsisButton();
    pl->addWidget(ProfileCombo, 1);
    pl->addWidget(ProfileBtn);

    // ---- Destination folder ----
    auto* folderGroup = new QGroupBox(" Destination Folder ");
    auto* fl = new QGridLayout(folderGroup);
    SourceRadio = new QRadioButton("Source");
    OtherRadio = new QRadioButton("Other:");
    auto* radios = new QButtonGroup(this);
    radios->addButton(SourceRadio);
    radios->addButton(OtherRadio);
    SourceRadio->setChecked(true);
    FolderEdit = new QLineEdit;
    FolderBtn = EllipsisButton();
    fl->addWidget(SourceRadio, 0, 0, 1, 3);
    fl->addWidget(OtherRadio, 1, 0);
    fl->addWidget(FolderEdit, 1, 1);
    fl->addWidget(FolderBtn, 1, 2);
    fl->setColumnStretch(1, 1);

    // ---- Resulting file name ----
    auto* nameGroup = new QGroupBox(" Resulting File Name ");
    auto* nl = new QGridLayout(nameGroup);
    PrefixCombo = NamePartCombo();
    PrefixTextLabel = new QLabel("Text:");
    PrefixEdit = new QLineEdit;
    PrefixNLabel = new QLabel("Initial #:");
    PrefixSpin = NumberField(0, 32767, 1);
    SuffixCombo = NamePartCombo();
    SuffixTextLabel = new QLabel("Text:");
    SuffixEdit = new QLineEdit;
    SuffixNLabel = new QLabel("Initial #:");
    SuffixSpin = NumberField(0, 32767, 1);
    nl->addWidget(new QLabel("Prefix:"), 0, 0);
    nl->addWidget(PrefixCombo, 0, 1);
    nl->addWidget(PrefixTextLabel, 0, 2);
    nl->addWidget(PrefixEdit, 0, 3);
    nl->addWidget(PrefixNLabel, 0, 4);
    nl->addWidget(PrefixSpin, 0, 5);
    nl->addWidget(new QLabel("Suffix:"), 1, 0);
    nl->addWidget(SuffixCombo, 1, 1);
    nl->addWidget(SuffixTextLabel, 1, 2);
    nl->addWidget(SuffixEdit, 1, 3);
    nl->addWidget(SuffixNLabel, 1, 4);
    nl->addWidget(SuffixSpin, 1, 5);
    nl->setColumnStretch(3, 1);
    KeepNameCheck = new QCheckBox("Contains original file name (between prefix and suffix)");
    KeepNameCheck->setChecked(true);
    nl->addWidget(KeepNameCheck, 2, 0, 1, 6);
    auto* zerosRow = new QHBoxLayout;
    LeadZerosCheck = new QCheckBox("Enable leading zeroes in numeral format of ");
    DigitsSpin = NumberField(2, 8, 4);
    DigitsLabel = new QLabel("digits.");
    zerosRow->addWidget(LeadZerosCheck);
    zerosRow->addWidget(DigitsSpin);
    zerosRow->addWidget(DigitsLabel);
    zerosRow->addStretch();
    nl->addLayout(zerosRow, 3, 0, 1, 6);
    auto* exampleRow = new QHBoxLayout;
    ExampleLabel = new QLabel;
    ExampleLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    exampleRow->addWidget(new QLabel("Example:"));
    exampleRow->addWidget(new QLabel("filename.jpg"));
    exampleRow->addWidget(new QLabel("-->"));
    exampleRow->addWidget(ExampleLabel, 1);
    nl->addLayout(exampleRow, 4, 0, 1, 6);

    // ---- How the job runs ----
    FGProcCheckBox = new QCheckBox("Run as a foreground process");
    FGProcCheckBox->setChecked(true);
    MinimizeCheckBox = new QCheckBox("Keep the main window minimized while processing");

    auto* buttons = new QDialogButtonBox;
    OKBtn = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    CancelBtn = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    HelpBtn = buttons->addButton("Help", QDialogButtonBox::HelpRole);
    OKBtn->setDefault(true);

    auto* top = new QVBoxLayout(this);
    top->addWidget(profileGroup);
    top->addWidget(folderGroup);
    top->addWidget(nameGroup);
    top->addWidget(FGProcCheckBox);
    top->addWidget(MinimizeCheckBox);
    top->addWidget(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] {
        if (OnHelp) OnHelp(BatchOptionsHelpTopic);
    });
    connect(ProfileBtn, &QPushButton::clicked, this, [this] { ProfileBtnClick(); });
    connect(FolderBtn, &QPushButton::clicked, this, [this] { FolderBtnClick(); });
    connect(OtherRadio, &QRadioButton::clicked, this, [this] { OtherRadioClick(); });
    connect(SourceRadio, &QRadioButton::toggled, this, [this] { UpdateControls(); });
    for (QComboBox* c : {PrefixCombo, SuffixCombo})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { UpdateControls(); });
    for (QCheckBox* c : {KeepNameCheck, LeadZerosCheck})
        connect(c, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    for (QLineEdit* e : {PrefixEdit, SuffixEdit})
        connect(e, &QLineEdit::textChanged, this, [this] { UpdateExample(); });
    for (QSpinBox* s : {PrefixSpin, SuffixSpin, DigitsSpin})
        connect(s, &QSpinBox::valueChanged, this, [this] { UpdateExample(); });
    UpdateControls();
}

void TBatchOptionsForm::SetBatchOptions(const TBatchProcOptions& options)
{
    SelectProfile(options.ProfileFile);
    (options.DestFolder.empty() ? SourceRadio : OtherRadio)->setChecked(true);
    FolderEdit->setText(Q(options.DestFolder));
    const auto mode = [](int m) { return m >= 0 && m <= 2 ? m : 0; };
    PrefixCombo->setCurrentIndex(mode(options.PrefixMode));
    SuffixCombo->setCurrentIndex(mode(options.SuffixMode));
    PrefixEdit->setText(Q(options.PrefixText));
    SuffixEdit->setText(Q(options.SuffixText));
    if (options.PrefixN > 0) PrefixSpin->setValue(options.PrefixN);
    if (options.SuffixN > 0) SuffixSpin->setValue(options.SuffixN);
    if (options.Digits > 0) DigitsSpin->setValue(options.Digits);
    KeepNameCheck->setChecked(options.KeepOriginalName);
    LeadZerosCheck->setChecked(options.LeadingZeros);
    FGProcCheckBox->setChecked(options.RunForeground);
    MinimizeCheckBox->setChecked(options.MinimizeMain);
    UpdateControls();
}

void TBatchOptionsForm::GetBatchOptions(TBatchProcOptions& options) const
{
    options.DestFolder = SourceRadio->isChecked() ? std::string() : IncludeBackslash(S(FolderEdit->text()));
    options.ProfileFile = ProfileFileOf(ProfileCombo->currentText());
    options.KeepOriginalName = KeepNameCheck->isChecked();
    options.PrefixMode = std::max(0, PrefixCombo->currentIndex());
    options.SuffixMode = std::max(0, SuffixCombo->currentIndex());
    options.PrefixText = S(PrefixEdit->text());
    options.SuffixText = S(SuffixEdit->text());
    options.PrefixN = PrefixSpin->value();
    options.SuffixN = SuffixSpin->value();
    options.LeadingZeros = LeadZerosCheck->isChecked();
    options.Digits = DigitsSpin->value();
    options.RunForeground = FGProcCheckBox->isChecked();
    options.MinimizeMain = MinimizeCheckBox->isChecked();
    options.ForceJpgExt = false;
}

std::string TBatchOptionsForm::ProfileFileOf(const QString& entry) const
{
    if (entry.isEmpty()) return std::string();
    if (entry.contains('/')) return S(entry);
    return IncludeBackslash(FProfilesFolder) + S(entry) + ".qmp";
}

// A profile of the profiles folder is selected by its name in the list; any other file takes the
// list's first place by its full name (replacing a full name put there before) and is selected.
// A profile from another folder is never taken for the listed profile of the same name.
void TBatchOptionsForm::SelectProfile(const std::string& fileName)
{
    if (fileName.empty()) {
        ProfileCombo->setCurrentIndex(-1);
        return;
    }
    const std::string folder = ExtractFilePath(fileName);
    if (folder.empty() || SameFolder(folder, FProfilesFolder)) {
        const int i = ProfileCombo->findText(Q(ExtractFileNameNoExt(fileName)), Qt::MatchExactly);
        if (i >= 0) {
            ProfileCombo->setCurrentIndex(i);
            return;
        }
    }
    if (ProfileCombo->count() > 0 && ProfileCombo->itemText(0).contains('/'))
        ProfileCombo->setItemText(0, Q(fileName));
    else
        ProfileCombo->insertItem(0, Q(fileName));
    ProfileCombo->setCurrentIndex(0);
}

void TBatchOptionsForm::ProfileBtnClick()
{
    if (!ChooseProfile) return;
    const std::string chosen = ChooseProfile(FProfilesFolder);
    if (!chosen.empty()) SelectProfile(chosen);
}

void TBatchOptionsForm::FolderBtnClick()
{
    if (!ChooseFolder) return;
    const std::string edit = S(FolderEdit->text());
    const std::string start = SourceRadio->isChecked() || edit.empty() ? ExtractFilePath(FFirstFile) : edit;
    std::string folder;
    if (ChooseFolder(start, folder) && !folder.empty()) FolderEdit->setText(Q(folder));
}

void TBatchOptionsForm::OtherRadioClick()
{
    UpdateControls();
    if (OtherRadio->isChecked() && FolderEdit->text().isEmpty()) FolderBtnClick();
}

void TBatchOptionsForm::UpdateControls()
{
    const int prefix = PrefixCombo->currentIndex(), suffix = SuffixCombo->currentIndex();
    for (QWidget* w : {static_cast<QWidget*>(PrefixTextLabel), static_cast<QWidget*>(PrefixEdit)})
        w->setEnabled(prefix == 1);
    for (QWidget* w : {static_cast<QWidget*>(PrefixNLabel), static_cast<QWidget*>(PrefixSpin)})
        w->setEnabled(prefix == 2);
    for (QWidget* w : {static_cast<QWidget*>(SuffixTextLabel), static_cast<QWidget*>(SuffixEdit)})
        w->setEnabled(suffix == 1);
    for (QWidget* w : {static_cast<QWidget*>(SuffixNLabel), static_cast<QWidget*>(SuffixSpin)})
        w->setEnabled(suffix == 2);
    const bool numeral = prefix == 2 || suffix == 2;
    LeadZerosCheck->setEnabled(numeral);
    DigitsSpin->setEnabled(numeral && LeadZerosCheck->isChecked());
    DigitsLabel->setEnabled(DigitsSpin->isEnabled());
    FolderEdit->setEnabled(OtherRadio->isChecked());
    FolderBtn->setEnabled(OtherRadio->isChecked());
    UpdateExample();
}

QString TBatchOptionsForm::ExampleResText() const
{
    TBatchProcOptions options;
    GetBatchOptions(options);
    options.DestFolder.clear();
    return Q(ExtractFileName(MakeBatchFileName("filename.jpg", options)));
}

void TBatchOptionsForm::UpdateExample() { ExampleLabel->setText(ExampleResText()); }

bool TBatchOptionsForm::CheckOptions()
{
    GetBatchOptions(Options);
    if (Options.ProfileFile.empty()) {
        ShowError(Owner(), SProfileNotSelected);
        return false;
    }
    if (!QFileInfo(Q(Options.ProfileFile)).isFile()) {
        ShowWarning(Owner(), SCannotLoadFile + Options.ProfileFile);
        return false;
    }
    if (OtherRadio->isChecked() && FolderEdit->text().isEmpty()) {
        ShowError(Owner(), SDestFolderNotSelected);
        return false;
    }
    if (!Options.KeepOriginalName && Options.PrefixMode != 2 && Options.SuffixMode != 2) {
        ShowError(Owner(), SNamesWillNotDiffer);
        return false;
    }
    if (!FFirstFile.empty() && BatchNamesIdentical(FFirstFile, Options))
        return IsConsent(ShowCheckMessage(Owner(), FSettings, CmConfirmBatchOverwrite));
    return true;
}

void TBatchOptionsForm::OKBtnClick()
{
    if (CheckOptions()) accept();
}
