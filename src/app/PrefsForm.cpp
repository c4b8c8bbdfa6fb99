#include "app/PrefsForm.h"

#include "codec/JPEGProfile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLabel* WrappedLabel(const QString& text)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

QSpinBox* UpDown(int low, int high, int step)
{
    auto* s = new QSpinBox;
    s->setRange(low, high);
    s->setSingleStep(step);
    return s;
}

} // namespace

TPrefsForm::TPrefsForm(QWidget* owner, const TProgramPrefs& prefs, const QStringList& profileNames)
    : QDialog(owner), Prefs(prefs)
{
    setWindowTitle("Preferences");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    PageControl = new QTabWidget(this);

    // ---- General ----
    auto* general = new QWidget;
    auto* gl = new QVBoxLayout(general);
    auto* defGroup = new QGroupBox(" Default Compression &Parameters ");
    auto* dl = new QVBoxLayout(defGroup);
    DefaultParamsBtn = new QRadioButton("Reset to program default values");
    LastProfileBtn = new QRadioButton("Load the most recently used profile");
    NamedProfileBtn = new QRadioButton("Load the following compression profile:");
    ProfileCombo = new QComboBox;
    ProfileCombo->addItem("Choose a name of profile from the list...");
    ProfileCombo->addItems(profileNames);
    for (QWidget* w : {static_cast<QWidget*>(DefaultParamsBtn), static_cast<QWidget*>(LastProfileBtn),
                       static_cast<QWidget*>(NamedProfileBtn), static_cast<QWidget*>(ProfileCombo)})
        dl->addWidget(w);
    for (QRadioButton* b : {DefaultParamsBtn, LastProfileBtn, NamedProfileBtn})
        connect(b, &QRadioButton::toggled, this, [this] { DefParamsBtnClick(); });
    gl->addWidget(defGroup);

    auto* mailGroup = new QGroupBox(" E-&mail ");
    auto* ml = new QVBoxLayout(mailGroup);
    ml->addWidget(WrappedLabel("Determines the method to create e-mails with attached images."));
    auto* mailRow = new QFormLayout;
    EmailCombo = new QComboBox;
    EmailCombo->addItems({"Desktop mail program (xdg-email)", "MIME EML", "MIME MSG", "MAILTO"});
    mailRow->addRow("Method:", EmailCombo);
    ml->addLayout(mailRow);
    gl->addWidget(mailGroup);

    auto* winGroup = new QGroupBox(" Main &Window ");
    auto* wl = new QVBoxLayout(winGroup);
    SaveSizeCheck = new QCheckBox("Save window size");
    SavePosCheck = new QCheckBox("Save window position");
    SaveToolbarsCheck = new QCheckBox("Save toolbar positions");
    wl->addWidget(SaveSizeCheck);
    wl->addWidget(SavePosCheck);
    wl->addWidget(SaveToolbarsCheck);
    gl->addWidget(winGroup);
    PageControl->addTab(general, "General");

    // ---- Compression Engine ----
    auto* engine = new QWidget;
    auto* el = new QVBoxLayout(engine);
    auto* delayGroup = new QGroupBox(" Delay ");
    auto* del = new QFormLayout(delayGroup);
    del->addRow(WrappedLabel(
        "You can change the time interval to start applying of changed parameters (in automatic mode). "));
    DelayUpDown = UpDown(100, 5000, 100);
    del->addRow("Interval, msec (1 sec = 1000 msec) :", DelayUpDown);
    el->addWidget(delayGroup);

    auto* prioGroup = new QGroupBox(" Priority ");
    auto* pl = new QFormLayout(prioGroup);
    pl->addRow(WrappedLabel("The priority of the compression thread. A higher priority makes the compression "
                            "faster, a lower one keeps other programs responsive."));
    PriorityCombo = new QComboBox;
    PriorityCombo->addItems({"Lowest", "Low", "Normal", "High", "Highest"});
    pl->addRow(PriorityCombo);
    el->addWidget(prioGroup);

    auto* ratioGroup = new QGroupBox(" Compression Ratio ");
    auto* rl = new QFormLayout(ratioGroup);
    rl->addRow(WrappedLabel("The following values used to hold the defined CR."));
    MaxDiffUpDown = UpDown(1, 50, 1);
    MaxApprUpDown = UpDown(3, 100, 1);
    rl->addRow("Maximum difference, % :", MaxDiffUpDown);
    rl->addRow("Maximum number of attempts to match:", MaxApprUpDown);
    el->addWidget(ratioGroup);
    el->addStretch();
    PageControl->addTab(engine, "Compression Engine");

    // ---- Buttons ----
    auto* buttons = new QDialogButtonBox;
    HelpBtn = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
    OKBtn = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
    CancelBtn = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
    OKBtn->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &TPrefsForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TPrefsForm::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] {
        if (OnHelp) OnHelp(135);
    });

    auto* top = new QVBoxLayout(this);
    top->addWidget(PageControl);
    top->addWidget(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);
}

void TPrefsForm::showEvent(QShowEvent* event)
{
    PrefsToForm();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    QDialog::showEvent(event);
}

void TPrefsForm::PrefsToForm()
{
    SaveSizeCheck->setChecked(Prefs.SaveWindowSize);
    SavePosCheck->setChecked(Prefs.SaveWindowPos);
    SaveToolbarsCheck->setChecked(Prefs.SaveToolbarsPos);
    EmailCombo->setCurrentIndex(Prefs.EmailMethod >= 0 && Prefs.EmailMethod <= 3 ? Prefs.EmailMethod : 0);
    ProfileCombo->setCurrentIndex(0);
    ProfileCombo->setEnabled(false);
    switch (Prefs.InitComprParams) {
    case 1: LastProfileBtn->setChecked(true); break;
    case 2: {
        NamedProfileBtn->setChecked(true);
        ProfileCombo->setEnabled(true);
        int i = ProfileCombo->findText(QString::fromStdString(Prefs.NameDefProfile), Qt::MatchExactly);
        if (i > 0) ProfileCombo->setCurrentIndex(i);
        break;
    }
    default: DefaultParamsBtn->setChecked(true); break;
    }
    PriorityCombo->setCurrentIndex(Prefs.ComprPriority >= 0 && Prefs.ComprPriority <= 4 ? Prefs.ComprPriority : 2);
    DelayUpDown->setValue(Prefs.ComprDelay);
    MaxApprUpDown->setValue(Prefs.ComprRatioMaxNumAppr);
    MaxDiffUpDown->setValue(Prefs.ComprRatioMaxDiff);
}

void TPrefsForm::FormToPrefs()
{
    Prefs.SaveWindowSize = SaveSizeCheck->isChecked();
    Prefs.SaveWindowPos = SavePosCheck->isChecked();
    Prefs.SaveToolbarsPos = SaveToolbarsCheck->isChecked();
    Prefs.EmailMethod = EmailCombo->currentIndex();
    if (NamedProfileBtn->isChecked() && ProfileCombo->currentIndex() > 0) {
        Prefs.InitComprParams = 2;
        Prefs.NameDefProfile = CutProfileName(ProfileCombo->currentText().toStdString());
    } else {
        Prefs.InitComprParams = LastProfileBtn->isChecked() ? 1 : 0;
    }
    Prefs.ComprPriority = PriorityCombo->currentIndex();
    Prefs.ComprDelay = DelayUpDown->value();
    Prefs.ComprRatioMaxNumAppr = MaxApprUpDown->value();
    Prefs.ComprRatioMaxDiff = MaxDiffUpDown->value();
}

void TPrefsForm::DefParamsBtnClick() { ProfileCombo->setEnabled(NamedProfileBtn->isChecked()); }

void TPrefsForm::accept()
{
    FormToPrefs();
    QDialog::accept();
}

bool EditPreferences(QWidget* owner, TProgramPrefs& prefs, const QStringList& profileNames,
                     std::function<void(int topic)> onHelp)
{
    TPrefsForm form(owner, prefs, profileNames);
    form.OnHelp = std::move(onHelp);
    if (form.exec() != QDialog::Accepted) return false;
    prefs = form.Prefs;
    return true;
}
