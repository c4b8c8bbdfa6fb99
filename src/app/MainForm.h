#pragma once
// The program's main window: an MDI frame holding the image windows, with the file queue (command
// line, second starts), the threaded timer that starts due compressions, the idle pass, the
// preferences and settings, the close query and the shutdown.
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Prefs.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QWidget;
class TExtTimer;
class TImageForm;
class TSettingsStore;
class TTextCmd;

class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    // params: the program's parameters (without its own name). settings: the settings store to use
    // (nullptr: the program's); socketPath: where to receive second starts (empty: the user's
    // instance socket).
    explicit TMainForm(const std::vector<std::string>& params, std::unique_ptr<TSettingsStore> settings = nullptr,
                       const std::string& socketPath = std::string());
    ~TMainForm() override;

    // ---- state ----
    std::string ProgramDir;
    int UntitledCounter = 1;
    bool AutoCompress = true;
    bool NoImageState = false;
    bool FirstIdle = true;
    std::vector<std::string> ProfileNames;
    std::vector<std::string> FileQueue;
    std::vector<std::string> TempFileList;
    TBatchProcOptions BatchOptions;
    bool Closing = false;
    bool CommandLinePending = false;
    TTextCmd* CommandWindow = nullptr;
    bool HelpOfferShown = false;
    std::unique_ptr<TSettingsStore> Settings;
    TProgramPrefs Prefs;
    TDialogFolders DialogFolders;
    std::string MainCaption;
    QMdiArea* MdiArea = nullptr;
    // The splash shown while the program starts; closed by the first idle pass.
    QWidget* Splash = nullptr;
    // Opens a help topic; nothing when not set.
    std::function<void(int topic)> OnHelp;

    // ---- the file queue and the idle pass ----
    void AppIdle();
    void OpenCommandLineFiles();
    void OpenQueuedFiles();
    void ReceiveInstanceCommand(const std::vector<std::string>& lines);
    TImageForm* NewImageWindow(const std::vector<std::string>& names);

    // ---- the timer ----
    void TimerTimer();

    // ---- image windows ----
    TImageForm* ActiveImage() const;
    std::vector<TImageForm*> ImageWindows() const;
    void ImageStateChanged(TImageForm* sender, uint8_t kind);

    // ---- preferences ----
    void OptPrefsActionExecute();
    void ApplyPreferences();

    // ---- closing ----
    // The close query: the help offer, then every image window's own query. True when the
    // program may close.
    bool FormCloseQuery();
    // The desktop session ends: agree at once and leave the event loop without close queries (the
    // settings are still saved when the window is destroyed).
    void EndSession();
    // Asks the main window to end as at the end of the session (at its next idle pass); safe to
    // call from a signal handler (the system's request to terminate).
    static void RequestSessionEnd();

    // ---- actions (object names as the command names) ----
    QAction* FileOpenAction;
    QAction* FileSaveAction;
    QAction* FileSaveAsAction;
    QAction* FileExportBMPAction;
    QAction* FileCloseAction;
    QAction* FileExitAction;
    QAction* EditCompressAction;
    QAction* EditStopAction;
    QAction* EditCopyAction;
    QAction* EditPasteAction;
    QAction* SelRectAction;
    QAction* SelElliptAction;
    QAction* SelPolyAction;
    QAction* SelDelAction;
    QAction* SelDelAllAction;
    QAction* OptCompAutAction;
    QAction* OptCompCmdAction;
    QAction* OptKeepDateAction;
    QAction* OptMaxOptAction;
    QAction* OptPrefsAction;
    QAction* ViewZoomInAction;
    QAction* ViewZoomOutAction;
    QAction* ViewZoomFitAction;
    QAction* ViewActSizeAction;
    QAction* WindowCascadeAction;
    QAction* WindowTileAction;
    // The image windows' pop-up menu.
    QMenu* ImageMenu = nullptr;

    void FileSaveActionExecute(TImageForm* window = nullptr);
    // True when the result was saved under the chosen name.
    bool FileSaveAsActionExecute(TImageForm* window = nullptr);
    // Window > Cascade: every image window at its cascade step (CascadeRect), in creation order.
    void CascadeImageWindows();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Hints (tool tips) show only while the ShowTips preference is on.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateImageMenu();
    TImageForm* MakeImageWindow();
    // A new window goes to the next cascade step, so that it opens inside the visible area.
    void PlaceAtCascadeStep(QMdiSubWindow* window, int index);
    void UpdateImageActions();
    void UpdateNoImageState();
    void StopImageWorkers();
    // The owner handle of the boxes this window shows: its QWidget.
    void* Owner() { return static_cast<QWidget*>(this); }
    void RememberFolder(std::vector<std::string>& history, const std::string& folder, bool front);
    // The name chosen in a save dialog (defaultExt added when it has none); empty when cancelled.
    std::string AskSaveName(const char* title, const std::string& start, const char* filter, const char* defaultExt);

    std::vector<std::string> FParams;
    std::unique_ptr<TExtTimer> FTimer;
    QTimer* FIdleTimer = nullptr;
    bool FSessionEnding = false;
    int NextCascadeStep = 0;
};

// The main window while it exists.
extern TMainForm* MainForm;
