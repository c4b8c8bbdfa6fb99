#pragma once
// The window of the folder dialog: a caption, a status line and a tree of folders (folders only,
// below one root folder or the whole file system), with a "New folder" button at the bottom left
// and OK and Cancel at the bottom right, placed by the screen's pixels per inch.
//
// Listing a folder never reads a file: icons and type names come from the entry's kind alone, so a
// folder such as /proc, whose files may block on reading, lists like any other.
#include <memory>

#include <QDialog>
#include <QRect>
#include <QString>
#include <QTimer>

class QAbstractFileIconProvider;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

class TFolderBrowserWindow : public QDialog
{
    Q_OBJECT
public:
    // rootPath empty: the whole file system.
    TFolderBrowserWindow(QWidget* parent, const QString& rootPath, const QString& caption, bool showStatus);
    ~TFolderBrowserWindow() override;

    // The place of the "New folder" button at dpi pixels per inch in a client area clientHeight
    // pixels high; its width is the least the button takes.
    static QRect NewFolderButtonGeometry(int dpi, int clientHeight);

    // Selects a folder within the tree, expanding the tree down to it; false when the tree does
    // not hold it.
    bool SelectPath(const QString& path);
    // Selects the tree's first folder.
    void SelectFirst();
    // The selected folder's path; empty when nothing is selected.
    QString CurrentPath() const;
    void SetStatusText(const QString& text);
    void SetNewFolderCaption(const QString& caption);
    // Moves the window to the middle of its screen, its size unchanged.
    void CenterOnScreen();

    QTreeView* Tree() const { return FTree; }
    QFileSystemModel* Model() const { return FModel; }
    QLabel* CaptionLabel() const { return FCaption; }
    QLabel* StatusLabel() const { return FStatus; }
    QPushButton* OkButton() const { return FOk; }
    QPushButton* CancelButton() const { return FCancel; }
    QPushButton* NewFolderButton() const { return FNewFolder; }

signals:
    // The selection moved to path (empty: nothing selected).
    void SelectionChanged(const QString& path);
    // The window is about to be seen for the first time.
    void FirstShown();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int Dpi() const;
    void PlaceButtons();
    void HideSiblingsOfRoot(const QModelIndex& parent, int first, int last);

    QString FRootPath;
    std::unique_ptr<QAbstractFileIconProvider> FIconProvider; // outlives the model
    QFileSystemModel* FModel;
    QTreeView* FTree;
    QLabel* FCaption;
    QLabel* FStatus;
    QPushButton* FOk;
    QPushButton* FCancel;
    QPushButton* FNewFolder;
    QString FScrollTarget; // the folder selected by SelectPath, kept in view while the tree fills
    QTimer FKeepInView;
    bool FShown = false;
};
