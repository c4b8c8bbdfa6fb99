// The main window's parameter toolbars: building them, showing an image's values in them, and the
// handlers that write every change into the active window's image and count it as a change there.
//
// While the panels are filled from an image (SuppressPanelEvents), the level handlers only write the
// value, apply the tie and echo it; the equalizer, filter and radius handlers do nothing.
#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/CommandPictures.h"
#include "app/MainForm.h"
#include "app/PanelRules.h"
#include "app/ParamWidgets.h"
#include "controls/Toolbar.h"
#include "codec/JPEGImage.h"
#include "platform/Round.h"
#include "workspace/ImageForm.h"

namespace {

const auto& KFilterNames = KPrefilterNames;

template <class T>
T* Named(T* widget, const char* name, const char* hint = nullptr)
{
    widget->setObjectName(name);
    if (hint) {
        widget->setToolTip(hint);
        widget->setStatusTip(hint);
    }
    return widget;
}

QToolButton* MakeButton(const char* name, const char* text, const char* hint, bool checkable)
{
    auto* b = Named(new QToolButton, name, hint);
    b->setText(text);
    b->setCheckable(checkable);
    b->setAutoRaise(false);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

QTabBar* MakeAreaTabs(const char* name, const QList<QPixmap>& images)
{
    auto* tabs = Named(new TAreaTabBar, name, "Parameters of the whole image or of its selected areas");
    tabs->addTab(QIcon(images.value(nsAreaBase)), "Base");
    tabs->addTab(QIcon(images.value(nsAreaSelected)), "Selected");
    tabs->setDrawBase(false);
    tabs->setExpanding(false);
    return tabs;
}

// A track bar of one setting: its slider and its edit with up-down side by side in a grid row.
void AddRow(QGridLayout* grid, int row, QWidget* label, TRangeSlider* bar, TLevelSpin* spin)
{
    grid->addWidget(label, row, 0);
    grid->addWidget(bar, row, 1);
    grid->addWidget(spin, row, 2);
}

QGridLayout* PanelGrid(QWidget* panel)
{
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(2, 0, 2, 0);
    grid->setVerticalSpacing(1);
    return grid;
}

// The luma and chroma rows of a level panel with their tie button beside them.
void AddLevelPair(QGridLayout* grid, TRangeSlider* luma, TLevelSpin* lumaSpin, TRangeSlider* chroma,
                  TLevelSpin* chromaSpin, QToolButton* tie)
{
    AddRow(grid, 0, new QLabel("Luma"), luma, lumaSpin);
    AddRow(grid, 1, new QLabel("Chroma"), chroma, chromaSpin);
    grid->addWidget(tie, 0, 3, 2, 1);
}

void ShowRange(TRangeSlider* bar, const THighlight& h)
{
    if (h.Shown)
        bar->SetHighlight(h.From, h.To);
    else
        bar->ClearHighlight();
}

// The control's own enabled state (not its parent's).
bool OwnEnabled(const QWidget* w) { return w->isEnabledTo(w->parentWidget()); }

} // namespace

TToolbar* TMainForm::ParamToolbar(const char* title, const char* name, QTabBar* tabs, QWidget* left, QWidget* right)
{
    auto* client = new QWidget;
    auto* row = new QHBoxLayout(client);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(left);
    row->addWidget(right);
    // Top or bottom only, designed at the bottom.
    TToolbar* bar = MakeToolbar(title, name, BottomDockBar, name == std::string("ComprToolbar") ? 0 : 1, 0);
    bar->SetDockableTo(dtTop | dtBottom);
    bar->SetStrictOrder(true);
    auto* panel = new TTabbedPanel(tabs, client, bar);
    panel->resize(panel->sizeHint());
    // The tabs hide while the toolbar moves to another dock and come back once it is there.
    bar->OnDockChangingHidden = [tabs](TCustomToolWindow*, TDock*) { tabs->hide(); };
    bar->OnDockChanged = [tabs](TCustomToolWindow*) { tabs->show(); };
    // The tabs go on top of a toolbar made narrow and back to the left of a wide one.
    // The new arrangement resizes the toolbar again; that resize is not judged a second time.
    bar->OnResize = [panel, placing = false](TCustomToolWindow* sender) mutable {
        if (placing) return;
        const bool left = panel->TabsLeft();
        panel->PlaceTabs(sender->width(), sender->height());
        if (panel->TabsLeft() == left) return;
        placing = true;
        panel->layout()->activate(); // its layout gives it the size of the new arrangement
        sender->ArrangeControls();
        placing = false;
    };
    bar->ArrangeControls();
    return bar;
}

void TMainForm::CreateParamToolbars()
{
    auto level = [](const char* name, const char* hint, int minimum, int start) {
        auto* bar = Named(new TRangeSlider(Qt::Horizontal, minimum, 100, start), name, hint);
        bar->setMinimumWidth(130);
        return bar;
    };
    auto spin = [](const char* name, int minimum, int maximum, int start) {
        auto* s = Named(new TLevelSpin(minimum, maximum, start), name);
        s->Edit()->setObjectName(QString(name).replace("UpDown", "Edit"));
        return s;
    };

    // ---- "Compression Parameters" ----
    LumTrackBar = level("LumTrackBar", "Luma compression level (1 finest, 100 coarsest)", 1, 50);
    ChromTrackBar = level("ChromTrackBar", "Chroma compression level (1 finest, 100 coarsest)", 1, 50);
    LumUpDown = spin("LumUpDown", 1, 100, 50);
    ChromUpDown = spin("ChromUpDown", 1, 100, 50);
    LumChromSyncBtn = MakeButton("LumChromSyncBtn", "Tie", "Tie/untie Luma and Chroma compression values", true);
    HoldComprRatioBtn = MakeButton("HoldComprRatioBtn", "Hold", "Hold Compression Ratio", true);
    ComprRatioLabel = new QLabel("1:");
    ComprRatioEdit = Named(new QLineEdit("20"), "ComprRatioEdit", "Compression ratio to hold");
    ComprRatioEdit->setValidator(new TRatioValidator(ComprRatioEdit));
    ComprRatioEdit->setFixedWidth(ComprRatioEdit->fontMetrics().horizontalAdvance("00000") + 10);
    GlobalProfileBtn = MakeButton("GlobalProfileBtn", "Keep", "Keep Compression Profile", true);
    ComprOptResetBtn = MakeButton("ComprOptResetBtn", "Reset", "Reset the compression levels", false);

    ComprPanel = Named(new QWidget, "ComprPanel");
    {
        QGridLayout* grid = PanelGrid(ComprPanel);
        AddLevelPair(grid, LumTrackBar, LumUpDown, ChromTrackBar, ChromUpDown, LumChromSyncBtn);
        auto* row = new QHBoxLayout;
        row->setSpacing(3);
        row->addWidget(HoldComprRatioBtn);
        row->addWidget(ComprRatioLabel);
        row->addWidget(ComprRatioEdit);
        row->addStretch(1);
        row->addWidget(GlobalProfileBtn);
        row->addWidget(ComprOptResetBtn);
        grid->addLayout(row, 2, 0, 1, 4);
    }

    SLumTrackBar = level("SLumTrackBar", "Luma compression level of the selected areas", 1, 50);
    SChromTrackBar = level("SChromTrackBar", "Chroma compression level of the selected areas", 1, 50);
    SThresholdTrackBar = level("SThresholdTrackBar", "Area Threshold", 1, 50);
    SLumUpDown = spin("SLumUpDown", 1, 100, 50);
    SChromUpDown = spin("SChromUpDown", 1, 100, 50);
    SThresholdUpDown = spin("SThresholdUpDown", 0, 100, 50);
    SLumChromSyncBtn = MakeButton("SLumChromSyncBtn", "Tie", "Tie/untie Luma and Chroma compression values", true);
    SComprOptResetBtn =
        MakeButton("SComprOptResetBtn", "Reset", "Reset the compression levels of the selected areas", false);
    SComprPanel = Named(new QWidget, "SComprPanel");
    {
        QGridLayout* grid = PanelGrid(SComprPanel);
        AddLevelPair(grid, SLumTrackBar, SLumUpDown, SChromTrackBar, SChromUpDown, SLumChromSyncBtn);
        AddRow(grid, 2, new QLabel("Threshold"), SThresholdTrackBar, SThresholdUpDown);
        grid->addWidget(SComprOptResetBtn, 2, 3);
    }
    SComprPanel->hide();

    ComprEqPanel = Named(new QWidget, "ComprEqPanel");
    ComprEqResetBtn = MakeButton("ComprEqResetBtn", "Reset", "Reset the equalizer", false);
    {
        auto* box = new QVBoxLayout(ComprEqPanel);
        box->setContentsMargins(2, 0, 2, 0);
        box->setSpacing(1);
        box->addWidget(new QLabel("Detail Quality Equalizer"));
        auto* row = new QHBoxLayout;
        const char* hints[5] = {"Quality of the largest details", "Quality of large details",
                                "Quality of medium details", "Quality of small details",
                                "Quality of the smallest details"};
        for (int i = 0; i < 5; ++i) {
            const std::string name = "EqTrackBar" + std::to_string(i + 1);
            EqTrackBar[size_t(i)] = Named(new TRangeSlider(Qt::Vertical, 0, 100, 50), name.c_str(), hints[i]);
            EqTrackBar[size_t(i)]->setFixedHeight(62);
            // Position 0 (the finest quantisation, the "Max" of the scale beside them) is at the top,
            // and the up keys and the wheel move toward it.
            EqTrackBar[size_t(i)]->setInvertedAppearance(true);
            EqTrackBar[size_t(i)]->setInvertedControls(true);
            row->addWidget(EqTrackBar[size_t(i)]);
        }
        row->addWidget(ComprEqResetBtn, 0, Qt::AlignBottom);
        box->addLayout(row);
    }

    auto* levels = new QWidget;
    {
        // The base and the selection panel share one place, as large as the larger of them needs:
        // the one hidden still counts, so neither is squeezed below its size when the tab changes.
        auto* grid = new QGridLayout(levels);
        grid->setContentsMargins(0, 0, 0, 0);
        for (QWidget* panel : {ComprPanel, SComprPanel}) {
            QSizePolicy policy = panel->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            panel->setSizePolicy(policy);
            grid->addWidget(panel, 0, 0);
        }
    }
    // The latching buttons show their pictures beside their texts; both tie buttons show the one of Tie.
    auto picture = [this](QToolButton* button, const char* name) {
        button->setIcon(QIcon(Images.value(PictureSlot(name))));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    };
    picture(LumChromSyncBtn, "LumChromSyncBtn");
    picture(SLumChromSyncBtn, "LumChromSyncBtn");
    picture(HoldComprRatioBtn, "HoldComprRatioBtn");
    picture(GlobalProfileBtn, "GlobalProfileBtn");
    ComprTabControl = MakeAreaTabs("ComprTabControl", Images);
    ComprToolbar = ParamToolbar("Compression Parameters", "ComprToolbar", ComprTabControl, levels, ComprEqPanel);

    // ---- "Compression Oriented Image Prefiltering Parameters" ----
    for (int k = 1; k <= 5; ++k) {
        const size_t i = size_t(k - 1);
        const std::string n = std::to_string(k);
        FiltBtn[i] = MakeButton(("FiltBtn" + n).c_str(), KFilterNames[i], nullptr, true);
        FiltBtn[i]->setToolTip(QString("Switches %1 on or off").arg(KFilterNames[i]));
        FiltBtn[i]->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        FiltTrackBar[i] = Named(new TRangeSlider(Qt::Horizontal, 0, 100, 50), ("FiltTrackBar" + n).c_str());
        FiltTrackBar[i]->setToolTip(QString("Strength of %1").arg(KFilterNames[i]));
        FiltTrackBar[i]->setMinimumWidth(110);
        FiltUpDown[i] = spin(("FiltUpDown" + n).c_str(), 0, 100, 50);
    }
    FiltRadTrackBar = Named(new TRangeSlider(Qt::Horizontal, 1, 9, 5), "FiltRadTrackBar", "Radius of the prefilter");
    FiltRadTrackBar->setPageStep(1);
    FiltRadUpDown = spin("FiltRadUpDown", 1, 10, 5);
    Prefilt1ResetBtn = MakeButton("Prefilt1ResetBtn", "Reset", "Reset the prefilters", false);
    Prefilt2ResetBtn = MakeButton("Prefilt2ResetBtn", "Reset", "Reset the prefilters", false);

    auto filterPanel = [this](const char* name, std::initializer_list<int> filters, bool radius, QToolButton* reset) {
        auto* panel = Named(new QWidget, name);
        QGridLayout* grid = PanelGrid(panel);
        int row = 0;
        for (int k : filters) {
            const size_t i = size_t(k - 1);
            AddRow(grid, row++, FiltBtn[i], FiltTrackBar[i], FiltUpDown[i]);
        }
        if (radius) {
            auto* label = new QLabel("Radius");
            label->setAlignment(Qt::AlignCenter);
            AddRow(grid, row, label, FiltRadTrackBar, FiltRadUpDown);
        }
        grid->addWidget(reset, radius ? row : row - 1, 3);
        return panel;
    };
    PrefiltPanel1 = filterPanel("PrefiltPanel1", {1, 2, 5}, false, Prefilt1ResetBtn);
    PrefiltPanel2 = filterPanel("PrefiltPanel2", {3, 4}, true, Prefilt2ResetBtn);
    for (QToolButton* button : FiltBtn)
        picture(button, button->objectName().toUtf8().constData());
    PrefiltTabControl = MakeAreaTabs("PrefiltTabControl", Images);
    PrefiltToolbar = ParamToolbar("Compression Oriented Image Prefiltering Parameters", "PrefiltToolbar",
                                  PrefiltTabControl, PrefiltPanel1, PrefiltPanel2);

    // ---- handlers ----
    auto onSlider = [this](QSlider* bar, std::function<void()> handler) {
        connect(bar, &QSlider::valueChanged, this, [handler] { handler(); });
    };
    // The up-downs set their track bars; the track bars' handlers echo back.
    auto pair = [this](QSlider* bar, QSpinBox* spin) {
        connect(spin, &QSpinBox::valueChanged, bar, [bar](int v) { bar->setValue(v); });
    };
    onSlider(LumTrackBar, [this] { LumTrackBarChange(); });
    onSlider(ChromTrackBar, [this] { ChromTrackBarChange(); });
    onSlider(SLumTrackBar, [this] { SLumTrackBarChange(); });
    onSlider(SChromTrackBar, [this] { SChromTrackBarChange(); });
    onSlider(SThresholdTrackBar, [this] { SThresholdTrackBarChange(); });
    onSlider(FiltRadTrackBar, [this] { FiltRadTrackBarChange(); });
    pair(LumTrackBar, LumUpDown);
    pair(ChromTrackBar, ChromUpDown);
    pair(SLumTrackBar, SLumUpDown);
    pair(SChromTrackBar, SChromUpDown);
    pair(SThresholdTrackBar, SThresholdUpDown);
    pair(FiltRadTrackBar, FiltRadUpDown);
    for (int i = 0; i < 5; ++i) {
        onSlider(EqTrackBar[size_t(i)], [this, i] { EqTrackBarChange(i); });
        onSlider(FiltTrackBar[size_t(i)], [this, i] { FiltTrackBarChange(i + 1); });
        pair(FiltTrackBar[size_t(i)], FiltUpDown[size_t(i)]);
        connect(FiltBtn[size_t(i)], &QToolButton::clicked, this, [this, i] { FiltBtnClick(i + 1); });
    }
    connect(LumChromSyncBtn, &QToolButton::clicked, this, [this] { LumChromSyncBtnClick(); });
    connect(SLumChromSyncBtn, &QToolButton::clicked, this, [this] { SLumChromSyncBtnClick(); });
    connect(HoldComprRatioBtn, &QToolButton::clicked, this, [this] { HoldComprRatioBtnClick(); });
    // Only what the user types: the echo of the ratio never comes back here.
    connect(ComprRatioEdit, &QLineEdit::textEdited, this, [this] { ComprRatioEditChange(); });
    connect(GlobalProfileBtn, &QToolButton::clicked, this, [this] { GlobalProfileBtnClick(); });
    connect(ComprOptResetBtn, &QToolButton::clicked, this, [this] { ComprOptResetBtnClick(); });
    connect(SComprOptResetBtn, &QToolButton::clicked, this, [this] { SComprOptResetBtnClick(); });
    connect(ComprEqResetBtn, &QToolButton::clicked, this, [this] { ComprEqResetBtnClick(); });
    connect(Prefilt1ResetBtn, &QToolButton::clicked, this, [this] { PrefiltResetBtnClick(); });
    connect(Prefilt2ResetBtn, &QToolButton::clicked, this, [this] { PrefiltResetBtnClick(); });
    connect(ComprTabControl, &QTabBar::currentChanged, this, [this](int tab) { ComprTabControlChange(tab); });
    connect(PrefiltTabControl, &QTabBar::currentChanged, this, [this](int tab) { ComprTabControlChange(tab); });
}

// ---- filling ----

bool TMainForm::SelectedTabShown() const { return ComprTabControl->currentIndex() == 1; }

void TMainForm::FillPanels(TJPEGImage& image, bool suppress, uint8_t groups)
{
    const bool saved = SuppressPanelEvents;
    SuppressPanelEvents = suppress;
    const bool selected = SelectedTabShown();
    const bool enabled = !selected || image.SelectiveCompression;
    TImageForm* a = ActiveImage();
    if (a && a->Image.get() != &image) a = nullptr;

    if (groups & pgLevels) {
        EnablePanel(SComprPanel, image.SelectiveCompression);
        LumTrackBar->setValue(QualityToLevel(image.LumQuality));
        ChromTrackBar->setValue(QualityToLevel(image.ChromQuality));
        SLumTrackBar->setValue(QualityToLevel(image.SelLumQuality));
        SChromTrackBar->setValue(QualityToLevel(image.SelChromQuality));
        const bool target = image.ComprRatio > 0.0f;
        ComprRatioEdit->setEnabled(target);
        ComprRatioLabel->setEnabled(target);
        if (a) EchoRatio(a);
        SThresholdTrackBar->setValue(image.SelThreshold);
        SetChannelEnabled(true, !image.EqualizerFullControl);
        SetChannelEnabled(false, !image.Grayscale);
        UpdateLevelHighlights();
    }
    if (groups & pgEqualizer) {
        EnablePanel(ComprEqPanel, enabled);
        for (int i = 0; i < 5; ++i)
            EqTrackBar[size_t(i)]->setValue(
                BandToTrack(selected ? image.GetSelEqualizerBand(i) : image.GetEqualizerBand(i)));
    }
    if (groups & (pgLevels | pgEqualizer)) {
        const bool hold = HoldComprRatioBtn->isChecked();
        for (TRangeSlider* bar : EqTrackBar)
            ShowRange(bar, EqualizerHighlight(bar->value(), image.EqualizerFullControl, hold));
    }
    if (groups & pgPrefilters) {
        EnablePanel(PrefiltPanel1, enabled);
        EnablePanel(PrefiltPanel2, enabled);
        const int active = selected ? image.SelActiveFilter : image.ActiveFilter;
        for (int k = 1; k <= 5; ++k) {
            const size_t i = size_t(k - 1);
            const int strength = selected ? image.GetSelFilterValue(k) : image.GetFilterValue(k);
            FiltUpDown[i]->setEnabled(k == active);
            FiltBtn[i]->setChecked(k == active);
            FiltTrackBar[i]->setValue(strength);
            FiltUpDown[i]->setValue(strength);
        }
        const int radius = selected ? image.SelFilterRadius : image.FilterRadius;
        FiltRadTrackBar->setValue(radius);
        FiltRadUpDown->setValue(radius);
        UpdateFilterHighlights(image);
    }
    SuppressPanelEvents = saved;
}

void TMainForm::SetChannelEnabled(bool luma, bool enabled)
{
    TRangeSlider* bars[2] = {luma ? LumTrackBar : ChromTrackBar, luma ? SLumTrackBar : SChromTrackBar};
    TLevelSpin* spins[2] = {luma ? LumUpDown : ChromUpDown, luma ? SLumUpDown : SChromUpDown};
    TRangeSlider* others[2] = {luma ? ChromTrackBar : LumTrackBar, luma ? SChromTrackBar : SLumTrackBar};
    TImageForm* a = ActiveImage();
    for (int s = 0; s < 2; ++s) {
        const bool was = OwnEnabled(bars[s]);
        bars[s]->setEnabled(enabled);
        spins[s]->setEnabled(enabled);
        const bool tied = a && !ShowingWindowSettings && (s == 0 ? a->LumChromSync : a->SLumChromSync);
        if (enabled && !was && tied && OwnEnabled(others[s])) bars[s]->setValue(others[s]->value());
    }
}

void TMainForm::UpdateLevelHighlights()
{
    const bool hold = HoldComprRatioBtn->isChecked();
    auto pairRange = [hold](TRangeSlider* bar, TRangeSlider* other) {
        ShowRange(bar, LevelHighlight(bar->value(), OwnEnabled(bar), hold, OwnEnabled(other), other->value()));
    };
    pairRange(LumTrackBar, ChromTrackBar);
    pairRange(ChromTrackBar, LumTrackBar);
    pairRange(SLumTrackBar, SChromTrackBar);
    pairRange(SChromTrackBar, SLumTrackBar);
}

void TMainForm::UpdateFilterHighlights(TJPEGImage& image)
{
    const int active = SelectedTabShown() ? image.SelActiveFilter : image.ActiveFilter;
    for (int k = 1; k <= 5; ++k)
        ShowRange(FiltTrackBar[size_t(k - 1)], StrengthHighlight(FiltTrackBar[size_t(k - 1)]->value(), k == active));
    ShowRange(FiltRadTrackBar, RadiusHighlight(FiltRadTrackBar->value(), active > 0));
}

void TMainForm::EchoRatio(TImageForm* a)
{
    // While a run is on, the encoded data is the worker's: without a target the text stays until
    // the run's completion reports.
    QString text;
    if (a->Image->ComprRatio != 0.0f)
        text = QString::number(RoundInt(a->Image->ComprRatio));
    else if (!a->Busy)
        text = QString::number(a->Image->RoundedRatio());
    else
        return;
    if (ComprRatioEdit->text() != text) ComprRatioEdit->setText(text);
}

// ---- handlers ----

void TMainForm::MarkIfChanged(TImageForm* a, bool changed)
{
    // An unchanged value adds nothing to what is pending.
    if (changed) a->MarkParamsChanged(true);
}

void TMainForm::LevelChange(bool selection, bool luma)
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    TJPEGImage& image = *a->Image;
    TRangeSlider* bar = selection ? (luma ? SLumTrackBar : SChromTrackBar) : (luma ? LumTrackBar : ChromTrackBar);
    TRangeSlider* other = selection ? (luma ? SChromTrackBar : SLumTrackBar) : (luma ? ChromTrackBar : LumTrackBar);
    TLevelSpin* spin = selection ? (luma ? SLumUpDown : SChromUpDown) : (luma ? LumUpDown : ChromUpDown);
    uint8_t& quality =
        selection ? (luma ? image.SelLumQuality : image.SelChromQuality) : (luma ? image.LumQuality : image.ChromQuality);
    const int value = LevelToQuality(bar->value());
    if (!SuppressPanelEvents) MarkIfChanged(a, value != quality);
    quality = uint8_t(value);
    // The tie follows the user's moves; panels filled from the image show its values as they are.
    const bool tied = !SuppressPanelEvents && (selection ? a->SLumChromSync : a->LumChromSync);
    if (tied && OwnEnabled(other) && other->value() != bar->value()) other->setValue(bar->value());
    spin->setValue(bar->value());
    UpdateLevelHighlights();
}

void TMainForm::LumTrackBarChange() { LevelChange(false, true); }
void TMainForm::ChromTrackBarChange() { LevelChange(false, false); }
void TMainForm::SLumTrackBarChange() { LevelChange(true, true); }
void TMainForm::SChromTrackBarChange() { LevelChange(true, false); }

void TMainForm::SThresholdTrackBarChange()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    const int value = SThresholdTrackBar->value();
    MarkIfChanged(a, value != a->Image->SelThreshold);
    a->Image->SelThreshold = uint8_t(value);
    SThresholdUpDown->setValue(value);
}

void TMainForm::EqTrackBarChange(int band)
{
    TImageForm* a = ActiveImage();
    if (SuppressPanelEvents || !a) return;
    TJPEGImage& image = *a->Image;
    const int value = TrackToBand(EqTrackBar[size_t(band)]->value());
    const bool selected = SelectedTabShown();
    MarkIfChanged(a, value != (selected ? image.GetSelEqualizerBand(band) : image.GetEqualizerBand(band)));
    if (selected)
        image.SetSelEqualizerBand(band, value);
    else
        image.SetEqualizerBand(band, value);
    TRangeSlider* bar = EqTrackBar[size_t(band)];
    ShowRange(bar, EqualizerHighlight(bar->value(), image.EqualizerFullControl, HoldComprRatioBtn->isChecked()));
}

void TMainForm::FiltTrackBarChange(int filter)
{
    TImageForm* a = ActiveImage();
    if (SuppressPanelEvents || !a) return;
    TJPEGImage& image = *a->Image;
    const bool selected = SelectedTabShown();
    const int value = FiltTrackBar[size_t(filter - 1)]->value();
    const int old = selected ? image.GetSelFilterValue(filter) : image.GetFilterValue(filter);
    if (selected)
        image.SetSelFilterValue(filter, value);
    else
        image.SetFilterValue(filter, value);
    // Moving a strength switches its filter on.
    const int active = selected ? image.SelActiveFilter : image.ActiveFilter;
    const auto& strengths = selected ? image.SelFilterValues : image.FilterValues;
    MarkIfChanged(a, active == filter ? value != old : FilterSwitchChanges(active, filter, strengths));
    (selected ? image.SelActiveFilter : image.ActiveFilter) = filter;
    FillPanels(image, true, pgPrefilters);
}

void TMainForm::FiltBtnClick(int filter)
{
    TImageForm* a = ActiveImage();
    if (SuppressPanelEvents || !a) return;
    TJPEGImage& image = *a->Image;
    const bool selected = SelectedTabShown();
    const int chosen = FiltBtn[size_t(filter - 1)]->isChecked() ? filter : 0;
    int32_t& active = selected ? image.SelActiveFilter : image.ActiveFilter;
    MarkIfChanged(a, FilterSwitchChanges(active, chosen, selected ? image.SelFilterValues : image.FilterValues));
    active = chosen;
    FillPanels(image, true, pgPrefilters);
}

void TMainForm::FiltRadTrackBarChange()
{
    TImageForm* a = ActiveImage();
    if (SuppressPanelEvents || !a) return;
    TJPEGImage& image = *a->Image;
    const bool selected = SelectedTabShown();
    const int value = FiltRadTrackBar->value();
    int32_t& radius = selected ? image.SelFilterRadius : image.FilterRadius;
    MarkIfChanged(a, FilterRadiusChanges(selected ? image.SelActiveFilter : image.ActiveFilter, radius, value));
    radius = value;
    FiltRadUpDown->setValue(value);
    UpdateFilterHighlights(image);
}

void TMainForm::HoldComprRatioBtnClick()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    const std::optional<float> target =
        HoldRatioTarget(HoldComprRatioBtn->isChecked(), ComprRatioEdit->text().toStdString());
    if (!target) return; // a ratio still being typed asks for nothing yet
    MarkIfChanged(a, RoundInt(a->Image->ComprRatio) != RoundInt(*target));
    a->Image->SetCompressionRatio(*target);
    FillPanels(*a->Image, true, pgLevels | pgEqualizer);
}

void TMainForm::ComprRatioEditChange()
{
    if (ComprRatioEdit->isEnabled()) HoldComprRatioBtnClick();
}

void TMainForm::LumChromSyncBtnClick() { TieClick(false); }
void TMainForm::SLumChromSyncBtnClick() { TieClick(true); }

void TMainForm::TieClick(bool selection)
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    QToolButton* button = selection ? SLumChromSyncBtn : LumChromSyncBtn;
    TRangeSlider* luma = selection ? SLumTrackBar : LumTrackBar;
    TRangeSlider* chroma = selection ? SChromTrackBar : ChromTrackBar;
    bool& tied = selection ? a->SLumChromSync : a->LumChromSync;
    tied = button->isChecked();
    if (tied && OwnEnabled(luma) && OwnEnabled(chroma)) chroma->setValue(luma->value());
}

void TMainForm::ComprTabControlChange(int tab)
{
    // The two tab bars show the same area.
    for (QTabBar* tabs : {ComprTabControl, PrefiltTabControl})
        if (tabs->currentIndex() != tab) tabs->setCurrentIndex(tab);
    SComprPanel->setVisible(tab == 1);
    ComprPanel->setVisible(tab != 1);
    if (!ImageWindows().empty()) EnablePanels(true);
}

void TMainForm::ResetGroup(int settingsGroup, uint8_t panelGroups)
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    const bool changed = a->Image->ResetSettings(settingsGroup);
    if (changed || a->HasPendingChanges()) a->MarkParamsChanged(true);
    FillPanels(*a->Image, true, panelGroups);
}

void TMainForm::ComprOptResetBtnClick() { ResetGroup(0, pgLevels); }
void TMainForm::SComprOptResetBtnClick() { ResetGroup(1, pgLevels); }
void TMainForm::ComprEqResetBtnClick() { ResetGroup(SelectedTabShown() ? 3 : 2, pgEqualizer); }
void TMainForm::PrefiltResetBtnClick() { ResetGroup(SelectedTabShown() ? 5 : 4, pgPrefilters); }

// ---- zoom slider ----

void TMainForm::SetZoomTrack(int32_t zoom)
{
    FZoomTrackSetting = true;
    ZoomTrackBar->setValue(ZoomToTrack(zoom));
    FZoomTrackSetting = false;
}

void TMainForm::ZoomTrackBarChange()
{
    if (FZoomTrackSetting) return;
    TImageForm* a = ActiveImage();
    if (!a) return;
    a->SetZoom(TrackToZoom(ZoomTrackBar->value()));
    ViewZoomInAction->setEnabled(a->CanZoomIn());
    ViewZoomOutAction->setEnabled(a->CanZoomOut());
    ViewActSizeAction->setEnabled(!a->IsActualSize());
}
