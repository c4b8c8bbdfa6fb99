#include "controls/FolderDialog.h"

#include <filesystem>
#include <system_error>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeView>

#include "controls/FolderBrowserWindow.h"
#include "controls/FolderDialogText.h"
#include "platform/MessageBox.h"

namespace {

QString ToQ(const std::string& s) { return QString::fromStdString(s); }

bool PlainNameBox(QWidget* parent, const std::string& caption, std::string& name)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, ToQ(caption), QString(), QLineEdit::Normal, QString(), &ok);
    name = text.toStdString();
    return ok;
}

// A name that would leave the selected folder or name it again.
bool IsUnsafeFolderName(const std::string& name)
{
    return name.find('/') != std::string::npos || name == "." || name == "..";
}

} // namespace

TFolderDialog::TFolderDialog(QObject* owner, const QLocale& systemLocale)
    : QObject(owner), FNewFolderCaptions(DefaultNewFolderCaptions()), FLabelCaptions(DefaultLabelCaptions()),
      FLangId(LangIdFromLocale(systemLocale))
{
    FNewFolderCaption = ChooseCaption(FNewFolderCaptions, FLangId);
    FLabelCaption = ChooseCaption(FLabelCaptions, FLangId);
}

TFolderDialog::~TFolderDialog() = default;

void TFolderDialog::SetNewFolderVisible(bool value)
{
    FNewFolderVisible = value;
    UpdateButtons();
}

void TFolderDialog::SetNewFolderEnabled(bool value)
{
    FNewFolderEnabled = value;
    UpdateButtons();
}

void TFolderDialog::SetNewFolderCaptions(const TStringList& captions)
{
    FNewFolderCaptions = captions;
    FNewFolderCaption = ChooseCaption(FNewFolderCaptions, FLangId);
    if (FWindow) FWindow->SetNewFolderCaption(ToQ(FNewFolderCaption));
}

void TFolderDialog::SetLabelCaptions(const TStringList& captions)
{
    FLabelCaptions = captions;
    FLabelCaption = ChooseCaption(FLabelCaptions, FLangId);
}

std::string TFolderDialog::RootFolderPath(TSHFolders root)
{
    QStandardPaths::StandardLocation location;
    switch (root) {
    case TSHFolders::foPersonal: location = QStandardPaths::DocumentsLocation; break;
    case TSHFolders::foDesktopFolder: location = QStandardPaths::DesktopLocation; break;
    case TSHFolders::foTemplates: location = QStandardPaths::TemplatesLocation; break;
    default: return {};
    }
    const QString path = QStandardPaths::writableLocation(location);
    // A user folder that does not exist shows the whole tree.
    if (path.isEmpty() || !QFileInfo(path).isDir()) return {};
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath()).toStdString();
}

std::string TFolderDialog::NewFolderPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || name.empty() || name.front() == '/' || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

QWidget* TFolderDialog::OwnerWindow() const
{
    if (ParentWindow) return ParentWindow;
    if (auto* widget = qobject_cast<QWidget*>(parent())) return widget;
    return QApplication::activeWindow();
}

bool TFolderDialog::Execute()
{
    FSelectedFolder = FFolder;
    TFolderBrowserWindow window(OwnerWindow(), ToQ(RootFolderPath(RootFolder)), ToQ(FLabelCaption),
                                Flags.testFlag(TBrowseInfoFlag::ShowPath));
    FWindow = &window;
    FInitialized = false;
    window.SetNewFolderCaption(ToQ(FNewFolderCaption));
    connect(&window, &TFolderBrowserWindow::SelectionChanged, this, &TFolderDialog::SelectionChanged);
    connect(&window, &TFolderBrowserWindow::FirstShown, this, &TFolderDialog::Initialize);
    connect(window.NewFolderButton(), &QPushButton::clicked, this, &TFolderDialog::NewFolderClick);
    const bool accepted = window.exec() == QDialog::Accepted;
    const QString chosen = window.CurrentPath();
    FWindow = nullptr;
    if (!accepted || chosen.isEmpty()) return false;
    FFolder = chosen.toStdString();
    FSelectedFolder = FFolder;
    return true;
}

void TFolderDialog::Initialize()
{
    UpdateButtons();
    if (!FWindow->SelectPath(ToQ(FFolder)) && !(!FSelectedItem.empty() && FWindow->SelectPath(ToQ(FSelectedItem))))
        FWindow->SelectFirst();
    FInitialized = true;
    if (OnInitialized) OnInitialized(this, FWindow);
}

void TFolderDialog::SelectionChanged(const QString& path)
{
    const std::string folder = path.toStdString();
    if (FInitialized) FSelectedItem = folder;
    FSelectedFolder = folder;
    if (Flags.testFlag(TBrowseInfoFlag::ShowPath) && FWindow) FWindow->SetStatusText(ToQ(ShortenPath(folder, 50)));
    FSelectionValid = !FSelectedFolder.empty();
    UpdateButtons();
    if (OnSelectionChanged && FWindow) {
        const QModelIndex item = path.isEmpty() ? QModelIndex() : FWindow->Model()->index(path);
        OnSelectionChanged(this, FWindow, item, FSelectedFolder);
    }
}

void TFolderDialog::UpdateButtons()
{
    if (!FWindow) return;
    FWindow->OkButton()->setEnabled(FSelectionValid || !Flags.testFlag(TBrowseInfoFlag::OnlyFileSystem));
    FWindow->NewFolderButton()->setEnabled(FSelectionValid && FNewFolderEnabled);
    FWindow->NewFolderButton()->setVisible(FNewFolderVisible);
}

void TFolderDialog::NewFolderClick()
{
    if (!FWindow || !FSelectionValid) return;
    std::string name;
    const bool given = NameBox ? NameBox(FWindow, FNewFolderCaption, name) : PlainNameBox(FWindow, FNewFolderCaption, name);
    if (!given || name.empty() || !FWindow) return;
    const std::string path = NewFolderPath(FSelectedFolder, name);
    std::error_code error;
    if (!IsUnsafeFolderName(name)) std::filesystem::create_directory(path, error);
    if (!IsUnsafeFolderName(name) && std::filesystem::is_directory(path, error)) {
        FSelectedFolder = path;
        FWindow->SelectPath(ToQ(path));
        return;
    }
    CurrentMessageBox().Show(FWindow, TMsgKind::mkWarning, FNewFolderCaption, "The directory or file cannot be created.");
}
