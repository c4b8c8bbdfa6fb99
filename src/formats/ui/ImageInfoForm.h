#pragma once
// The information and preview panel of the picture dialogs, with the recent-folders list and the
// panel's pop-up menu. The dialog places PicturePanel at its right and RDirPanel below; what is
// shown comes from the dialog (ShowInfo, DrawPreview), what the user asks for goes back through
// the signals. The preview fades from the old frame to the new one in 30 ms steps.
#include <array>
#include <string>
#include <vector>

#include <QImage>
#include <QObject>
#include <QTimer>

#include "formats/ImageFileInfo.h"

class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QWidget;
class TPreviewBox;

class TImageInfoForm : public QObject
{
    Q_OBJECT
public:
    // The panels are made as children of host; previewSize is the preview area in pixels.
    TImageInfoForm(QWidget* host, QSize previewSize);

    QWidget* PicturePanel() const { return FPicturePanel; }
    QWidget* RDirPanel() const { return FRDirPanel; }

    int DisplayOptions() const { return FOptions; }
    // Sets the options and shows the menu's and check box's state for them.
    void SetDisplayOptions(int options);

    // The panel's texts for info under the display options; Clear() shows every value as "-".
    void ShowInfo(const TImageFileInfo& info);
    void ClearInfo();
    // A new preview frame: picture drawn at place when it is not null and the preview is on, else
    // text centred; then the fade from the frame shown so far begins.
    void DrawPreview(const QImage& picture, const QRect& place, const QString& text);

    // Recent folders; the one at lastChosen (-1 none) shows the second icon.
    void SetRecentFolders(const std::vector<std::string>& folders, int lastChosen);
    void SetOpenItem(const QString& caption, bool enabled);

    QSize PreviewSize() const { return FNewFrame.size(); }
    // A preview area of another size (the frames start empty).
    void SetPreviewSize(QSize size);
    int FadeStep() const { return FFadeStep; }
    bool Fading() const { return FTimer.isActive(); }
    const QImage& ShownFrame() const { return FShownFrame; }
    QLabel* CaptionLabel(int line) const { return FCaptions[size_t(line)]; }
    QLabel* ValueLabel(int line) const { return FValues[size_t(line)]; }
    QMenu* PopupMenu() const { return FMenu; }
    QListWidget* RecentList() const { return FRecentList; }
    QCheckBox* PreviewCheck() const { return FPreviewCheck; }

signals:
    void OpenRequested();
    // The preview was switched on or off: the dialog draws it again.
    void PreviewSwitched();
    // A unit changed: the dialog shows the information again.
    void UnitsChanged();
    void HelpRequested();
    void RecentFolderChosen(int index);

private:
    void BuildMenu();
    void ChangeOption(int bit, bool toggle, bool on);
    void SyncOptionControls();
    void FadeTick();

    QWidget* FPicturePanel;
    QWidget* FRDirPanel;
    std::array<QLabel*, 8> FCaptions{};
    std::array<QLabel*, 8> FValues{};
    QCheckBox* FPreviewCheck;
    TPreviewBox* FPreviewBox;
    QListWidget* FRecentList;
    QMenu* FMenu = nullptr;
    QAction* FOpenItem = nullptr;
    QAction* FPreviewItem = nullptr;
    QAction* FSmoothItem = nullptr;
    QAction* FBytesItem = nullptr;
    QAction* FKBytesItem = nullptr;
    QAction* FTime28Item = nullptr;
    QAction* FTime56Item = nullptr;
    QAction* FRatioItem = nullptr;
    QAction* FBppItem = nullptr;
    int FOptions = 0;
    bool FSyncing = false;
    QImage FNewFrame, FShownFrame, FOldFrame;
    int FFadeStep = 0;
    QTimer FTimer;
};
