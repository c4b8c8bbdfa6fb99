#pragma once
// The program's main window: an MDI frame holding the image windows, with the file queue (command
// line, second starts), the threaded timer that starts due compressions, the idle pass, the
// preferences and settings, the close query and the shutdown.
#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/FileDialogs.h"
#include "app/Prefs.h"
#include "app/ScannerCommands.h"
#include "codec/JPEGProfile.h"

class QAction;
class QActionGroup;
class QKeySequence;
class QLabel;
class QLineEdit;
class QMdiArea;
class QPainter;
class QSlider;
class QTabBar;
class TDock;
class TToolbar;
class TToolbarButton;
class QToolButton;
class TJPEGImage;
class TOpenPictureDialog;
class TResizeForm;
class TSavePictureDialog;
struct TProfileEntry;
class TLevelSpin;
class TPaintedPanel;
class TRangeSlider;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QWidget;
class TDropFileTarget;
class TDropTarget;
class TExtTimer;
class TImageForm;
class TBatchOptionsForm;
class TBatchProcess;
class TBatchProgressForm;
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

    // ---- files dropped on the window ----
    // Accepts copy drops of files; registered with the window on the first idle pass.
    TDropFileTarget* DropTarget = nullptr;
    // Queues the dropped names; they open on the next idle pass.
    void DropFileTargetDrop(TDropTarget* sender, Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect);

    // ---- the timer ----
    void TimerTimer();

    // ---- image windows ----
    // The current image window: it keeps the panels while a box or a floating toolbar has the focus.
    TImageForm* ActiveImage() const;
    std::vector<TImageForm*> ImageWindows() const;
    // Every image window's state callback: kind 0 activated, 1 changed or progress, 2 closing.
    void ImageStateChanged(TImageForm* sender, uint8_t kind);

    // ---- the active window's controls, the kept profile ----
    // The window the panels showed last; none when it closed.
    QPointer<TImageForm> LastActiveImage;
    // Set while the panels are filled from an image: the handlers then do not count changes.
    bool SuppressPanelEvents = false;
    // Set while the controls take up the active window's settings (activation, a profile applied):
    // a slider enabled again then keeps the window's value instead of following its tied partner.
    bool ShowingWindowSettings = false;
    // The settings carried from window to window while GlobalProfileBtn is down.
    TJPEGProfile GlobalProfile;
    // The folder of the profile files: "Profiles" in the user's data folder, or in the folder named
    // by QM_SETTINGS_DIR. Not created here (the first write creates it).
    static std::string ProfileDir();
    void EnableImageActions();
    void UpdateNoImageState();
    void UpdateImageActions();
    void UpdateStopAction(TImageForm* a);
    void EnablePanels(bool enabled);
    void EnablePanel(QWidget* panel, bool enabled);
    void GlobalProfileBtnClick();

    // ---- the parameter panels ----
    // Panel groups of FillPanels and the reset buttons.
    enum : uint8_t { pgLevels = 1, pgEqualizer = 2, pgPrefilters = 4, pgAll = 7 };
    void FillPanels(TJPEGImage& image, bool suppress, uint8_t groups);
    // Enables a level slider pair's channel (luma or chroma, base and selection together).
    void SetChannelEnabled(bool luma, bool enabled);
    void LumTrackBarChange();
    void ChromTrackBarChange();
    void SLumTrackBarChange();
    void SChromTrackBarChange();
    void SThresholdTrackBarChange();
    void EqTrackBarChange(int band);
    void FiltTrackBarChange(int filter);
    void FiltRadTrackBarChange();
    void FiltBtnClick(int filter);
    void HoldComprRatioBtnClick();
    void ComprRatioEditChange();
    void LumChromSyncBtnClick();
    void SLumChromSyncBtnClick();
    void ComprTabControlChange(int tab);
    void ComprOptResetBtnClick();
    void SComprOptResetBtnClick();
    void ComprEqResetBtnClick();
    void PrefiltResetBtnClick();
    // True while the "Selected" tab is shown.
    bool SelectedTabShown() const;

    // ---- zoom slider ----
    void SetZoomTrack(int32_t zoom);
    void ZoomTrackBarChange();

    // ---- the status bar ----
    void StatusBarResize();
    void StatusBarDrawPanel(QPainter& painter, int panel, const QRect& rect);
    // extra < 0: none.
    void DrawStatusProgress(QPainter& painter, int percent, int extra, int kind, const QRect& rect);
    // What panel 1 (source) or 2 (progress or state) shows now, as text.
    QString StatusPanelText(int panel) const;
    void RepaintStatusBar();

    // ---- preferences ----
    void OptPrefsActionExecute();
    void ApplyPreferences();

    // ---- closing ----
    // The close query: the help offer, the running batch jobs (each window asks whether to stop its
    // job), then every image window's own query. True when the program may close; the jobs have
    // then ended.
    bool FormCloseQuery();
    // The desktop session ends: agree at once and leave the event loop without close queries (the
    // settings are still saved when the window is destroyed).
    void EndSession();
    // Asks the main window to end as at the end of the session (at its next idle pass); safe to
    // call from a signal handler (the system's request to terminate).
    static void RequestSessionEnd();
    // The system's request to terminate, a terminal's interrupt and hang-up (SIGTERM, SIGINT,
    // SIGHUP) request the session's end, so the program ends as on a normal exit. A second one ends
    // it at once (its temporary folder stays). An interrupt or hang-up that the program was started
    // to ignore (nohup, a script's background job) stays ignored.
    static void InstallEndSignals();

    // ---- actions (object names as the command names) ----
    QAction* FileOpenAction;
    QAction* FileSaveAction;
    QAction* FileSaveAsAction;
    QAction* FileExportBMPAction;
    QAction* FileCloseAction;
    QAction* FileLoadProfileAction;
    QAction* FileSaveProfileAction;
    QAction* FileSelSourceAction;
    QAction* FileAcquireAction;
    QAction* FileMailAction;
    QAction* FileSysMenuAction;
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
    QAction* EditCropAction = nullptr;
    QAction* EditResizeAction = nullptr;
    QAction* EditCommentAction = nullptr;
    QAction* EditProfileAction = nullptr;
    QAction* SelHideAction = nullptr;
    QAction* OptToolMoveAction = nullptr;
    QAction* OptToolZoomAction = nullptr;
    QAction* OptToolSelAction = nullptr;
    QAction* OptPlainAction = nullptr;
    QAction* OptSelAction = nullptr;
    QAction* OptOptAction = nullptr;
    QAction* OptProgAction = nullptr;
    QAction* OptColorAction = nullptr;
    QAction* OptGrayAction = nullptr;
    QAction* OptEqAdjAction = nullptr;
    QAction* OptEqFullAction = nullptr;
    QAction* OptPrecNormAction = nullptr;
    QAction* OptPrecHighAction = nullptr;
    QAction* OptPrecLowAction = nullptr;
    QAction* OptIntMarksAction = nullptr;
    QAction* OptDPIAction = nullptr;
    QAction* OptResetAction = nullptr;
    QAction* ViewCenterAction = nullptr;
    QAction* ViewArrHorzAction = nullptr;
    QAction* ViewArrVertAction = nullptr;
    QAction* ViewArrResAction = nullptr;
    QAction* ViewInfoAction = nullptr;
    QAction* WindowCascadeAction;
    QAction* WindowTileHorzAction = nullptr;
    QAction* WindowTileVertAction = nullptr;
    QAction* WindowMinimizeAllAction = nullptr;
    QAction* WindowArrangeAllAction = nullptr;
    QAction* WindowFitAction = nullptr;
    QAction* WindowDuplAction = nullptr;
    QAction* HelpContentsAction = nullptr;
    QAction* HelpTopicsAction = nullptr;
    QAction* HelpSupportAction = nullptr;
    QAction* HelpFeedbackAction = nullptr;
    QAction* HelpTellFriendsAction = nullptr;
    QAction* HelpWebSiteAction = nullptr;
    QAction* HelpAboutAction = nullptr;
    // View > Toolbars: one checkable item per toolbar, in the menu's order.
    QMenu* ToolbarsMenu = nullptr;
    std::vector<std::pair<QAction*, TToolbar*>> ToolbarItems;
    // The menu of every toolbar, and the toolbar it was opened on.
    QMenu* ToolbarMenu = nullptr;
    QPointer<TToolbar> ToolbarMenuTarget;
    QAction* ShowTipsItem = nullptr;
    QAction* FlatButtonsItem = nullptr;
    QAction* HiliteButtonsItem = nullptr;
    QAction* DockedItem = nullptr;
    QAction* HideToolbarItem = nullptr;
    QMenu* WindowMenu = nullptr;

    // ---- edit, selection, option, view, window and help commands ----
    void EditCropActionExecute();
    void EditCommentActionExecute();
    void EditProfileActionExecute();
    // byUser: run from a menu, a button or a key (it then runs its partner command too).
    void OptToolActionExecute(uint8_t tool, bool byUser);
    void OptSelectiveExecute(bool selective, bool byUser);
    void OptProgressiveExecute(bool progressive);
    void OptColorActionExecute();
    void OptGrayActionExecute();
    void OptEqualizerExecute(bool fullControl);
    void OptPrecisionExecute(int mode);
    void OptCompressOnExecute(bool automatic);
    void OptIntMarksActionExecute();
    void OptDPIActionExecute();
    void OptResetActionExecute();
    void ViewZoomExecute(const std::function<void(TImageForm*)>& zoom);
    void ViewLayoutExecute(uint8_t layout);
    void ViewInfoActionExecute();
    void WindowTileExecute(bool rows);
    void WindowMinimizeAllExecute();
    void WindowArrangeAllExecute();
    void WindowFitActionExecute();
    void WindowDuplActionExecute();
    void HelpAboutActionExecute();
    // The window list at the end of the Window menu, rebuilt each time the menu opens.
    void RebuildWindowList();
    // Toolbar menu: the states of its items for the toolbar it opens on.
    void ToolbarMenuPopup(TToolbar* bar, const QPoint& globalPos);
    // "&Docked": a docked toolbar floats, a floating one docks to its last dock (or its designed one).
    void ToggleToolbarDocked(TToolbar* bar);
    void ApplyButtonStyles();
    void SyncToolbarItems();
    // The compress button carries Compress or Stop.
    TToolbarButton* CompressBtn = nullptr;

    // ---- toolbars and panel controls (object names as the field names) ----
    // The docks round the image area: the top one with all four bound lines.
    TDock* TopDockBar = nullptr;
    TDock* LeftDockBar = nullptr;
    TDock* RightDockBar = nullptr;
    TDock* BottomDockBar = nullptr;
    // The 16 x 16 pictures of the buttons and menus; each action's "ImageIndex" names one.
    QList<QPixmap> Images;
    int QuickCompareImage = -1;
    TToolbar* ComprToolbar = nullptr;
    TToolbar* PrefiltToolbar = nullptr;
    TToolbar* FileToolbar = nullptr;
    TToolbar* EditToolbar = nullptr;
    TToolbar* SelectionToolbar = nullptr;
    TToolbar* ToolsToolbar = nullptr;
    TToolbar* WindowToolbar = nullptr;
    TToolbar* OptionsToolbar = nullptr;
    TToolbar* ControlsToolbar = nullptr;
    TToolbar* ZoomToolbar = nullptr;
    TToolbar* ViewToolbar = nullptr;
    QWidget* ComprPanel = nullptr;
    QWidget* SComprPanel = nullptr;
    QWidget* ComprEqPanel = nullptr;
    QWidget* PrefiltPanel1 = nullptr;
    QWidget* PrefiltPanel2 = nullptr;
    QTabBar* ComprTabControl = nullptr;
    QTabBar* PrefiltTabControl = nullptr;
    TRangeSlider* LumTrackBar = nullptr;
    TRangeSlider* ChromTrackBar = nullptr;
    TRangeSlider* SLumTrackBar = nullptr;
    TRangeSlider* SChromTrackBar = nullptr;
    TRangeSlider* SThresholdTrackBar = nullptr;
    // Each edit with its up-down: the spin box's line edit (read-only) and its arrows.
    TLevelSpin* LumUpDown = nullptr;
    TLevelSpin* ChromUpDown = nullptr;
    TLevelSpin* SLumUpDown = nullptr;
    TLevelSpin* SChromUpDown = nullptr;
    TLevelSpin* SThresholdUpDown = nullptr;
    QToolButton* LumChromSyncBtn = nullptr;
    QToolButton* SLumChromSyncBtn = nullptr;
    QToolButton* HoldComprRatioBtn = nullptr;
    QLineEdit* ComprRatioEdit = nullptr;
    QLabel* ComprRatioLabel = nullptr;
    QToolButton* GlobalProfileBtn = nullptr;
    QToolButton* ComprOptResetBtn = nullptr;
    QToolButton* SComprOptResetBtn = nullptr;
    std::array<TRangeSlider*, 5> EqTrackBar{};
    QToolButton* ComprEqResetBtn = nullptr;
    // Index = filter - 1: 1 "Unsharp Masking", 2 "Luma Equalizing", 3 "Noise Removing",
    // 4 "Range Equalizing", 5 "Smoothing".
    std::array<QToolButton*, 5> FiltBtn{};
    std::array<TRangeSlider*, 5> FiltTrackBar{};
    std::array<TLevelSpin*, 5> FiltUpDown{};
    TRangeSlider* FiltRadTrackBar = nullptr;
    TLevelSpin* FiltRadUpDown = nullptr;
    QToolButton* Prefilt1ResetBtn = nullptr;
    QToolButton* Prefilt2ResetBtn = nullptr;
    QSlider* ZoomTrackBar = nullptr;
    TToolbarButton* ViewSrcAsResBtn = nullptr;
    // Status bar panels 1 (source), 2 (progress or state) and 3 (activity).
    std::array<TPaintedPanel*, 3> StatusPanels{};
    // The image windows' pop-up menu.
    QMenu* ImageMenu = nullptr;
    // The profiles: the drop-down of the File toolbar's profile button, and File > "&Load Profile".
    QMenu* LoadProfileMenu = nullptr;
    QMenu* LoadProfileSubMenu = nullptr;
    QMenu* ExportSubMenu = nullptr;
    // Runs Load Profile; its arrow shows LoadProfileMenu.
    TToolbarButton* ProfileBtn = nullptr;

    // ---- file commands ----
    void FileOpenActionExecute();
    void FileSaveActionExecute(TImageForm* window = nullptr);
    // True when the result was saved under the chosen name.
    bool FileSaveAsActionExecute(TImageForm* window = nullptr);
    void FileExportBMPActionExecute();
    void FileLoadProfileActionExecute();
    void FileSaveProfileActionExecute();
    void FileMailActionExecute();
    // The file-actions menu of a copy of the active window's result.
    void FileSysMenuActionExecute();
    // Reads the profile into the active window, refreshes the controls and marks a change that
    // runs at the next tick; a file that does not exist does nothing.
    void LoadProfileFile(const std::string& fileName);
    // Rebuilds the profile items of both profile menus from ProfileDir().
    void FillProfileMenu();
    void LoadProfileMenuItemClick(const TProfileEntry& profile);
    // Select Source and Acquire.
    TScannerCommands Scanner;
    // Stand-ins for the file dialogs and the profile editor (tests); empty: the real ones.
    std::function<TFileDialogResult(const TFileDialogRequest&)> FileDialogRunner;
    std::function<bool(TJPEGProfile&, const TJPEGImage&)> ProfileEditorRunner;
    // Stand-ins that run the prepared picture dialogs (Open, Save As) and the resize dialog in place
    // of showing them (tests); true = accepted. Empty: the dialogs are shown.
    std::function<bool(TOpenPictureDialog&)> PictureDialogRunner;
    std::function<bool(TResizeForm&)> ResizeDialogRunner;
    void EditResizeActionExecute();
    // The resize dialog's done callback: a new window takes the resampled picture.
    void OnResampleDone(TImageForm* window);
    // Window > Cascade: every image window at its cascade step (CascadeRect), in creation order.
    void CascadeImageWindows();
    // The profile open dialog at folder; empty when cancelled.
    std::string ChooseProfileFile(const std::string& folder);

    // ---- batch jobs (MainFormBatch.cpp) ----
    struct TBatchJobEntry
    {
        TBatchProcess* Job;
        QPointer<TBatchProgressForm> Window; // gone once the user closed it
        Qt::WindowStates MainState;          // the main window's state when the job started
    };
    // The running jobs, in start order; a job leaves the list when it ends.
    std::vector<TBatchJobEntry> BatchJobList;
    QAction* FileBatchProcAction;
    void FileBatchProcActionExecute();
    void BatchJobProgress(TBatchProcess* job);
    void BatchJobDone(TBatchProcess* job);
    // Asks every job to stop and waits, serving events, until each has ended and been freed.
    void StopBatchJobs();
    // Stand-ins for the batch options dialog (true: accepted) and the log window (tests); empty: the real ones.
    std::function<bool(TBatchOptionsForm&)> BatchOptionsRunner;
    std::function<void(QWidget* owner, const TBatchProcess&)> BatchLogRunner;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Hints (tool tips) show only while the ShowTips preference is on.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateEditActions();
    void CreateOptionActions();
    void CreateViewActions();
    void CreateWindowActions();
    void CreateHelpActions();
    void CreateMenus();
    // The menus after File, the eleven toolbars and the toolbar menu.
    void CreateCommandMenus();
    void CreateToolbars();
    void CreateToolbarMenu();
    // A checkable action in a group of its own kind (radio group).
    QActionGroup* RadioGroup(std::initializer_list<QAction*> actions);
    QAction* MakeAction(const char* name, const char* caption, const QKeySequence& keys,
                        std::function<void()> run);
    void CreateImageMenu();
    // The drop target, and the edits of the panels passing file drags on to the window.
    void CreateDropTarget();
    void CreateParamToolbars();
    // A parameter toolbar: the area tabs beside two panels.
    TToolbar* ParamToolbar(const char* title, const char* name, QTabBar* tabs, QWidget* left, QWidget* right);
    // A toolbar of the main window on its designed place, with the toolbar menu and View > Toolbars' check.
    TToolbar* MakeToolbar(const char* caption, const char* name, TDock* dock, int row, int pos);
    void CreateDocks();
    void CreateImages();
    // The commands that follow whether an image window is open (icEnableWithImage,
    // icDisableWithoutImage); a command joins with one line.
    std::vector<std::pair<QObject*, uint8_t>> ImageCommands() const;
    void CreateStatusBar();
    // The help pages F1 opens over the panels, toolbars and the status bar.
    void AssignHelpTopics();
    bool FHelpByKey = false; // Help > Contents is being run by its key, F1
    // Marks a change of the active window when changed; otherwise leaves its pending state as it is.
    void MarkIfChanged(TImageForm* a, bool changed);
    void LevelChange(bool selection, bool luma);
    // The tie button of the base (or selection) level pair.
    void TieClick(bool selection);
    void UpdateLevelHighlights();
    void UpdateFilterHighlights(TJPEGImage& image);
    void EchoRatio(TImageForm* a);
    void ResetGroup(int settingsGroup, uint8_t panelGroups);
    void ApplyDefaultProfile(TImageForm* a);
    // The state of the active window shown by the actions (step 9 of the state callback).
    void PullWindowState(TImageForm* a);
    TImageForm* MakeImageWindow();
    // A new window goes to the next cascade step, so that it opens inside the visible area.
    void PlaceAtCascadeStep(QMdiSubWindow* window, int index);
    void StopImageWorkers();
    // The owner handle of the boxes this window shows: its QWidget.
    void* Owner() { return static_cast<QWidget*>(this); }
    TFileDialogResult RunDialog(const TFileDialogRequest& request);
    bool RunPictureDialog(TOpenPictureDialog& dialog);
    // The picture's resolution and whether its profile applies it (the resolution bit of the mask).
    static void ApplyResolution(TJPEGImage& image, int horzDPI, int vertDPI, bool forProfile);
    bool RunProfileEditor(TJPEGProfile& profile, const TJPEGImage& image);
    // Applies a profile edited from the window's current settings; when it differs, the window
    // recompresses at the next tick and the controls show it.
    void ApplyEditedProfile(TImageForm* a, const TJPEGProfile& current, const TJPEGProfile& edited);

    std::vector<std::string> FParams;
    std::unique_ptr<TExtTimer> FTimer;
    QTimer* FIdleTimer = nullptr;
    bool FSessionEnding = false;
    int NextCascadeStep = 0;
    bool FZoomTrackSetting = false; // the program moves the zoom slider
    std::vector<std::string> FProfileWarned; // default profiles already reported as unreadable
    // The picture dialogs live as long as the window, so their last folder and size carry over.
    TOpenPictureDialog* FOpenDialog = nullptr;
    TSavePictureDialog* FSaveDialog = nullptr;
    int FLiveBatchJobs = 0; // jobs started and not yet freed
    // Serves events until every job has been freed.
    void WaitForBatchJobs();
    // Asks every job's progress window to close; false when the user keeps a running job.
    bool CloseBatchWindows();
    // What the status bar shows of the jobs: the last job's total percent (-1: no job), and whether
    // its progress window is visible.
    int LastBatchPercent() const;
    bool LastBatchWindowVisible() const;
};

// The main window while it exists.
extern TMainForm* MainForm;
