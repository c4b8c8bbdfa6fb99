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

// Theme names: the freedesktop name where the naming has one, else the name the common themes
// share; the installed theme has a picture for every entry.
const QList<TCommandPicture> KPictures = {
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

const std::pair<int, const char*> KNumbered[] = {
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

const QList<TCommandPicture>& CommandPictures()
{
    return KPictures;
}

bool IsNumberedSlot(int slot)
{
    for (const auto& [number, own] : KNumbered)
        if (number == slot) return true;
    return false;
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
    int next = 0;
    for (const TCommandPicture& picture : KPictures) {
        while (IsNumberedSlot(next))
            ++next;
        if (name == picture.Name) return next;
        ++next;
    }
    return -1;
}

QList<QPixmap> MakeImageList(qreal pixelRatio)
{
    static const bool registered = (InitPictureResources(), true);
    (void)registered;
    PrepareIconTheme();
    QList<QPixmap> images(KImageCount);
    for (const TCommandPicture& picture : KPictures)
        images[PictureSlot(picture.Name)] = CommandPixmap(picture, pixelRatio);
    for (const auto& [slot, own] : KNumbered)
        images[slot] = OwnPixmap(own, pixelRatio);
    return images;
}
