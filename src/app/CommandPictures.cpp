#include "app/CommandPictures.h"

#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QStandardPaths>

// Outside any namespace: the resource's initializer is declared where it is called.
static void InitPictureResources()
{
    Q_INIT_RESOURCE(pictures);
}

namespace {

constexpr int KPictureSize = 16;

// The pictures' resource is registered once, on first use.
void RegisterPictures()
{
    static const bool registered = (InitPictureResources(), true);
    (void)registered;
}

// Theme names: the freedesktop name where the naming has one, else the name the common themes
// share; the installed theme has a picture for every entry.
constexpr TCommandPicture KPictures[] = {
    {"FileOpenAction", "document-open", nullptr},
    {"FileSaveAsAction", "document-save-as", nullptr},
    {"FileSaveAction", "document-save", nullptr},
    {"EditCompressAction", "", "compress"},
    {"FileAcquireAction", "document-scan scanner", nullptr},
    {"FileMailAction", "mail-send", nullptr},
    {"FileBatchProcAction", "", "batch"},
    {"EditStopAction", "process-stop", nullptr},
    {"ViewInfoAction", "dialog-information", nullptr},
    {"HelpContentsAction", "help-contents", nullptr},
    {"SelRectAction", "", "sel-rect"},
    {"SelElliptAction", "", "sel-ellipse"},
    {"SelPolyAction", "", "sel-polygon"},
    {"SelHideAction", "", "sel-hide"},
    {"SelDelAction", "", "sel-delete"},
    {"SelDelAllAction", "", "sel-delete-all"},
    {"EditPasteAction", "edit-paste", nullptr},
    {"EditCommentAction", "", "comment"},
    {"EditCopyAction", "edit-copy", nullptr},
    {"EditResizeAction", "", "resize"},
    {"EditCropAction", "transform-crop", nullptr},
    {"EditProfileAction", "document-properties", nullptr},
    {"OptToolMoveAction", "transform-move", nullptr},
    {"OptToolSelAction", "", "tool-select"},
    {"OptToolZoomAction", "", "tool-zoom"},
    {"WindowCascadeAction", "", "window-cascade"},
    {"WindowTileHorzAction", "", "window-tile-horz"},
    {"WindowTileVertAction", "", "window-tile-vert"},
    {"WindowMinimizeAllAction", "window-minimize", nullptr},
    {"WindowFitAction", "", "window-fit"},
    {"WindowDuplAction", "window-duplicate window-new", nullptr},
    {"OptPlainAction", "", "plain"},
    {"OptSelAction", "", "selective"},
    {"OptGrayAction", "", "grey"},
    {"OptColorAction", "", "true-colour"},
    {"OptProgAction", "", "progressive"},
    {"OptOptAction", "", "optimized"},
    {"OptPrecHighAction", "", "precision-high"},
    {"OptPrecNormAction", "", "precision-normal"},
    {"OptPrecLowAction", "", "precision-low"},
    {"OptEqAdjAction", "", "equalizer-adjust"},
    {"OptEqFullAction", "", "equalizer-full"},
    {"OptCompAutAction", "", "compress-auto"},
    {"OptCompCmdAction", "", "compress-command"},
    {"OptResetAction", "document-revert", nullptr},
    {"ViewZoomInAction", "zoom-in", nullptr},
    {"ViewZoomOutAction", "zoom-out", nullptr},
    {"ViewActSizeAction", "zoom-original", nullptr},
    {"ViewZoomFitAction", "zoom-fit-best", nullptr},
    {"ViewCenterAction", "", "view-center"},
    {"ViewArrHorzAction", "", "arrange-horz"},
    {"ViewArrResAction", "", "arrange-result"},
    {"ViewArrVertAction", "", "arrange-vert"},
    {"FileLoadProfileAction", "", "profile-load"},
    {"ViewSrcAsResBtn", "", "quick-compare"},
    {"FileCloseAction", "document-close window-close", nullptr},
    {"LumChromSyncBtn", "", "tie"},
    {"HoldComprRatioBtn", "", "hold"},
    {"GlobalProfileBtn", "", "keep"},
    {"FiltBtn1", "", "filter-unsharp"},
    {"FiltBtn2", "", "filter-luma"},
    {"FiltBtn3", "", "filter-noise"},
    {"FiltBtn4", "", "filter-range"},
    {"FiltBtn5", "", "filter-smooth"},
};

struct TNumberedPicture
{
    int Slot;
    const char* Own;
};

constexpr TNumberedPicture KNumbered[] = {
    {nsLayoutSideSource, "layout-lr-source"},
    {nsLayoutSideResult, "layout-lr-result"},
    {nsLayoutStackSource, "layout-tb-source"},
    {nsLayoutStackResult, "layout-tb-result"},
    {nsLayoutOneSource, "layout-one-source"},
    {nsLayoutOneResult, "layout-one-result"},
    {nsLayoutSideBothSource, "layout-lr-source-both"},
    {nsLayoutStackBothSource, "layout-tb-source-both"},
    {nsRatio, "ratio"},
    {nsProfile, "profile"},
    {nsDefaultProfile, "profile-default"},
    {nsAreaBase, "area-base"},
    {nsAreaSelected, "area-selected"},
};

constexpr bool IsNumbered(int slot)
{
    for (const TNumberedPicture& n : KNumbered)
        if (n.Slot == slot) return true;
    return false;
}

// The slot of the command picture at index: the slots are handed out in order, the numbered ones
// skipped.
constexpr int SlotOfIndex(size_t index)
{
    int next = 0;
    for (size_t i = 0;; ++i, ++next) {
        while (IsNumbered(next))
            ++next;
        if (i == index) return next;
    }
}

constexpr bool NumberedSlotsFit()
{
    for (size_t a = 0; a < std::size(KNumbered); ++a) {
        if (KNumbered[a].Slot < 0 || KNumbered[a].Slot >= KImageCount) return false;
        for (size_t b = a + 1; b < std::size(KNumbered); ++b)
            if (KNumbered[a].Slot == KNumbered[b].Slot) return false;
    }
    return true;
}

static_assert(NumberedSlotsFit(), "a numbered slot lies outside the image list or is named twice");
static_assert(SlotOfIndex(std::size(KPictures) - 1) < KImageCount,
              "the command pictures overrun the image list");

// The theme installed with the program (scripts/install-deps.sh).
constexpr const char* KInstalledTheme = "breeze";

QPixmap IconPixmap(const QIcon& icon, qreal pixelRatio)
{
    if (icon.isNull()) return {};
    QPixmap pm = icon.pixmap(QSize(KPictureSize, KPictureSize), pixelRatio);
    // A theme without a 16 pixel size hands out its nearest: every slot has the same size.
    const QSize want(qRound(KPictureSize * pixelRatio), qRound(KPictureSize * pixelRatio));
    if (!pm.isNull() && pm.size() != want) {
        QPixmap fitted(want);
        fitted.fill(Qt::transparent);
        fitted.setDevicePixelRatio(pixelRatio);
        QPainter p(&fitted);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(QRect(0, 0, KPictureSize, KPictureSize), pm);
        p.end();
        pm = fitted;
    }
    return pm;
}

QPixmap OwnPixmap(const char* own, qreal pixelRatio)
{
    return IconPixmap(QIcon(QString(":/pictures/%1.svg").arg(own)), pixelRatio);
}

QPixmap CommandPixmap(const TCommandPicture& picture, qreal pixelRatio)
{
    for (const QString& name : QString(picture.Theme).split(' ', Qt::SkipEmptyParts))
        if (QIcon::hasThemeIcon(name)) return IconPixmap(QIcon::fromTheme(name), pixelRatio);
    return picture.Own ? OwnPixmap(picture.Own, pixelRatio) : QPixmap();
}

} // namespace

std::span<const TCommandPicture> CommandPictures()
{
    return KPictures;
}

bool IsNumberedSlot(int slot)
{
    return IsNumbered(slot);
}

void PrepareIconTheme()
{
    // Offscreen Qt searches its resources only; the themes live in the data folders' "icons".
    QStringList paths = QIcon::themeSearchPaths();
    QStringList dirs;
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        dirs.append(data + "/icons");
    dirs.append("/usr/share/icons");
    for (const QString& dir : dirs)
        if (!paths.contains(dir) && QDir(dir).exists()) paths.append(dir);
    if (paths != QIcon::themeSearchPaths()) QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(KInstalledTheme);
    // Offscreen, on a bare X server and on desktops that name no theme, Qt reports none or hicolor.
    const QString current = QIcon::themeName();
    if (current.isEmpty() || current == "hicolor") QIcon::setThemeName(KInstalledTheme);
}

int PictureSlot(const QString& name)
{
    for (size_t i = 0; i < std::size(KPictures); ++i)
        if (name == KPictures[i].Name) return SlotOfIndex(i);
    return -1;
}

QList<QPixmap> MakeImageList(qreal pixelRatio)
{
    RegisterPictures();
    PrepareIconTheme();
    QList<QPixmap> images(KImageCount);
    for (size_t i = 0; i < std::size(KPictures); ++i)
        images[SlotOfIndex(i)] = CommandPixmap(KPictures[i], pixelRatio);
    for (const TNumberedPicture& n : KNumbered)
        images[n.Slot] = OwnPixmap(n.Own, pixelRatio);
    return images;
}

QIcon ProgramIcon()
{
    RegisterPictures();
    return QIcon(":/pictures/program.svg");
}
