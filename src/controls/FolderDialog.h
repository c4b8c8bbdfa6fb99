#pragma once
// TFolderDialog: lets the user choose a folder in a tree of folders, with a caption over the tree
// and a "New folder" button in the system's language, the selected path in a status line, the
// window centred on the screen, and events when the window is ready and when the selection moves.
// Execute shows it modally.
#include <cstdint>
#include <functional>
#include <string>

#include <QFlags>
#include <QLocale>
#include <QModelIndex>
#include <QObject>
#include <QPointer>

#include "platform/StringList.h"

class TFolderBrowserWindow;
class QWidget;

// Options of the dialog. Only OnlyFileSystem (OK needs a selected folder) and ShowPath (the status
// line) change anything here; the others are kept for callers that set them.
enum class TBrowseInfoFlag : uint32_t {
    OnlyComputers = 0x1000,
    OnlyPrinters = 0x2000,
    OnlyDomains = 0x2,
    OnlyAncestors = 0x8,
    OnlyFileSystem = 0x1,
    ShowPath = 0x4,
};
Q_DECLARE_FLAGS(TBrowseInfoFlags, TBrowseInfoFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TBrowseInfoFlags)

// The root of the tree. The desktop, documents and templates folders are the user's folders of
// those kinds; every other value shows the whole file system.
enum class TSHFolders {
    foDesktop, foDesktopExpanded, foPrograms, foControlPanel, foPrinters, foPersonal, foFavorites,
    foStartup, foRecent, foSendto, foRecycleBin, foStartMenu, foDesktopFolder, foMyComputer, foNetwork,
    foNetworkNeighborhood, foFonts, foTemplates,
};

class TFolderDialog : public QObject
{
    Q_OBJECT
public:
    using TBrowserInitializedEvent = std::function<void(TFolderDialog* sender, QWidget* dialogHandle)>;
    using TSelectionChangedEvent = std::function<void(TFolderDialog* sender, QWidget* dialogHandle,
                                                      const QModelIndex& item, const std::string& folder)>;
    // Asks for the name of a new folder; false when the user cancels.
    using TNameBox = std::function<bool(QWidget* parent, const std::string& caption, std::string& name)>;

    // The captions follow systemLocale's language.
    explicit TFolderDialog(QObject* owner = nullptr, const QLocale& systemLocale = QLocale::system());
    ~TFolderDialog() override;

    // Shows the dialog modally; true (and Folder set) when the user confirmed a folder.
    bool Execute();

    std::string Folder() const { return FFolder; }
    void SetFolder(const std::string& folder) { FFolder = folder; }
    TBrowseInfoFlags Flags = TBrowseInfoFlag::ShowPath;
    TSHFolders RootFolder = TSHFolders::foDesktopExpanded;
    // The window the dialog belongs to; when unset the owner (if a widget) or the active window.
    QWidget* ParentWindow = nullptr;

    bool NewFolderVisible() const { return FNewFolderVisible; }
    void SetNewFolderVisible(bool value);
    bool NewFolderEnabled() const { return FNewFolderEnabled; }
    void SetNewFolderEnabled(bool value);

    const TStringList& NewFolderCaptions() const { return FNewFolderCaptions; }
    void SetNewFolderCaptions(const TStringList& captions);
    const TStringList& LabelCaptions() const { return FLabelCaptions; }
    void SetLabelCaptions(const TStringList& captions);
    const std::string& NewFolderCaption() const { return FNewFolderCaption; }
    const std::string& LabelCaption() const { return FLabelCaption; }
    const std::string& LangId() const { return FLangId; }
    static std::string Version() { return "3.00.00.00"; }

    TBrowserInitializedEvent OnInitialized;
    TSelectionChangedEvent OnSelectionChanged;
    // Empty: a plain input box.
    TNameBox NameBox;

    // While Execute runs: the window; nullptr otherwise.
    TFolderBrowserWindow* Window() const { return FWindow; }
    // The path of the selection, valid or not.
    const std::string& SelectedFolder() const { return FSelectedFolder; }
    bool SelectionValid() const { return FSelectionValid; }

    // The folder a root value stands for; empty for the whole file system.
    static std::string RootFolderPath(TSHFolders root);
    // The path of a new folder named name in folder, with one "/" between them.
    static std::string NewFolderPath(const std::string& folder, const std::string& name);

    // The "New folder" button's step: asks for a name and makes the folder in the selection; the
    // tree then shows it selected. A folder that cannot be made is reported and the selection kept.
    void NewFolderClick();

private:
    void Initialize();
    void SelectionChanged(const QString& path);
    void UpdateButtons();
    QWidget* OwnerWindow() const;

    std::string FFolder;
    bool FNewFolderVisible = true;
    bool FNewFolderEnabled = true;
    TStringList FNewFolderCaptions;
    TStringList FLabelCaptions;
    std::string FLangId;
    std::string FNewFolderCaption;
    std::string FLabelCaption;
    QPointer<TFolderBrowserWindow> FWindow;
    std::string FSelectedFolder;
    std::string FSelectedItem; // the path of the last selection made after the window was ready
    bool FSelectionValid = false;
    bool FInitialized = false;
};
