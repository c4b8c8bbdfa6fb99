#include "controls/FolderBrowserWindow.h"

#include <algorithm>

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include "common/CommLib.h"

namespace {

// Icons and type names by the entry's kind only. The model's helper thread calls it too, so the
// icons are made once on the main thread.
class TKindIconProvider : public QAbstractFileIconProvider
{
public:
    TKindIconProvider()
        : FFolder(QApplication::style()->standardIcon(QStyle::SP_DirIcon)),
          FFile(QApplication::style()->standardIcon(QStyle::SP_FileIcon))
    {
        setOptions(DontUseCustomDirectoryIcons);
    }
    QIcon icon(IconType type) const override { return type == File ? FFile : FFolder; }
    QIcon icon(const QFileInfo& info) const override { return info.isDir() ? FFolder : FFile; }
    QString type(const QFileInfo& info) const override { return info.isDir() ? "Folder" : "File"; }

private:
    const QIcon FFolder, FFile;
};

// Space between the tree and the buttons, and between OK and Cancel, at 96 pixels per inch.
const int ButtonGap = 8;

QString ParentPath(const QString& path)
{
    const int slash = path.lastIndexOf('/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

} // namespace

TFolderBrowserWindow::TFolderBrowserWindow(QWidget* parent, const QString& rootPath, const QString& caption,
                                           bool showStatus)
    : QDialog(parent), FRootPath(rootPath)
{
    setWindowTitle("Browse for Folder");
    FIconProvider = std::make_unique<TKindIconProvider>();
    FModel = new QFileSystemModel(this);
    FModel->setIconProvider(FIconProvider.get());
    FModel->setOption(QFileSystemModel::DontUseCustomDirectoryIcons);
    FModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    FModel->setReadOnly(true);

    FCaption = new QLabel(caption, this);
    FCaption->setWordWrap(true);
    FStatus = new QLabel(this);
    FStatus->setVisible(showStatus);
    FStatus->setTextFormat(Qt::PlainText);
    FTree = new QTreeView(this);
    FTree->setModel(FModel);
    FTree->setHeaderHidden(true);
    // Long names widen the column and bring a horizontal scroll bar instead of being cut.
    FTree->header()->setStretchLastSection(false);
    FTree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    for (int column = 1; column < FModel->columnCount(); ++column) FTree->hideColumn(column);
    FTree->setSelectionMode(QAbstractItemView::SingleSelection);
    FTree->setSortingEnabled(true);
    FTree->sortByColumn(0, Qt::AscendingOrder);
    FTree->setUniformRowHeights(true);
    FTree->setEditTriggers(QAbstractItemView::NoEditTriggers);

    if (FRootPath.isEmpty() || FRootPath == "/") {
        FRootPath.clear();
        FModel->setRootPath("/");
    } else {
        // The root folder alone at the top: its parent is the view's root, its siblings hidden.
        const QString parentPath = ParentPath(FRootPath);
        FModel->setRootPath(parentPath);
        FModel->index(FRootPath); // known before the listing of its parent arrives
        const QModelIndex parentIndex = FModel->index(parentPath);
        FTree->setRootIndex(parentIndex);
        connect(FModel, &QFileSystemModel::rowsInserted, this, &TFolderBrowserWindow::HideSiblingsOfRoot);
        HideSiblingsOfRoot(parentIndex, 0, FModel->rowCount(parentIndex) - 1);
    }
    // Folders listed and sorted above the selection push it down: it is brought back into view
    // (once per burst of changes) until the user scrolls or selects another folder.
    FKeepInView.setSingleShot(true);
    connect(&FKeepInView, &QTimer::timeout, this, [this] {
        if (!FScrollTarget.isEmpty() && CurrentPath() == FScrollTarget) FTree->scrollTo(FTree->currentIndex());
    });
    auto keepInView = [this] {
        if (!FScrollTarget.isEmpty()) FKeepInView.start(0);
    };
    connect(FModel, &QFileSystemModel::directoryLoaded, this, keepInView);
    connect(FModel, &QFileSystemModel::rowsInserted, this, keepInView);
    connect(FModel, &QFileSystemModel::layoutChanged, this, keepInView);
    connect(FTree->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { FScrollTarget.clear(); });
    connect(FTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { emit SelectionChanged(current.isValid() ? FModel->filePath(current) : QString()); });

    FOk = new QPushButton("OK", this);
    FOk->setDefault(true);
    FCancel = new QPushButton("Cancel", this);
    FNewFolder = new QPushButton(this);
    connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(FCancel, &QPushButton::clicked, this, &QDialog::reject);

    const QRect button = NewFolderButtonGeometry(Dpi(), 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(button.x(), button.x(), button.x(), -button.y() + MulDiv(ButtonGap, Dpi(), 96));
    layout->addWidget(FCaption);
    layout->addWidget(FStatus);
    layout->addWidget(FTree, 1);

    // Wide enough for a status line of 50 characters.
    const int textWidth = fontMetrics().averageCharWidth() * 52;
    resize(std::max(MulDiv(380, Dpi(), 96), textWidth + 2 * button.x()), MulDiv(420, Dpi(), 96));
}

TFolderBrowserWindow::~TFolderBrowserWindow()
{
    // The model's helper thread ends with the model; the icon provider it uses goes after it.
    FTree->setModel(nullptr);
    delete FModel;
}

QRect TFolderBrowserWindow::NewFolderButtonGeometry(int dpi, int clientHeight)
{
    struct TRow { int Dpi, X, Bottom, Width, Height; };
    static const TRow rows[] = {{72, 12, 36, 75, 23}, {96, 12, 36, 75, 23}, {120, 15, 45, 93, 28},
                                {144, 17, 56, 112, 35}, {192, 20, 66, 150, 41}};
    for (const TRow& r : rows)
        if (r.Dpi == dpi) return QRect(r.X, clientHeight - r.Bottom, r.Width, r.Height);
    const TRow& base = rows[1];
    return QRect(MulDiv(base.X, dpi, 96), clientHeight - MulDiv(base.Bottom, dpi, 96), MulDiv(base.Width, dpi, 96),
                 MulDiv(base.Height, dpi, 96));
}

int TFolderBrowserWindow::Dpi() const
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? qRound(s->logicalDotsPerInch()) : 96;
}

void TFolderBrowserWindow::PlaceButtons()
{
    const QRect row = NewFolderButtonGeometry(Dpi(), height());
    auto widthFor = [&](QPushButton* b) {
        return std::max(b->fontMetrics().horizontalAdvance(b->text()) + 12, row.width());
    };
    FNewFolder->setGeometry(row.x(), row.y(), widthFor(FNewFolder), row.height());
    const int gap = MulDiv(ButtonGap, Dpi(), 96);
    const int cancelW = widthFor(FCancel), okW = widthFor(FOk);
    FCancel->setGeometry(width() - row.x() - cancelW, row.y(), cancelW, row.height());
    FOk->setGeometry(FCancel->x() - gap - okW, row.y(), okW, row.height());
    setMinimumWidth(row.x() * 2 + widthFor(FNewFolder) + 2 * gap + okW + cancelW);
}

void TFolderBrowserWindow::SetNewFolderCaption(const QString& caption)
{
    FNewFolder->setText(caption);
    PlaceButtons();
}

void TFolderBrowserWindow::SetStatusText(const QString& text) { FStatus->setText(text); }

void TFolderBrowserWindow::HideSiblingsOfRoot(const QModelIndex& parent, int first, int last)
{
    if (FRootPath.isEmpty() || FModel->filePath(parent) != ParentPath(FRootPath)) return;
    for (int row = first; row <= last; ++row)
        FTree->setRowHidden(row, parent, FModel->filePath(FModel->index(row, 0, parent)) != FRootPath);
}

bool TFolderBrowserWindow::SelectPath(const QString& path)
{
    if (path.isEmpty()) return false;
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const bool inside = FRootPath.isEmpty() || clean == FRootPath || clean.startsWith(FRootPath + "/");
    if (!inside || !QFileInfo(clean).isDir()) return false;
    const QModelIndex index = FModel->index(clean);
    if (!index.isValid()) return false;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) FTree->expand(up);
    FTree->setCurrentIndex(index);
    FTree->scrollTo(index);
    FScrollTarget = clean;
    return true;
}

void TFolderBrowserWindow::SelectFirst()
{
    if (!FRootPath.isEmpty()) {
        SelectPath(FRootPath);
        return;
    }
    const QModelIndex top = FModel->index(0, 0, FTree->rootIndex());
    if (top.isValid()) FTree->setCurrentIndex(top);
}

QString TFolderBrowserWindow::CurrentPath() const
{
    const QModelIndex current = FTree->currentIndex();
    return current.isValid() ? FModel->filePath(current) : QString();
}

void TFolderBrowserWindow::CenterOnScreen()
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect area = s->geometry();
    const QSize size = frameGeometry().size();
    move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void TFolderBrowserWindow::showEvent(QShowEvent* event)
{
    if (!FShown) {
        FShown = true;
        PlaceButtons();
        CenterOnScreen();
        emit FirstShown();
    }
    QDialog::showEvent(event);
}

void TFolderBrowserWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    PlaceButtons();
}
