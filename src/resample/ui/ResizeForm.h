#pragma once
// "Resize/Resample Image": the purpose, the new size in pixels, percents or inches, the aspect lock,
// the resolution inches are counted at, the method and its fidelity, and the resize history
// (newest first, below "Original options") for the active image.
//
// The caller sets the image (SetImage) before showing the form and, after OK, reads Options and
// the resolution (HorzDPI, VertDPI, ResolutionFlag).
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "resample/ResamplingOptions.h"
#include "resample/ResizeHistory.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QSlider;
class TResolutionForm;
class TSettingsStore;
class TSizeSpinBox;

class TResizeForm : public QDialog
{
    Q_OBJECT
  public:
    // settings: the resize history's group (may be null: no history); onHelp opens a help topic.
    TResizeForm(QWidget* owner, TSettingsStore* settings, std::function<void(int)> onHelp);

    // The picture's size and resolution; a resolution below 1 counts as 96.
    void SetImage(int width, int height, int horzDPI, int vertDPI, bool resolutionFlag);

    TResamplingOptions Options; // the result, filled on OK
    int HorzDPI = 96;
    int VertDPI = 96;
    bool ResolutionFlag = false; // handed to the resolution dialog and back unchanged otherwise

    // Controls into a record (Options is not changed).
    TResamplingOptions GetOptions() const;
    // The size a side's box stands for, in pixels (side 0 width, 1 height).
    int SidePixels(int side) const;

    // Runs the resolution dialog in place of showing it (tests); true = OK.
    std::function<bool(TResolutionForm&)> ResolutionRunner;

    QComboBox* PurposeCombo = nullptr;
    QComboBox* UnitsCombo = nullptr;
    TSizeSpinBox* WidthEdit = nullptr;
    TSizeSpinBox* HeightEdit = nullptr;
    QLabel* WidthLabel = nullptr;
    QLabel* HeightLabel = nullptr;
    QCheckBox* AspectCheckBox = nullptr;
    QLabel* AspectLabel = nullptr;
    QLabel* DPILabel = nullptr;
    QListWidget* MethodList = nullptr;
    QSlider* FidelityTrackBar = nullptr;
    QLabel* FidelityLabels[3] = {};
    QListWidget* HistoryList = nullptr;

    // Which side the user typed last: 0 width, 1 height, 3 none.
    int UserSide() const { return FUserSide; }
    // Clicks the resolution label.
    void EditResolution();
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ApplyHistoryItem(int item);
    void WriteSidePixels(int side, int pixels);
    void SideEdited(int side);
    void FollowAspect(int fromSide);
    void UnitsChanged(int units);
    void PurposeChanged(int purpose);
    void UpdateMethodControls();
    void UpdateUnitControls();
    void UpdateSideLabels();
    void UpdateDPILabel();
    TSizeSpinBox* Edit(int side) const { return side == 0 ? WidthEdit : HeightEdit; }
    int ImageSide(int side) const { return side == 0 ? FImageWidth : FImageHeight; }
    int SideDPI(int side) const { return side == 0 ? HorzDPI : VertDPI; }

    TSettingsStore* FSettings;
    std::function<void(int)> FOnHelp;
    TResizeHistory FHistory; // oldest first
    int FImageWidth = 0, FImageHeight = 0;
    double FAspectRatio = 1.0;
    int FUnits = 0;
    int FUserSide = 3;
    int FEntrySide = 3; // the side the applied history entry holds alone (3: none)
    bool FThumbnailGuard = false;
    bool FUpdating = false;
};
