// The folder dialog: captions by language, the status line's shortened path, the button's place by
// pixels per inch, and the dialog itself run offscreen: choosing, cancelling, "New folder", the OK
// rule, the root folder, and a listing that never opens a file.
#include <gtest/gtest.h>

#include <QFileSystemModel>
#include <QLabel>
#include <QMimeDatabase>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <sys/inotify.h>
#include <unistd.h>

#include "support/GuiTestApp.h"
#include "controls/FolderBrowserWindow.h"
#include "controls/FolderDialog.h"
#include "controls/FolderDialogText.h"
#include "platform/MessageBox.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder under the system's temporary folder, removed at the end.
struct TTempTree
{
    fs::path Root;
    TTempTree()
    {
        char name[] = "/tmp/qm_folderdlg_XXXXXX";
        Root = ::mkdtemp(name);
    }
    ~TTempTree() { fs::remove_all(Root); }
    std::string Make(const std::string& relative) const
    {
        fs::create_directories(Root / relative);
        return (Root / relative).string();
    }
};

// A dialog with the captions of locale that starts at folder.
std::unique_ptr<TFolderDialog> DialogOn(const std::string& folder, const char* locale = "en_US")
{
    EnsureGuiTestApp();
    auto dialog = std::make_unique<TFolderDialog>(nullptr, QLocale(locale));
    dialog->SetFolder(folder);
    return dialog;
}

// Runs the dialog; once it is ready, act runs from the event loop and then the window closes with
// accept (true) or reject.
bool RunDialog(TFolderDialog& dialog, std::function<bool(TFolderBrowserWindow*)> act)
{
    EnsureGuiTestApp();
    dialog.OnInitialized = [act](TFolderDialog* sender, QWidget*) {
        QTimer::singleShot(0, sender, [sender, act] {
            TFolderBrowserWindow* w = sender->Window();
            if (act(w)) w->accept(); else w->reject();
        });
    };
    return dialog.Execute();
}

TEST(FolderDialogText, CaptionsFollowTheSystemLanguage)
{
    EnsureGuiTestApp();
    struct TCase { const char* locale; const char* langId; const char* newFolder; const char* label; } cases[] = {
        {"de_DE", "0407", "Neuer Ordner", "Ausgew\xC3\xA4hlter Ordner:"},
        {"de_AT", "0C07", "Neuer Ordner", "Ausgew\xC3\xA4hlter Ordner:"},
        {"ru_RU", "0419", "New folder", "Current folder:"},   // not listed: the Default lines
        {"pl_PL", "0415", "Nowy folder", "Bie\xC5\xBC\xC4\x85" "cy folder"},
        {"en_AU", "0C09", "New folder", "Current folder:"},
        {"fr_CA", "0C0C", "Nouveau Dossier", "Dossier Courant:"},
        {"fr_SN", "040C", "Nouveau Dossier", "Dossier Courant:"}, // no own variant: the main one
        {"nl_BE", "0813", "New folder", "Current folder:"},
        {"pt_BR", "0416", "Nova Pasta", "Pasta Atual:"},
        {"da_DK", "0406", "Ny mappe", "Valgt mappe:"},
        {"it_CH", "0810", "Nuova Cartella", "Cartella selezionata:"},
        {"C", "0000", "New folder", "Current folder:"},
    };
    for (const TCase& c : cases) {
        TFolderDialog dialog(nullptr, QLocale(c.locale));
        EXPECT_EQ(dialog.LangId(), c.langId) << c.locale;
        EXPECT_EQ(dialog.NewFolderCaption(), c.newFolder) << c.locale;
        EXPECT_EQ(dialog.LabelCaption(), c.label) << c.locale;
    }
    EXPECT_EQ(DefaultNewFolderCaptions().Count(), 29);
    EXPECT_EQ(DefaultLabelCaptions().Count(), 29);
}

TEST(FolderDialogText, ACaptionComesFromTheLanguageThenDefaultThenTheFirstLine)
{
    TStringList list;
    EXPECT_EQ(ChooseCaption(list, "0407"), "");
    list.Add("0410=Uno");
    list.Add("0407=Zwei");
    EXPECT_EQ(ChooseCaption(list, "0407"), "Zwei");
    EXPECT_EQ(ChooseCaption(list, "0419"), "Uno");
    list.Add("Default=Drei");
    EXPECT_EQ(ChooseCaption(list, "0419"), "Drei");

    TFolderDialog dialog(nullptr, QLocale("de_DE"));
    dialog.SetNewFolderCaptions(list);
    EXPECT_EQ(dialog.NewFolderCaption(), "Zwei");
    dialog.SetLabelCaptions(TStringList());
    EXPECT_EQ(dialog.LabelCaption(), "");
}

TEST(FolderDialogText, LongPathsKeepTheirStartAndTheirLastFolders)
{
    const std::string x60(60, 'x');
    struct TCase { std::string path; int max; std::string expected; } cases[] = {
        {"C:/Program Files/Some Long Folder Name/Another Folder/Target", 50,
         "C:/.../Some Long Folder Name/Another Folder/Target"},
        {"/home/someone/Pictures/Holidays 2024/Greece/Day three/raw", 50,
         "/.../Pictures/Holidays 2024/Greece/Day three/raw"},
        {"//server/share/department/projects/2024/photos/raw/x", 50,
         "//server/.../department/projects/2024/photos/raw/x"},
        // Exactly 50: unchanged.
        {"/home/someone/Pictures/Holidays 2024/Greece/Day 1", 50, "/home/someone/Pictures/Holidays 2024/Greece/Day 1"},
        // The last name alone is too long: cut, ending in "...".
        {"/a/b/" + x60, 50, "/.../" + std::string(42, 'x') + "..."},
        // Without two separators after the second character, or no separator, or a tiny maximum: cut.
        {"/ab/" + x60, 50, "/ab/" + std::string(46, 'x')},
        {x60, 50, std::string(50, 'x')},
        {"/a/b/c/d/e/f", 5, "/a/b/"},
        // 50 characters, more bytes: unchanged; 51 characters: shortened by characters.
        {std::string("/aaaaaaaaaaaaaaaaaaaaaaaa/\xC3\xBC") + std::string(23, 'b'), 50,
         std::string("/aaaaaaaaaaaaaaaaaaaaaaaa/\xC3\xBC") + std::string(23, 'b')},
        {"/p/\xC3\xBC" + std::string(60, 'b'), 50, "/p/\xC3\xBC" + std::string(46, 'b')},
    };
    for (const TCase& c : cases) EXPECT_EQ(ShortenPath(c.path, c.max), c.expected) << c.path;
}

TEST(FolderDialogLayout, TheNewFolderButtonsPlaceFollowsThePixelsPerInch)
{
    struct TCase { int dpi; QRect expected; } cases[] = {
        {72, {12, 364, 75, 23}},   {96, {12, 364, 75, 23}},   {120, {15, 355, 93, 28}},
        {144, {17, 344, 112, 35}}, {192, {20, 334, 150, 41}}, {110, {14, 359, 86, 26}},
        {240, {30, 310, 188, 58}}, // 12, 36, 75, 23 times 2.5, halves away from zero
    };
    for (const TCase& c : cases) EXPECT_EQ(TFolderBrowserWindow::NewFolderButtonGeometry(c.dpi, 400), c.expected) << c.dpi;
}

TEST(FolderDialogLayout, ANewFoldersPathHasOneSeparator)
{
    EXPECT_EQ(TFolderDialog::NewFolderPath("/x", "Reports"), "/x/Reports");
    EXPECT_EQ(TFolderDialog::NewFolderPath("/x/", "Reports"), "/x/Reports");
    EXPECT_EQ(TFolderDialog::NewFolderPath("/", "Reports"), "/Reports");
}

TEST(FolderDialogRun, ChoosingAFolderSetsItAndCancelKeepsTheOldOne)
{
    TTempTree tree;
    const std::string start = tree.Make("photos/2024 summer");
    const std::string other = tree.Make("photos/\xC3\x9C" "bersicht");
    auto owned = DialogOn(start);
    TFolderDialog& dialog = *owned;
    std::vector<std::string> selections;
    dialog.OnSelectionChanged = [&](TFolderDialog*, QWidget*, const QModelIndex& item, const std::string& folder) {
        selections.push_back(folder);
        EXPECT_TRUE(item.isValid());
    };
    QPoint placed;
    QRect screen;
    const bool chosen = RunDialog(dialog, [&](TFolderBrowserWindow* w) {
        placed = w->frameGeometry().topLeft() + QPoint(w->frameGeometry().width(), w->frameGeometry().height()) / 2;
        screen = w->screen()->geometry();
        EXPECT_EQ(w->CurrentPath().toStdString(), start);
        EXPECT_EQ(w->StatusLabel()->text().toStdString(), ShortenPath(start));
        EXPECT_EQ(w->CaptionLabel()->text(), "Current folder:");
        EXPECT_EQ(w->NewFolderButton()->text(), "New folder");
        EXPECT_TRUE(w->OkButton()->isEnabled());
        EXPECT_TRUE(w->NewFolderButton()->isEnabled());
        EXPECT_TRUE(w->SelectPath(QString::fromStdString(other)));
        return true;
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(dialog.Folder(), other);
    EXPECT_EQ(selections, (std::vector<std::string>{start, other}));
    // Centred on the screen (within the rounding of the halves).
    EXPECT_LE(std::abs(placed.x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(placed.y() - screen.center().y()), 1);

    EXPECT_FALSE(RunDialog(dialog, [&](TFolderBrowserWindow* w) {
        EXPECT_EQ(w->CurrentPath().toStdString(), other); // opens on the last choice
        w->SelectPath(QString::fromStdString(start));
        return false;
    }));
    EXPECT_EQ(dialog.Folder(), other);
}

TEST(FolderDialogRun, TheSelectionStaysInViewWhileTheFoldersAboveItAreListed)
{
    TTempTree tree;
    for (int i = 0; i < 80; ++i) tree.Make(std::string("a").append(std::to_string(100 + i)));
    const std::string target = tree.Make("zz/target");
    auto dialog = DialogOn(target);
    bool inView = false;
    RunDialog(*dialog, [&](TFolderBrowserWindow* w) {
        const QModelIndex parent = w->Model()->index(QString::fromStdString(tree.Root.string()));
        PumpUntil([&] { return w->Model()->rowCount(parent) == 81; }, 10000);
        PumpUntil([] { return false; }, 200);
        const QRect item = w->Tree()->visualRect(w->Tree()->currentIndex());
        inView = w->Tree()->viewport()->rect().contains(item.center());
        return false;
    });
    EXPECT_TRUE(inView);
}

TEST(FolderDialogRun, NewFolderIsMadeInTheSelectionAndShownSelected)
{
    TTempTree tree;
    const std::string data = tree.Make("data");
    auto owned = DialogOn(data, "de_DE");
    TFolderDialog& dialog = *owned;
    std::vector<std::string> askedWith;
    std::vector<std::string> names = {"Reports", std::string(300, 'n'), "../outside", "..", ""};
    dialog.NameBox = [&](QWidget*, const std::string& caption, std::string& name) {
        askedWith.push_back(caption);
        name = names.front();
        names.erase(names.begin());
        return true;
    };
    TRecordingMessageBox boxes;
    TScopedMessageBox scope(&boxes);
    std::string afterNew, afterFailures;
    EXPECT_TRUE(RunDialog(dialog, [&](TFolderBrowserWindow* w) {
        w->NewFolderButton()->click();
        afterNew = w->CurrentPath().toStdString();
        for (int i = 0; i < 4; ++i) w->NewFolderButton()->click();
        afterFailures = w->CurrentPath().toStdString();
        return true;
    }));
    const std::string reports = data + "/Reports";
    EXPECT_TRUE(fs::is_directory(reports));
    EXPECT_EQ(afterNew, reports);
    EXPECT_EQ(afterFailures, reports); // the failures keep the selection
    EXPECT_EQ(dialog.Folder(), reports);
    EXPECT_FALSE(fs::exists(tree.Root / "data" / "outside"));
    EXPECT_FALSE(fs::exists(tree.Root / "outside"));
    EXPECT_EQ(askedWith, std::vector<std::string>(5, "Neuer Ordner"));
    // The long name, "../outside" and ".." fail; the empty name does nothing.
    const auto calls = boxes.Calls();
    ASSERT_EQ(calls.size(), 3u);
    for (const auto& call : calls) {
        EXPECT_EQ(call.Caption, "Neuer Ordner");
        EXPECT_EQ(call.Text, "The directory or file cannot be created.");
        EXPECT_EQ(call.Kind, TMsgKind::mkWarning);
    }
}

TEST(FolderDialogRun, OkNeedsASelectionOnlyForFileSystemFolders)
{
    TTempTree tree;
    const std::string start = tree.Make("a");
    for (bool onlyFileSystem : {true, false}) {
        auto owned = DialogOn(start);
        TFolderDialog& dialog = *owned;
        if (onlyFileSystem) dialog.Flags |= TBrowseInfoFlag::OnlyFileSystem;
        std::string lastSelection = "-";
        dialog.OnSelectionChanged = [&](TFolderDialog*, QWidget*, const QModelIndex&, const std::string& folder) {
            lastSelection = folder;
        };
        EXPECT_FALSE(RunDialog(dialog, [&](TFolderBrowserWindow* w) {
            w->Tree()->setCurrentIndex(QModelIndex());
            EXPECT_EQ(w->OkButton()->isEnabled(), !onlyFileSystem);
            EXPECT_FALSE(w->NewFolderButton()->isEnabled());
            EXPECT_EQ(w->StatusLabel()->text(), "");
            EXPECT_FALSE(dialog.SelectionValid());
            return true; // OK without a folder chooses nothing
        }));
        EXPECT_EQ(lastSelection, "");
        EXPECT_EQ(dialog.Folder(), start);
    }
}

TEST(FolderDialogRun, TheButtonFollowsVisibleAndEnabledAndTheStatusLineShowPath)
{
    TTempTree tree;
    const std::string start = tree.Make("a");
    auto owned = DialogOn(start);
    TFolderDialog& dialog = *owned;
    dialog.Flags = {};
    dialog.SetNewFolderVisible(false);
    RunDialog(dialog, [&](TFolderBrowserWindow* w) {
        EXPECT_FALSE(w->NewFolderButton()->isVisible());
        EXPECT_FALSE(w->StatusLabel()->isVisible());
        dialog.SetNewFolderVisible(true);
        EXPECT_TRUE(w->NewFolderButton()->isVisible());
        EXPECT_TRUE(w->NewFolderButton()->isEnabled());
        dialog.SetNewFolderEnabled(false);
        EXPECT_FALSE(w->NewFolderButton()->isEnabled());
        // The button is wide enough for its caption and stays clear of OK.
        TStringList long_;
        long_.Add("Default=A much longer caption for the new folder button");
        dialog.SetNewFolderCaptions(long_);
        const QPushButton* b = w->NewFolderButton();
        EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text()) + 12);
        EXPECT_LT(b->geometry().right(), w->OkButton()->geometry().left());
        return false;
    });
}

TEST(FolderDialogRun, AUserFolderAsRootShowsItAloneAtTheTop)
{
    TTempTree tree;
    const std::string docs = tree.Make("home/My Documents");
    tree.Make("home/Sibling");
    tree.Make("config");
    {
        std::ofstream dirs(tree.Root / "config" / "user-dirs.dirs");
        dirs << "XDG_DOCUMENTS_DIR=\"" << docs << "\"\n";
    }
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((tree.Root / "config").string()));
    EXPECT_EQ(TFolderDialog::RootFolderPath(TSHFolders::foPersonal), docs);
    EXPECT_EQ(TFolderDialog::RootFolderPath(TSHFolders::foDesktopExpanded), "");
    EXPECT_EQ(TFolderDialog::RootFolderPath(TSHFolders::foMyComputer), "");

    auto owned = DialogOn("/usr"); // outside the root: the root is selected
    TFolderDialog& dialog = *owned;
    dialog.RootFolder = TSHFolders::foPersonal;
    RunDialog(dialog, [&](TFolderBrowserWindow* w) {
        EXPECT_EQ(w->CurrentPath().toStdString(), docs);
        const QModelIndex top = w->Tree()->rootIndex();
        EXPECT_TRUE(PumpUntil([&] { return w->Model()->rowCount(top) == 2; }, 5000));
        int shown = 0;
        for (int row = 0; row < w->Model()->rowCount(top); ++row) shown += w->Tree()->isRowHidden(row, top) ? 0 : 1;
        EXPECT_EQ(shown, 1);
        EXPECT_FALSE(w->SelectPath(QString::fromStdString((tree.Root / "home" / "Sibling").string())));
        return false;
    });
    if (oldConfig.isNull()) qunsetenv("XDG_CONFIG_HOME"); else qputenv("XDG_CONFIG_HOME", oldConfig);
}

// Opens of the files in a folder, seen through inotify.
struct TOpenWatch
{
    int Fd;
    explicit TOpenWatch(const std::string& folder) : Fd(inotify_init1(IN_NONBLOCK))
    {
        inotify_add_watch(Fd, folder.c_str(), IN_OPEN | IN_ACCESS);
    }
    ~TOpenWatch() { ::close(Fd); }
    // The names of the files opened or read since the last call.
    std::vector<std::string> Opened()
    {
        std::vector<std::string> names;
        alignas(inotify_event) char buf[4096];
        for (ssize_t n; (n = ::read(Fd, buf, sizeof buf)) > 0;)
            for (char* p = buf; p < buf + n;) {
                auto* e = reinterpret_cast<inotify_event*>(p);
                if (e->len && !(e->mask & IN_ISDIR) && std::find(names.begin(), names.end(), e->name) == names.end())
                    names.push_back(e->name);
                p += sizeof(inotify_event) + e->len;
            }
        return names;
    }
};

TEST(FolderDialogRun, ListingAFolderNeverOpensItsFiles)
{
    EnsureGuiTestApp();
    TTempTree tree;
    const std::string folder = tree.Make("mixed");
    tree.Make("mixed/sub");
    for (const char* name : {"blob", "picture.jpg", "notes"}) std::ofstream(fs::path(folder) / name) << "\x89PNG\r\n\x1a\n....";
    TOpenWatch watch(folder);
    // The watch sees a content sniff of a file without a suffix.
    QMimeDatabase().mimeTypeForFile(QString::fromStdString(folder + "/blob"));
    EXPECT_EQ(watch.Opened(), std::vector<std::string>{"blob"});

    TFolderBrowserWindow window(nullptr, QString(), "x", true);
    bool loaded = false;
    QObject::connect(window.Model(), &QFileSystemModel::directoryLoaded, &window,
                     [&](const QString& path) { loaded = loaded || path.toStdString() == folder; });
    window.show();
    EXPECT_TRUE(window.SelectPath(QString::fromStdString(folder + "/sub")));
    window.Tree()->expand(window.Model()->index(QString::fromStdString(folder)));
    ASSERT_TRUE(PumpUntil([&] { return loaded; }, 10000));
    const QModelIndex parent = window.Model()->index(QString::fromStdString(folder));
    PumpUntil([] { return false; }, 300); // let the helper thread finish its details
    EXPECT_EQ(window.Model()->rowCount(parent), 1); // folders only
    EXPECT_TRUE(watch.Opened().empty());
}

} // namespace
