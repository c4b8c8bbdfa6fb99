#include "app/MainForm.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QSlider>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>

#include "app/ActivateApp.h"
#include "app/FileQueue.h"
#include "app/MenuBarKeys.h"
#include "app/MenuLook.h"
#include "app/PrefsForm.h"
#include "app/QtSettingsStore.h"
#include "app/WindowSettings.h"
#include "common/CheckMessage.h"
#include "common/CommLib.h"
#include "common/StrRes.h"
#include "controls/ClipboardBitmap.h"
#include "controls/DropTarget.h"
#include "controls/FileDialog.h"
#include "controls/TextCmd.h"
#include "controls/ThrTimer.h"
#include "platform/MainThread.h"
#include "platform/Round.h"
#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"
#include "workspace/ViewMath.h"

TMainForm* MainForm = nullptr;

namespace {

std::atomic<bool> gSessionEndRequested{false};
std::atomic<bool> gEndSignalled{false}; // an end signal came; never cleared

// The first end signal asks for the session's end at the next idle pass, which cleans up as a
// normal exit does. That pass can be held (a box opened from the idle pass runs until it is
// answered), so a second end signal of any kind ends the program at once, as the signal's own
// default does.
void EndSignalHandler(int sig)
{
    if (!gEndSignalled.exchange(true)) {
        TMainForm::RequestSessionEnd();
        return;
    }
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    sigaction(sig, &byDefault, nullptr);
    raise(sig); // delivered as this handler returns
}

constexpr int KTimerInterval = 100; // ms between the timer's firings
constexpr int KIdleInterval = 30;   // ms between idle passes
constexpr int KHelpOfferTopic = 146;
const char* const KVersion = SProductVersion;

std::string ProgramFolder()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : IncludeBackslash(exe.parent_path().string());
}

} // namespace

TMainForm::TMainForm(const std::vector<std::string>& params, std::unique_ptr<TSettingsStore> settings,
                     const std::string& socketPath)
    : FParams(params)
{
    MainForm = this;
    QApplication::setApplicationName(SProductName);
    // Windows-only steps have no counterpart here: no check of the common-controls version (the
    // menus are always painted), no help-file registration or WinHelp shutdown (help pages open by topic
    // through OnHelp).
    setMinimumWidth(300);
    MdiArea = new QMdiArea(this);
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    CreateDocks();

    FTimer = std::make_unique<TExtTimer>(KTimerInterval, [this](TExtTimer*) { TimerTimer(); });
    FIdleTimer = new QTimer(this);
    connect(FIdleTimer, &QTimer::timeout, this, [this] { AppIdle(); });
    FIdleTimer->start(KIdleInterval);

    CommandWindow = new TTextCmd(this);
    CommandWindow->OnCommand = [this](const std::vector<std::string>& lines) { ReceiveInstanceCommand(lines); };
    CommandWindow->Listen(socketPath); // a second instance without the socket still works on its own

    ProgramDir = ProgramFolder();
    MainCaption = std::string(SProductName) + " v" + KVersion;
    setWindowTitle(QString::fromStdString(MainCaption));
    FirstIdle = true;

    CreateActions();
    CreateMenus();
    CreateImageMenu();
    CreateParamToolbars();
    CreateToolbarMenu();
    CreateStatusBar();
    AssignHelpTopics();
    SetUpMenuLook(*this);
    new TMenuBarKeys(this); // Alt+V arranges the views rather than opening View
    // A box or a floating toolbar taking the focus leaves the current window's panels as they are.
    connect(MdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (auto* form = qobject_cast<TImageForm*>(w)) ImageStateChanged(form, 0);
    });

    UntitledCounter = 1;
    AutoCompress = true;
    NoImageState = false;
    UpdateNoImageState();
    CommandLinePending = !FParams.empty();
    HelpOfferShown = false;

    if (settings) {
        Settings = std::move(settings);
    } else {
        try {
            Settings = std::make_unique<TQtSettingsStore>();
        } catch (...) {
        }
    }

    // The designed place: centred on the desktop.
    resize(900, 650);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    LoadWindowSettings(Settings.get(), *this, Prefs, BatchOptions, DialogFolders);
    SyncToolbarItems();
    FillProfileMenu();
    ApplyPreferences();
    Scanner.Owner = Owner();
    Scanner.OpenFile = [this](const std::string& path) { NewImageWindow({path}); };
    Scanner.BringToFront = [this] {
        activateWindow();
        raise();
        repaint();
    };
    OptKeepDateAction->setChecked(Prefs.KeepOrigDatetime);
    OptMaxOptAction->setChecked(Prefs.ExtraOptimization);

    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { EndSession(); });
    CreateDropTarget();
    qApp->installEventFilter(this);
}

TMainForm::~TMainForm()
{
    DropTarget->Unregister(); // no drop arrives while the window goes
    // Nothing new may start while the workers are waited for (the waits serve events): no second
    // start's names, no idle pass opening queued files, no timer tick starting a compression.
    CommandWindow->Close();
    FileQueue.clear();
    FIdleTimer->stop();
    FTimer.reset(); // terminates the timer thread and waits for it
    // Batch jobs stop and end before anything they report to goes; none opens its log now.
    Closing = true;
    StopBatchJobs();
    // Every worker is stopped and waited for (serving its calls) before anything it uses goes.
    StopImageWorkers();
    for (TImageForm* form : ImageWindows()) {
        form->OnStateChange = nullptr;
        form->OnSaveRequest = nullptr;
        form->OnSaveAsRequest = nullptr;
        delete form;
    }
    SaveWindowSettings(Settings.get(), *this, Prefs, BatchOptions, DialogFolders);
    if (auto* qs = dynamic_cast<TQtSettingsStore*>(Settings.get())) {
        try {
            qs->Flush();
        } catch (...) {
        }
    }
    ImageWindowPrefs().Settings = nullptr;
    for (const std::string& name : TempFileList) {
        std::error_code ec;
        std::filesystem::remove(name, ec);
    }
    if (MainForm == this) MainForm = nullptr;
}

// ---- actions and menus ----

void TMainForm::CreateActions()
{
    auto make = [this](QAction*& action, const char* name, const char* caption, QKeySequence keys,
                       std::function<void()> run) { action = MakeAction(name, caption, keys, std::move(run)); };
    auto onActive = [this](std::function<void(TImageForm*)> fn) {
        return [this, fn] {
            if (TImageForm* a = ActiveImage()) fn(a);
        };
    };

    make(FileOpenAction, "FileOpenAction", "&Open...", QKeySequence("Ctrl+O"), [this] { FileOpenActionExecute(); });
    make(FileSaveAction, "FileSaveAction", "&Save", QKeySequence("Ctrl+S"), [this] { FileSaveActionExecute(); });
    make(FileSaveAsAction, "FileSaveAsAction", "Save &As...", QKeySequence("F12"), [this] { FileSaveAsActionExecute(); });
    make(FileExportBMPAction, "FileExportBMPAction", "Windows &Bitmap (BMP)", {}, [this] { FileExportBMPActionExecute(); });
    make(FileCloseAction, "FileCloseAction", "&Close", {}, onActive([](TImageForm* a) { a->close(); }));
    make(FileLoadProfileAction, "FileLoadProfileAction", "Load &From...", QKeySequence("Ctrl+Shift+O"),
         [this] { FileLoadProfileActionExecute(); });
    make(FileSaveProfileAction, "FileSaveProfileAction", "Save &Profile...", QKeySequence("Ctrl+Shift+S"),
         [this] { FileSaveProfileActionExecute(); });
    make(FileSelSourceAction, "FileSelSourceAction", "Select So&urce...", {}, [this] { Scanner.SelectSource(); });
    make(FileAcquireAction, "FileAcquireAction", "&Acquire...", {}, [this] { Scanner.Acquire(); });
    make(FileMailAction, "FileMailAction", "&Mail Image", QKeySequence("Shift+M"), [this] { FileMailActionExecute(); });
    make(FileBatchProcAction, "FileBatchProcAction", "Batch Processing...", QKeySequence("Ctrl+M"),
         [this] { FileBatchProcActionExecute(); });
    make(FileSysMenuAction, "FileSysMenuAction", "System Menu", QKeySequence("Ctrl+Alt+S"),
         [this] { FileSysMenuActionExecute(); });
    make(FileExitAction, "FileExitAction", "E&xit", {}, [this] { close(); });

    CreateEditActions();
    CreateOptionActions();
    CreateViewActions();
    CreateWindowActions();
    CreateHelpActions();
}

void TMainForm::CreateMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction(FileOpenAction);
    file->addAction(FileBatchProcAction);
    file->addSeparator();
    file->addAction(FileSaveAction);
    file->addAction(FileSaveAsAction);
    ExportSubMenu = file->addMenu("&Export To");
    ExportSubMenu->setObjectName("ExportSubMenu");
    ExportSubMenu->addAction(FileExportBMPAction);
    file->addAction(FileCloseAction);
    file->addSeparator();
    // Both profile menus: the profile items (FillProfileMenu) above a separator and Load From.
    LoadProfileSubMenu = file->addMenu("&Load Profile");
    LoadProfileSubMenu->setObjectName("LoadProfileSubMenu");
    LoadProfileMenu = new QMenu(this);
    LoadProfileMenu->setObjectName("LoadProfileMenu");
    for (QMenu* m : {LoadProfileSubMenu, LoadProfileMenu}) {
        m->addSeparator();
        m->addAction(FileLoadProfileAction);
        m->setToolTipsVisible(true);
        connect(m, &QMenu::aboutToShow, this, [this] { FillProfileMenu(); });
    }
    file->addAction(FileSaveProfileAction);
    file->addSeparator();
    file->addAction(FileSelSourceAction);
    file->addAction(FileAcquireAction);
    file->addSeparator();
    file->addAction(FileMailAction);
    file->addSeparator();
    file->addAction(FileSysMenuAction);
    file->addSeparator();
    file->addAction(FileExitAction);

    CreateCommandMenus();
    CreateToolbars();
}

// ---- the file queue and the idle pass ----

void TMainForm::AppIdle()
{
    if (gSessionEndRequested.exchange(false)) {
        EndSession();
        return;
    }
    if (FirstIdle) {
        DropTarget->Register(this);
        FirstIdle = false;
    }
    if (Splash) {
        // A splash that was never shown is closed all the same, and freed.
        Splash->close();
        Splash->deleteLater();
        Splash = nullptr;
        repaint();
    }
    // Files open into the shown frame: a window placed before the frame is laid out would get the
    // size of an area that is not there yet.
    if (isVisible()) {
        if (CommandLinePending) OpenCommandLineFiles();
        if (!FileQueue.empty()) OpenQueuedFiles();
    }
    if (!ImageWindows().empty()) {
        EnableImageActions();
        UpdateImageActions();
    } else {
        UpdateNoImageState();
    }
    EditPasteAction->setEnabled(ClipboardHasBitmap());
}

void TMainForm::OpenCommandLineFiles()
{
    QueueFiles(CommandLineFileNames(FParams), FileQueue, Owner());
    CommandLinePending = false;
}

void TMainForm::OpenQueuedFiles()
{
    for (size_t n = FileQueue.size(); n > 0 && !FileQueue.empty(); --n) {
        std::vector<std::string> names = FileQueue;
        FileQueue.erase(FileQueue.begin());
        NewImageWindow(names);
    }
}

void TMainForm::ReceiveInstanceCommand(const std::vector<std::string>& lines)
{
    // The names of a second start are read as this start's own command line: the letter case on
    // disk, so that a folder named in another case is told about like any other.
    QueueFiles(CommandLineFileNames(lines), FileQueue, Owner());
    ActivateAppWindow(this);
}

TImageForm* TMainForm::MakeImageWindow()
{
    auto* form = new TImageForm(nullptr, [this](TImageForm* s, uint8_t k) { ImageStateChanged(s, k); });
    form->OnSaveRequest = [this](TImageForm* w) { FileSaveActionExecute(w); };
    form->OnSaveAsRequest = [this](TImageForm* w) { return FileSaveAsActionExecute(w); };
    form->OnPopupMenu = [this](TImageForm*, const QPoint& at) { ImageMenu->popup(at); };
    form->StatusImages = &Images;
    MdiArea->addSubWindow(form);
    form->show();
    PlaceAtCascadeStep(form, NextCascadeStep++);
    // Current before it loads: its first activation report applies the default profile to it.
    MdiArea->setActiveSubWindow(form);
    return form;
}

TImageForm* TMainForm::NewImageWindow(const std::vector<std::string>& names)
{
    TImageForm* form = MakeImageWindow();
    form->LoadSourceFromNames(names);
    return form;
}

void TMainForm::PlaceAtCascadeStep(QMdiSubWindow* window, int index)
{
    if (window->isMaximized() || window->isMinimized()) window->showNormal();
    const QSize area = MdiArea->viewport()->size();
    const int step = std::max(8, MdiArea->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window));
    const TRect r = CascadeRect(index, area.width(), area.height(), step);
    window->setGeometry(r.Left, r.Top, r.Width(), r.Height());
}

void TMainForm::CascadeImageWindows()
{
    const QList<QMdiSubWindow*> windows = MdiArea->subWindowList();
    for (int i = 0; i < windows.size(); ++i) {
        PlaceAtCascadeStep(windows[i], i);
        windows[i]->raise();
    }
    NextCascadeStep = int(windows.size());
    if (QMdiSubWindow* active = MdiArea->activeSubWindow()) active->raise();
}

void TMainForm::FileSaveActionExecute(TImageForm* window)
{
    TImageForm* a = window ? window : ActiveImage();
    if (!a) return;
    if (!a->HasFileName)
        FileSaveAsActionExecute(a);
    else
        a->SaveResult(std::string(), false);
}

// ---- preferences ----

void TMainForm::OptPrefsActionExecute()
{
    const QStringList names = ToQStringList(ProfileNames);
    if (!EditPreferences(this, Prefs, names, OnHelp)) return;
    SavePreferences(Settings.get(), Prefs, BatchOptions);
    ApplyPreferences();
}

void TMainForm::ApplyPreferences()
{
    if (!Prefs.NameDefProfile.empty()) FillProfileMenu();
    TImageWindowPrefs& p = ImageWindowPrefs();
    p.ComprDelay = Prefs.ComprDelay;
    p.ComprPriority = Prefs.ComprPriority;
    p.ComprRatioMaxNumAppr = Prefs.ComprRatioMaxNumAppr;
    p.ComprRatioMaxDiff = Prefs.ComprRatioMaxDiff;
    p.ExtraOptimization = Prefs.ExtraOptimization;
    p.KeepOrigDatetime = Prefs.KeepOrigDatetime;
    p.WarnToSave = Prefs.WarnToSave;
    p.ImageInfoOptions = Prefs.ImageInfoOptions;
    p.Settings = Settings.get();
    ApplyButtonStyles();
    for (TImageForm* f : ImageWindows()) {
        f->Image->ComprRatioMaxNumAppr = Prefs.ComprRatioMaxNumAppr;
        f->Image->ComprRatioMaxDiff = Prefs.ComprRatioMaxDiff;
        f->StatusBar->update();
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !Prefs.ShowTips) return true;
    if (event->type() == QEvent::Shortcut && watched == HelpContentsAction) FHelpByKey = true;
    if (event->type() == QEvent::Resize && StatusPanels[0] && watched == statusBar()) StatusBarResize();
    return QMainWindow::eventFilter(watched, event);
}

// ---- closing ----

bool TMainForm::FormCloseQuery()
{
    bool canClose = true;
    // Help opens only on a Yes given now: a remembered answer (the box ticked) means the offer is
    // not to be made again, whichever button went with the tick.
    bool shown = false;
    if (!HelpOfferShown && ShowCheckMessage(Owner(), Settings.get(), CmHelpOffer, &shown) == mrYes && shown) {
        if (OnHelp) OnHelp(KHelpOfferTopic);
        HelpOfferShown = true;
        canClose = false;
    }
    // Every running batch job is asked about, also when the help offer kept the program open.
    if (!CloseBatchWindows()) canClose = false;
    if (canClose) {
        for (TImageForm* form : ImageWindows())
            if (!form->close()) {
                canClose = false;
                break;
            }
    }
    Closing = canClose;
    // The jobs the user agreed to stop end now; each leaves the list when it ends.
    if (canClose) WaitForBatchJobs();
    return canClose;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (FSessionEnding || FormCloseQuery()) {
        event->accept();
        return;
    }
    event->ignore();
}

void TMainForm::EndSession()
{
    FSessionEnding = true;
    Closing = true;
    StopBatchJobs();
    QCoreApplication::quit();
}

void TMainForm::RequestSessionEnd() { gSessionEndRequested.store(true); }

void TMainForm::InstallEndSignals()
{
    static_assert(std::atomic<bool>::is_always_lock_free);
    struct sigaction action = {};
    action.sa_handler = EndSignalHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction current = {};
        if (sig != SIGTERM && sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            continue;
        sigaction(sig, &action, nullptr);
    }
}

void TMainForm::StopImageWorkers()
{
    std::vector<TImageForm*> forms = ImageWindows();
    for (TImageForm* f : forms)
        if (f->Busy) f->StopProcessing();
    IMainThreadInvoker* invoker = MainThreadInvoker();
    for (TImageForm* f : forms)
        while (f->Busy && invoker && (f->JPEGEngine || f->ResampleEngine)) invoker->ProcessEvents(10);
}
