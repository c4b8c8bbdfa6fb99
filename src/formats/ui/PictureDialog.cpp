#include "formats/ui/PictureDialog.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeView>

#include "codec/JPEGImage.h"
#include "common/CommLib.h"
#include "controls/FileDialog.h"
#include "formats/ui/ImageInfoForm.h"
#include "formats/ui/PreviewFrames.h"
#include "platform/MainThread.h"

namespace {

const char* const NoPreviewText = "No preview";
const char* const LoadingText = "Loading...";

} // namespace

TEmbeddedFileDialog::TEmbeddedFileDialog(QWidget* parent) : TFileDialog(parent)
{
    setWindowFlags(Qt::Widget);
    ListByNamesOnly(*this);
    setSizeGripEnabled(false);
    // The detail view's size, type and date columns as wide as their texts, the name taking the rest.
    if (auto* tree = findChild<QTreeView*>("treeView")) {
        QHeaderView* header = tree->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

void TEmbeddedFileDialog::done(int result)
{
    // Accepted only after the file dialog's own checks (overwrite question, default suffix); the
    // owner decides what happens next, so this widget stays in place.
    setResult(result);
    emit Finished(result);
}

TOpenPictureDialog::TOpenPictureDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Open");
    setSizeGripEnabled(true);
    FFileDialog = new TEmbeddedFileDialog(this);
    FFileDialog->setFileMode(QFileDialog::ExistingFile);
    FInfo = new TImageInfoForm(this, QSize(PreviewWidth, PreviewHeight));

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 8, 8);
    layout->addWidget(FFileDialog, 0, 0);
    layout->addWidget(FInfo->PicturePanel(), 0, 1);
    layout->addWidget(FInfo->RDirPanel(), 1, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(0, 1);
    FInfo->RDirPanel()->setContentsMargins(8, 0, 0, 0);

    connect(FFileDialog, &QFileDialog::currentChanged, this, [this](const QString& path) { SelectionChanged(path); });
    connect(FFileDialog, &TEmbeddedFileDialog::Finished, this, [this](int result) { FileDialogFinished(result); });
    // However the view moves to another folder (a folder's name entered in the name field, a
    // double click, the recent folders), the listing's root path changes with it, and the file
    // shown was one of the folder left. The name field is looked at once the move is done (the
    // file dialog clears the view's selection after the signal, the recent folders put the typed
    // name back), and a file it names is selected when the new folder's listing shows it.
    if (auto* listing = FFileDialog->findChild<QFileSystemModel*>()) {
        connect(listing, &QFileSystemModel::rootPathChanged, this, [this] { SelectionChanged(QString()); });
        connect(listing, &QFileSystemModel::rootPathChanged, this, [this] { MatchNameToFolder(); },
                Qt::QueuedConnection);
        connect(listing, &QFileSystemModel::rowsInserted, this, [this] { SelectWaitingName(); });
    }
    connect(FInfo, &TImageInfoForm::OpenRequested, this, [this] { PressOk(); });
    connect(FInfo, &TImageInfoForm::PreviewSwitched, this, [this] { DrawCurrentPreview(); });
    connect(FInfo, &TImageInfoForm::UnitsChanged, this, [this] { FInfo->ShowInfo(FFileInfo); });
    connect(FInfo, &TImageInfoForm::HelpRequested, this, [this] {
        if (OnHelp) OnHelp(HelpTopic);
    });
    connect(FInfo, &TImageInfoForm::RecentFolderChosen, this, [this](int index) { ChooseRecentFolder(index); });
    resize(1120, 600);
}

TOpenPictureDialog::~TOpenPictureDialog()
{
    StopLoader();
    // A stopped loader may still be reading a file, and it reports to the main thread when it ends:
    // the dialog goes only after it (at the program's end the event loop would otherwise be gone when
    // it reports), serving events meanwhile. Closing the dialog never waits; only its end does.
    while (TPictureLoadThread::LiveCount() > 0) MainThreadInvoker()->ProcessEvents(20);
}

void TOpenPictureDialog::SetInitialFolder(const std::string& folder)
{
    if (!folder.empty()) FFileDialog->setDirectory(QString::fromStdString(folder));
}

void TOpenPictureDialog::SetFileName(const std::string& name)
{
    const QFileInfo info(QString::fromStdString(name));
    if (name.find('/') != std::string::npos) FFileDialog->setDirectory(info.absolutePath());
    FFileDialog->selectFile(info.fileName());
}

void TOpenPictureDialog::SetFilters(const QStringList& filters) { FFileDialog->setNameFilters(filters); }

void TOpenPictureDialog::SetMultipleSelection(bool on)
{
    FFileDialog->setFileMode(on ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
}

void TOpenPictureDialog::SetDisplayOptions(int options) { FInfo->SetDisplayOptions(options); }

int TOpenPictureDialog::DisplayOptions() const { return FInfo->DisplayOptions(); }

void TOpenPictureDialog::SetRecentFolders(const std::vector<std::string>& folders)
{
    FRecentFolders = folders;
    FLastChosenFolder = -1;
    FInfo->SetRecentFolders(FRecentFolders, FLastChosenFolder);
}

void TOpenPictureDialog::SetPreviewSize(int width, int height)
{
    FInfo->SetPreviewSize(QSize(std::max(width, 16), std::max(height, 16)));
}

bool TOpenPictureDialog::Execute() { return exec() == QDialog::Accepted; }

std::string TOpenPictureDialog::FileName() const
{
    const QStringList files = FFileDialog->selectedFiles();
    return files.isEmpty() ? std::string() : files.first().toStdString();
}

std::vector<std::string> TOpenPictureDialog::FileNames() const
{
    std::vector<std::string> names;
    for (const QString& f : FFileDialog->selectedFiles()) names.push_back(f.toStdString());
    return names;
}

std::unique_ptr<TGraphic> TOpenPictureDialog::TakePicture()
{
    if (!FPicture || FPicture->Empty() || !FFileInfo.PictureInfoValid || FFileInfo.FileName != FileName())
        return nullptr;
    // The preview may have decoded a JPEG at a reduced scale: the window gets the whole picture.
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(FPicture->Graphic())) {
        jpeg->SetScale(0);
        jpeg->FreeBitmap();
        FFileInfo.JpegScale = false;
    }
    return FPicture->ReleaseGraphic();
}

void TOpenPictureDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    FFileDialog->setVisible(true);
    FFileInfo = TImageFileInfo();
    FPicture.reset();
    FLoadError.clear();
    FPreview = QImage();
    FLastName.clear();
    FLoadingName.clear();
    FInfo->ClearInfo();
    FInfo->DrawPreview(QImage(), QRect(), NoPreviewText);
    StopLoader();
    FLoader = new TPictureLoadThread(Loader);
    FLoader->OnResult = [this](TPictureResult& result) { TakeResult(result); };
    FLoader->Start();
    QString ok;
    if (auto* box = FFileDialog->findChild<QDialogButtonBox*>())
        if (QPushButton* button = box->button(FFileDialog->acceptMode() == QFileDialog::AcceptSave
                                                  ? QDialogButtonBox::Save
                                                  : QDialogButtonBox::Open))
            ok = button->text();
    FInfo->SetOpenItem(ok, OpenItemEnabled());
    // A name set before showing selects that file: show it at once.
    const QStringList selected = FFileDialog->selectedFiles();
    if (!selected.isEmpty()) SelectionChanged(selected.first());
    // The keyboard starts in the name field, its text selected: a name typed replaces it, and Enter
    // opens what the field holds (the file chosen last time only while the field still names it).
    if (QLineEdit* edit = NameEdit()) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
}

QLineEdit* TOpenPictureDialog::NameEdit() const
{
    return FFileDialog->findChild<QLineEdit*>("fileNameEdit");
}

void TOpenPictureDialog::StopLoader()
{
    if (!FLoader) return;
    FLoader->Stop(); // frees itself once it has ended; never waited for here
    FLoader = nullptr;
    FLoadingName.clear();
}

void TOpenPictureDialog::done(int result)
{
    StopLoader();
    FWaitingName.clear();
    // The name field's completion list is a window of its own: it goes with the dialog.
    if (QLineEdit* edit = NameEdit())
        if (QCompleter* completer = edit->completer()) completer->popup()->hide();
    QDialog::done(result);
}

void TOpenPictureDialog::SelectionChanged(const QString& path)
{
    const std::string name = path.toStdString();
    if (name == FLastName) return;
    FLastName = name;
    if (name.empty()) {
        // Nothing selected (the view moved to another folder): the panel as it opened.
        FPicture.reset();
        FFileInfo = TImageFileInfo();
        FLoadError.clear();
        FPreview = QImage();
        FLoadingName.clear();
        FInfo->ClearInfo();
        FInfo->SetOpenItem(QString(), OpenItemEnabled());
        FInfo->DrawPreview(QImage(), QRect(), NoPreviewText);
        return;
    }
    if (!QFileInfo(path).isFile() || !FLoader) {
        // A folder or a name without a file: the panel shows the name alone.
        FPicture.reset();
        FFileInfo = TImageFileInfo();
        FFileInfo.FileName = name;
        FLoadError.clear();
        FPreview = QImage();
        FLoadingName.clear();
        ShowCurrent();
        return;
    }
    FLoadingName = name;
    TPictureRequest request;
    request.FileName = name;
    request.FitToBox = !(FInfo->DisplayOptions() & pdoNoPreview);
    request.BoxWidth = FInfo->PreviewSize().width();
    request.BoxHeight = FInfo->PreviewSize().height();
    FLoader->Request(std::move(request));
    FInfo->DrawPreview(QImage(), QRect(), LoadingText);
}

void TOpenPictureDialog::TakeResult(TPictureResult& result)
{
    if (result.FileName == FLoadingName) FLoadingName.clear();
    // A result for a name no longer selected is of no use.
    if (result.FileName != FLastName) return;
    FPicture = std::move(result.Picture);
    FFileInfo = result.Info;
    FLoadError = result.Error;
    FPreview = result.Preview;
    FPreviewPlace = result.PreviewPlace;
    ShowCurrent();
}

void TOpenPictureDialog::ShowCurrent()
{
    FInfo->ShowInfo(FFileInfo);
    FInfo->SetOpenItem(QString(), OpenItemEnabled());
    DrawCurrentPreview();
}

void TOpenPictureDialog::DrawCurrentPreview()
{
    QString text = NoPreviewText;
    if (!FLoadError.empty() && !(FInfo->DisplayOptions() & pdoNoPreview))
        text = QString::fromStdString(ExtractFileName(FFileInfo.FileName)) + "\n\nCannot show this picture:\n" +
               QString::fromStdString(FLoadError);
    else if (!FLoadingName.empty())
        text = LoadingText;
    FInfo->DrawPreview(FFileInfo.PictureInfoValid ? FPreview : QImage(), FPreviewPlace, text);
}

void TOpenPictureDialog::FileDialogFinished(int result)
{
    if (result != QDialog::Accepted) {
        reject();
        return;
    }
    if (FAccepting) return;
    FAccepting = true;
    // OK while the accepted file is still loading waits for it, serving events meanwhile.
    const std::string accepted = FileName();
    while (isVisible() && FLoader && !FLoadingName.empty() && FLoadingName == accepted)
        MainThreadInvoker()->ProcessEvents(20);
    FAccepting = false;
    if (isVisible()) accept();
}

void TOpenPictureDialog::MatchNameToFolder()
{
    FWaitingName.clear();
    // The save dialog's name is usually of a file still to be written: it stays.
    QLineEdit* edit = NameEdit();
    if (!isVisible() || FFileDialog->acceptMode() != QFileDialog::AcceptOpen || !edit || edit->text().isEmpty())
        return;
    // Otherwise the name field, the panel and Open agree: a file of the folder now shown is
    // selected and loaded as a click would; any other name goes.
    const QDir folder = FFileDialog->directory();
    const QFileInfo named(folder, edit->text());
    if (!named.isFile() || named.absolutePath() != folder.absolutePath()) {
        edit->clear();
        SelectionChanged(QString());
        return;
    }
    FWaitingName = named.absoluteFilePath();
    SelectionChanged(FWaitingName);
    SelectWaitingName();
}

void TOpenPictureDialog::SelectWaitingName()
{
    if (FWaitingName.isEmpty()) return;
    auto* listing = FFileDialog->findChild<QFileSystemModel*>();
    auto* view = FFileDialog->findChild<QListView*>("listView");
    QLineEdit* edit = NameEdit();
    // A name typed since then is the user's choice.
    if (!listing || !view || !edit ||
        QFileInfo(FFileDialog->directory(), edit->text()).absoluteFilePath() != FWaitingName) {
        FWaitingName.clear();
        return;
    }
    const QModelIndex index = listing->index(FWaitingName);
    if (!index.isValid()) return; // not listed yet
    FWaitingName.clear();
    view->setCurrentIndex(index);
}

void TOpenPictureDialog::ChooseRecentFolder(int index)
{
    if (index < 0 || index >= int(FRecentFolders.size())) return;
    // The view moves to the folder; the name typed so far stays while it names a file there (see
    // MatchNameToFolder).
    QLineEdit* edit = NameEdit();
    const QString typed = edit ? edit->text() : QString();
    FFileDialog->setDirectory(QString::fromStdString(FRecentFolders[size_t(index)]));
    if (edit) edit->setText(typed);
    FLastChosenFolder = index;
    FInfo->SetRecentFolders(FRecentFolders, FLastChosenFolder);
}

void TOpenPictureDialog::PressOk()
{
    if (auto* box = FFileDialog->findChild<QDialogButtonBox*>())
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QDialogButtonBox::AcceptRole) {
                button->click();
                return;
            }
}

TSavePictureDialog::TSavePictureDialog(QWidget* parent) : TOpenPictureDialog(parent)
{
    setWindowTitle("Save As");
    FileDialog()->setAcceptMode(QFileDialog::AcceptSave);
    FileDialog()->setFileMode(QFileDialog::AnyFile);
    SetFilters({"JPEG/JFIF compliant (*.jpg *.jpeg *.jpe *.jfif)", "All files (*)"});
    SetDefaultSuffix("jpg");
}

void TSavePictureDialog::SetDefaultSuffix(const QString& suffix) { FileDialog()->setDefaultSuffix(suffix); }
