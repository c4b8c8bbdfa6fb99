#include "resample/ui/ResizeForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/DialogButtons.h"
#include "resample/ui/ResolutionForm.h"
#include "common/CommLib.h"
#include "common/HelpTopics.h"
#include "platform/Round.h"
#include "resample/ui/SizeSpinBox.h"

namespace {

constexpr int KDefaultDPI = 96;
constexpr int KMinimumSide = 8;
constexpr int KNoSide = 3;

// Method list positions: the high-quality method first, then methods 0..2 in order.
int MethodOfPosition(int position)
{
    return position <= 0 ? 3 : position - 1;
}
int PositionOfMethod(int method)
{
    return method >= 0 && method <= 2 ? method + 1 : 0;
}

int ValidDPI(int dpi)
{
    return dpi < 1 ? KDefaultDPI : dpi;
}

} // namespace

TResizeForm::TResizeForm(QWidget* owner, TSettingsStore* settings, std::function<void(int)> onHelp)
    : QDialog(owner), FSettings(settings), FOnHelp(std::move(onHelp))
{
    setObjectName("ResizeForm");
    setWindowTitle("Resize/Resample Image");

    PurposeCombo = new QComboBox(this);
    PurposeCombo->setObjectName("PurposeCombo");
    PurposeCombo->addItems({"Resized Image", "Thumbnail"});
    auto* purposeRow = new QFormLayout;
    purposeRow->addRow("&Purpose:", PurposeCombo);

    // The size: two boxes, their units, the aspect lock and the resolution inches are counted at.
    auto* sizeGroup = new QGroupBox(" New Size ", this);
    auto* sizeGrid = new QGridLayout(sizeGroup);
    WidthLabel = new QLabel("&Width:", sizeGroup);
    HeightLabel = new QLabel("Hei&ght:", sizeGroup);
    WidthEdit = new TSizeSpinBox(sizeGroup);
    WidthEdit->setObjectName("WidthEdit");
    HeightEdit = new TSizeSpinBox(sizeGroup);
    HeightEdit->setObjectName("HeightEdit");
    WidthLabel->setBuddy(WidthEdit);
    HeightLabel->setBuddy(HeightEdit);
    UnitsCombo = new QComboBox(sizeGroup);
    UnitsCombo->setObjectName("UnitsCombo");
    UnitsCombo->addItems({"pixels", "percents", "inches"});
    auto* unitsLabel = new QLabel("&Units:", sizeGroup);
    unitsLabel->setBuddy(UnitsCombo);
    AspectCheckBox = new QCheckBox("&Keep aspect ratio", sizeGroup);
    AspectCheckBox->setObjectName("AspectCheckBox");
    AspectLabel = new QLabel(sizeGroup);
    AspectLabel->setObjectName("AspectLabel");
    DPILabel = new QLabel(sizeGroup);
    DPILabel->setObjectName("DPILabel");
    DPILabel->setCursor(Qt::PointingHandCursor);
    DPILabel->setToolTip("Change the resolution inches are counted at");
    DPILabel->installEventFilter(this);
    sizeGrid->addWidget(WidthLabel, 0, 0);
    sizeGrid->addWidget(WidthEdit, 0, 1);
    sizeGrid->addWidget(HeightLabel, 1, 0);
    sizeGrid->addWidget(HeightEdit, 1, 1);
    sizeGrid->addWidget(unitsLabel, 2, 0);
    sizeGrid->addWidget(UnitsCombo, 2, 1);
    sizeGrid->addWidget(DPILabel, 3, 1);
    sizeGrid->addWidget(AspectCheckBox, 4, 0, 1, 2);
    sizeGrid->addWidget(AspectLabel, 5, 0, 1, 2);
    sizeGrid->setColumnStretch(1, 1);

    // The method and, for the high-quality one, its fidelity.
    auto* methodGroup = new QGroupBox(" Method ", this);
    auto* methodBox = new QVBoxLayout(methodGroup);
    MethodList = new QListWidget(methodGroup);
    MethodList->setObjectName("MethodList");
    MethodList->addItems({"Bicubic HQ VF", "B-Spline", "Bell", "Mitchell"});
    MethodList->setFixedHeight(MethodList->sizeHintForRow(0) * 4 + 2 * MethodList->frameWidth() + 4);
    FidelityTrackBar = new QSlider(Qt::Horizontal, methodGroup);
    FidelityTrackBar->setObjectName("FidelityTrackBar");
    FidelityTrackBar->setRange(0, 256);
    FidelityTrackBar->setValue(256);
    FidelityTrackBar->setPageStep(8);
    FidelityTrackBar->setTickInterval(16);
    FidelityTrackBar->setTickPosition(QSlider::TicksBelow);
    auto* fidelityLabels = new QHBoxLayout;
    const char* fidelityTexts[3] = {"Min", "Fidelity Level", "Max"};
    for (int i = 0; i < 3; ++i) {
        FidelityLabels[i] = new QLabel(fidelityTexts[i], methodGroup);
        fidelityLabels->addWidget(FidelityLabels[i], i == 1 ? 1 : 0,
                                  i == 0   ? Qt::AlignLeft
                                  : i == 1 ? Qt::AlignHCenter
                                           : Qt::AlignRight);
    }
    methodBox->addWidget(MethodList);
    methodBox->addWidget(FidelityTrackBar);
    methodBox->addLayout(fidelityLabels);

    auto* historyGroup = new QGroupBox(" Most recently used parameters ", this);
    auto* historyBox = new QVBoxLayout(historyGroup);
    HistoryList = new QListWidget(historyGroup);
    HistoryList->setObjectName("HistoryList");
    historyBox->addWidget(HistoryList);

    auto* grid = new QGridLayout;
    auto* left = new QVBoxLayout;
    left->addLayout(purposeRow);
    left->addWidget(sizeGroup);
    left->addStretch(1);
    grid->addLayout(left, 0, 0);
    grid->addWidget(methodGroup, 0, 1);
    grid->addWidget(historyGroup, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeDialogButtons(this, htResolution, FOnHelp));
    resize(560, 440);

    connect(PurposeCombo, &QComboBox::currentIndexChanged, this,
            [this](int purpose) { PurposeChanged(purpose); });
    connect(UnitsCombo, &QComboBox::currentIndexChanged, this, [this](int units) { UnitsChanged(units); });
    connect(WidthEdit, &TSizeSpinBox::Edited, this, [this] { SideEdited(0); });
    connect(HeightEdit, &TSizeSpinBox::Edited, this, [this] { SideEdited(1); });
    connect(MethodList, &QListWidget::currentRowChanged, this, [this] { UpdateMethodControls(); });
    connect(HistoryList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!FUpdating && row >= 0) ApplyHistoryItem(row);
    });
    UpdateUnitControls();
}

void TResizeForm::SetImage(int width, int height, int horzDPI, int vertDPI, bool resolutionFlag)
{
    FImageWidth = std::max(0, width);
    FImageHeight = std::max(0, height);
    HorzDPI = ValidDPI(horzDPI);
    VertDPI = ValidDPI(vertDPI);
    ResolutionFlag = resolutionFlag;
}

void TResizeForm::showEvent(QShowEvent* event)
{
    UpdateDPILabel();
    FAspectRatio = double(FImageWidth) / std::max(1, FImageHeight);
    AspectLabel->setText("Aspect ratio: " + QString::asprintf("%6.3f", FAspectRatio).trimmed());
    std::vector<std::string> items;
    LoadResizeMRU(FHistory, &items, FSettings);
    FUpdating = true;
    HistoryList->clear();
    HistoryList->addItem("Original options");
    for (const std::string& item : items)
        HistoryList->addItem(QString::fromStdString(item));
    const int first = items.empty() ? 0 : 1;
    HistoryList->setCurrentRow(first);
    FUpdating = false;
    ApplyHistoryItem(first);
    UpdateMethodControls();
    FUserSide = KNoSide;
    FThumbnailGuard = false;
    UpdateSideLabels();
    QDialog::showEvent(event);
}

void TResizeForm::ApplyHistoryItem(int item)
{
    TResamplingOptions o;
    if (item <= 0 || item > int(FHistory.size())) {
        o.Purpose = 0;
        o.Aspect = true;
        o.Method = 3;
        o.Fidelity = 256;
        o.WUnits = 0;
        o.Width = FImageWidth;
        o.Height = FImageHeight;
    } else {
        o = FHistory[FHistory.size() - size_t(item)]; // the items are newest first
    }
    FUpdating = true;
    PurposeCombo->setCurrentIndex(o.Purpose == 1 ? 1 : 0);
    AspectCheckBox->setChecked(o.Aspect);
    MethodList->setCurrentRow(PositionOfMethod(o.Method));
    FidelityTrackBar->setValue(o.Fidelity);
    FUnits = std::clamp(o.WUnits, 0, 2);
    UnitsCombo->setCurrentIndex(FUnits);
    FUpdating = false;
    UpdateUnitControls();
    const int sizes[2] = {o.Width, o.Height};
    for (int side = 0; side < 2; ++side) {
        if (sizes[side] <= 0) continue;
        if (FUnits == 2)
            Edit(side)->SetValue(sizes[side] * 0.001, 3);
        else
            Edit(side)->SetValue(sizes[side]);
    }
    FUserSide = KNoSide;
    if (o.Aspect && o.Purpose == 0) {
        if (o.Height == 0 && o.Width > 0) FUserSide = 0;
        if (o.Width == 0 && o.Height > 0) FUserSide = 1;
        if (FUserSide != KNoSide) FollowAspect(FUserSide);
    }
    FEntrySide = FUserSide;
    PurposeChanged(PurposeCombo->currentIndex());
    UpdateMethodControls();
    UpdateSideLabels();
}

int TResizeForm::SidePixels(int side) const
{
    const double v = Edit(side)->Value();
    switch (FUnits) {
    case 1:
        return RoundInt(v * ImageSide(side) * 0.01);
    case 2:
        return RoundInt(v * SideDPI(side));
    default:
        return int(v);
    }
}

void TResizeForm::WriteSidePixels(int side, int pixels)
{
    switch (FUnits) {
    case 1:
        Edit(side)->SetValue(double(RoundInt(pixels * 100.0 / std::max(1, ImageSide(side)))));
        break;
    case 2:
        Edit(side)->SetValue(double(pixels) / SideDPI(side), 3);
        break;
    default:
        Edit(side)->SetValue(pixels);
        break;
    }
}

void TResizeForm::FollowAspect(int fromSide)
{
    const int px = SidePixels(fromSide);
    if (fromSide == 0)
        WriteSidePixels(1, RoundInt(px / FAspectRatio));
    else
        WriteSidePixels(0, RoundInt(px * FAspectRatio));
}

void TResizeForm::SideEdited(int side)
{
    if (FUpdating) return;
    const bool thumbnail = PurposeCombo->currentIndex() == 1;
    if (!thumbnail && AspectCheckBox->isChecked()) {
        FUserSide = side;
        FollowAspect(side);
    } else {
        FUserSide = side;
    }
    UpdateSideLabels();
}

void TResizeForm::UnitsChanged(int units)
{
    if (FUpdating || units < 0) return;
    // The sizes stay the same in pixels: each side is written again in the new unit.
    const int px[2] = {SidePixels(0), SidePixels(1)};
    FUnits = units;
    UpdateUnitControls();
    for (int side = 0; side < 2; ++side)
        WriteSidePixels(side, px[side]);
}

void TResizeForm::PurposeChanged(int purpose)
{
    if (FUpdating) return;
    const bool thumbnail = purpose == 1;
    if (thumbnail && FUnits != 0) {
        FThumbnailGuard = true;
        UnitsCombo->setCurrentIndex(0);
        FThumbnailGuard = false;
    }
    UnitsCombo->setEnabled(!thumbnail);
    AspectCheckBox->setEnabled(!thumbnail);
    AspectLabel->setEnabled(!thumbnail);
    if (!thumbnail && AspectCheckBox->isChecked() && !FThumbnailGuard) FollowAspect(FUserSide == 1 ? 1 : 0);
}

void TResizeForm::UpdateUnitControls()
{
    const bool inches = FUnits == 2;
    WidthEdit->SetInches(inches);
    HeightEdit->SetInches(inches);
    DPILabel->setVisible(inches);
}

void TResizeForm::UpdateMethodControls()
{
    const bool fidelity = MethodList->currentRow() <= 0;
    FidelityTrackBar->setEnabled(fidelity);
    for (QLabel* l : FidelityLabels)
        l->setEnabled(fidelity);
}

void TResizeForm::UpdateSideLabels()
{
    QLabel* labels[2] = {WidthLabel, HeightLabel};
    for (int side = 0; side < 2; ++side) {
        QFont f = labels[side]->font();
        f.setBold(FUserSide == side);
        labels[side]->setFont(f);
    }
}

void TResizeForm::UpdateDPILabel()
{
    DPILabel->setText(HorzDPI == VertDPI ? QString("*at %1 DPI").arg(HorzDPI)
                                         : QString("*at %1/%2 DPI").arg(HorzDPI).arg(VertDPI));
}

bool TResizeForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DPILabel && event->type() == QEvent::MouseButtonRelease) {
        EditResolution();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TResizeForm::EditResolution()
{
    TResolutionForm form(this, FOnHelp);
    form.HorzDPI = HorzDPI;
    form.VertDPI = VertDPI;
    form.DefaultForProfile = ResolutionFlag;
    const bool ok = ResolutionRunner ? ResolutionRunner(form) : form.exec() == QDialog::Accepted;
    if (!ok) return;
    HorzDPI = ValidDPI(form.HorzDPI);
    VertDPI = ValidDPI(form.VertDPI);
    ResolutionFlag = form.DefaultForProfile;
    UpdateDPILabel();
}

TResamplingOptions TResizeForm::GetOptions() const
{
    TResamplingOptions o;
    o.Purpose = PurposeCombo->currentIndex() == 1 ? 1 : 0;
    o.Aspect = AspectCheckBox->isChecked();
    o.Method = MethodOfPosition(MethodList->currentRow());
    o.Fidelity = FidelityTrackBar->value();
    o.WUnits = o.HUnits = FUnits;
    for (int side = 0; side < 2; ++side) {
        const double v = Edit(side)->Value();
        const int stored = FUnits == 2 ? RoundInt(v * 1000.0) : int(v);
        (side == 0 ? o.Width : o.Height) = stored;
    }
    // With the aspect kept, the side the user did not set follows from the other one; when the user
    // set neither, the side the chosen entry held leads, else the width (both 0 would ask for no
    // resize at all).
    const int lead = FUserSide != KNoSide ? FUserSide : FEntrySide;
    if (o.Aspect && o.Purpose == 0) (lead == 1 ? o.Width : o.Height) = 0;
    o.HorzDPI = HorzDPI;
    o.VertDPI = VertDPI;
    return o;
}

void TResizeForm::accept()
{
    const int w = SidePixels(0), h = SidePixels(1);
    if (w < KMinimumSide || h < KMinimumSide) {
        ShowWarning(static_cast<QWidget*>(this),
                    "Size value is too small: the minimum value for the width or height is 8 pixels.");
        return;
    }
    if (w == FImageWidth && h == FImageHeight) {
        reject();
        return;
    }
    Options = GetOptions();
    SaveResizeMRU(FHistory, Options, FSettings);
    QDialog::accept();
}
