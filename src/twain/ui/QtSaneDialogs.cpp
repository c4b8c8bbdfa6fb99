#include "twain/ui/QtSaneDialogs.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWindow>

namespace {

QString DeviceText(const TSaneDevice& d)
{
    QString text = QString::fromStdString(d.Name);
    const QString model = QString::fromStdString((d.Vendor + " " + d.Model + " " + d.Type));
    if (!model.trimmed().isEmpty()) text += QStringLiteral(" \u2014 ") + model.simplified();
    return text;
}

// The window a dialog is transient for: the parent's top-level window, or none.
void MakeTransientFor(QWidget* dialog, TWindowHandle parent)
{
    if (parent == nullptr) return;
    QWidget* owner = static_cast<QWidget*>(parent)->window();
    dialog->winId(); // creates the native window so it can take a transient parent
    if (dialog->windowHandle() != nullptr && owner->windowHandle() != nullptr)
        dialog->windowHandle()->setTransientParent(owner->windowHandle());
}

class TSourceDialog : public QDialog
{
public:
    TSourceDialog(const TSourceDialogSetup& setup, ISaneSourceDialogClient& client) : FClient(client)
    {
        setObjectName("sourceDialog");
        setWindowTitle(QString("Scanner - %1").arg(QString::fromStdString(setup.Title)));
        setAttribute(Qt::WA_DeleteOnClose, false);

        FMode = new QComboBox;
        FMode->setObjectName("modeCombo");
        for (const std::string& m : setup.Modes) FMode->addItem(QString::fromStdString(m));
        FMode->setCurrentText(QString::fromStdString(setup.Current.Mode));
        FResolution = new QSpinBox;
        FResolution->setObjectName("resolutionSpin");
        FResolution->setRange(int(setup.MinResolution),
                              int(setup.MaxResolution > 0 ? setup.MaxResolution : 1200));
        FResolution->setValue(int(setup.Current.Resolution));
        FResolution->setSuffix(" dpi");
        FFlatbed = new QRadioButton("Flatbed");
        FFlatbed->setObjectName("flatbedRadio");
        FFeeder = new QRadioButton("ADF");
        FFeeder->setObjectName("feederRadio");
        FHasFeeder = setup.HasFeeder;
        FFeeder->setEnabled(FHasFeeder);
        (setup.Current.Feeder && setup.HasFeeder ? FFeeder : FFlatbed)->setChecked(true);
        auto* sourceRow = new QHBoxLayout;
        sourceRow->addWidget(FFlatbed);
        sourceRow->addWidget(FFeeder);
        sourceRow->addStretch();

        auto* form = new QFormLayout;
        form->addRow("Mode:", FMode);
        form->addRow("Resolution:", FResolution);
        form->addRow("Source:", sourceRow);

        FProgress = new QProgressBar;
        FProgress->setObjectName("progressBar");
        FProgress->setRange(0, 100);
        FProgress->setValue(0);
        FStatus = new QLabel;
        FStatus->setObjectName("statusLabel");
        FStatus->setWordWrap(true);

        FScan = new QPushButton("Scan");
        FScan->setObjectName("scanButton");
        FScan->setDefault(true);
        FCancel = new QPushButton("Cancel");
        FCancel->setObjectName("cancelButton");
        FCancel->setEnabled(false);
        FClose = new QPushButton("Close");
        FClose->setObjectName("closeButton");
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(FScan);
        buttons->addWidget(FCancel);
        buttons->addWidget(FClose);

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addWidget(FProgress);
        layout->addWidget(FStatus);
        layout->addLayout(buttons);
        setMinimumWidth(360);

        connect(FScan, &QPushButton::clicked, this, [this] {
            TScanRequest r;
            r.Mode = FMode->currentText().toStdString();
            r.Resolution = FResolution->value();
            r.Feeder = FFeeder->isChecked();
            FClient.Scan(r);
        });
        connect(FCancel, &QPushButton::clicked, this, [this] { FClient.CancelScan(); });
        connect(FClose, &QPushButton::clicked, this, [this] { FClient.CloseRequest(); });
    }

    void Started()
    {
        SetControlsEnabled(false);
        FProgress->setRange(0, 100);
        FProgress->setValue(0);
        FStatus->setText("Scanning...");
    }
    void Progress(int percent)
    {
        if (percent < 0) {
            FProgress->setRange(0, 0); // the length is not known
        } else {
            FProgress->setRange(0, 100);
            FProgress->setValue(percent);
        }
    }
    void Ended(const std::string& errorText)
    {
        SetControlsEnabled(true);
        FProgress->setRange(0, 100);
        FProgress->setValue(0);
        FStatus->setText(QString::fromStdString(errorText));
    }

protected:
    // The window's close box and Escape ask the manager to close, as the Close button does.
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        FClient.CloseRequest();
    }
    void reject() override { FClient.CloseRequest(); }

private:
    void SetControlsEnabled(bool idle)
    {
        FScan->setEnabled(idle);
        FMode->setEnabled(idle);
        FResolution->setEnabled(idle);
        FFlatbed->setEnabled(idle);
        FFeeder->setEnabled(idle && FHasFeeder);
        FCancel->setEnabled(!idle);
    }

    ISaneSourceDialogClient& FClient;
    bool FHasFeeder = false;
    QComboBox* FMode;
    QSpinBox* FResolution;
    QRadioButton* FFlatbed;
    QRadioButton* FFeeder;
    QProgressBar* FProgress;
    QLabel* FStatus;
    QPushButton* FScan;
    QPushButton* FCancel;
    QPushButton* FClose;
};

class TSourceDialogHandle : public ISaneSourceDialog
{
public:
    explicit TSourceDialogHandle(TSourceDialog* dialog) : FDialog(dialog) {}
    ~TSourceDialogHandle() override
    {
        if (FDialog) {
            FDialog->hide();
            FDialog->deleteLater(); // the dialog may be inside one of its own handlers
        }
    }
    void ScanStarted() override
    {
        if (FDialog) FDialog->Started();
    }
    void SetProgress(int percent) override
    {
        if (FDialog) FDialog->Progress(percent);
    }
    void ScanEnded(const std::string& errorText) override
    {
        if (FDialog) FDialog->Ended(errorText);
    }

private:
    QPointer<TSourceDialog> FDialog;
};

} // namespace

std::optional<size_t> TQtSaneDialogs::SelectSource(TWindowHandle parent,
                                                   const std::vector<TSaneDevice>& devices,
                                                   size_t preselected)
{
    QDialog dialog(parent != nullptr ? static_cast<QWidget*>(parent)->window() : nullptr);
    dialog.setObjectName("selectSourceDialog");
    dialog.setWindowTitle("Select Source");
    auto* list = new QListWidget;
    list->setObjectName("sourceList");
    for (const TSaneDevice& d : devices) list->addItem(DeviceText(d));
    if (preselected < devices.size()) list->setCurrentRow(int(preselected));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText("Select");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("Sources:"));
    layout->addWidget(list);
    if (devices.empty()) {
        auto* none = new QLabel("No scanner was found. Check that it is connected and switched on, and that "
                                "its SANE driver is installed.");
        none->setObjectName("noSourceLabel");
        none->setWordWrap(true);
        layout->addWidget(none);
        buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    }
    layout->addWidget(buttons);
    dialog.resize(420, 260);
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) return std::nullopt;
    return size_t(list->currentRow());
}

std::unique_ptr<ISaneSourceDialog> TQtSaneDialogs::OpenSourceDialog(TWindowHandle parent,
                                                                    const TSourceDialogSetup& setup,
                                                                    ISaneSourceDialogClient& client)
{
    auto* dialog = new TSourceDialog(setup, client);
    MakeTransientFor(dialog, parent);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return std::make_unique<TSourceDialogHandle>(dialog);
}
