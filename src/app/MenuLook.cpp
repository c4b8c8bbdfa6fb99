#include "app/MenuLook.h"

#include <QApplication>
#include <QBoxLayout>
#include <QLayout>
#include <algorithm>

#include "app/MainForm.h"
#include "app/ParamWidgets.h"
#include "controls/AngleLabel.h"
#include "controls/MenuPainter.h"

namespace {

const char* const KPainterName = "MenuPainter";

// The row of the equalizer panel that holds the band sliders.
QBoxLayout* SliderRow(QWidget* panel, QWidget* firstSlider)
{
    QLayout* top = panel ? panel->layout() : nullptr;
    if (!top) return nullptr;
    for (int i = 0; i < top->count(); ++i)
        if (auto* row = qobject_cast<QBoxLayout*>(top->itemAt(i)->layout()); row && row->indexOf(firstSlider) >= 0)
            return row;
    return nullptr;
}

TAngleLabel* Caption(const char* text, TStyleLabel style, const QColor& shadow, Qt::Alignment alignment, int height)
{
    auto* label = new TAngleLabel(QString::fromLatin1(text));
    label->SetAngle(90);
    label->SetStyle(style);
    label->SetShadowColor(shadow);
    label->SetTransparent(true);
    QFont f = label->font();
    f.setPixelSize(10);
    label->setFont(f);
    label->setAlignment(alignment);
    label->setFixedSize(QFontMetrics(f).height() + 1, height);
    return label;
}

// "Max" over "Min" beside the sliders: their scale, on both sides.
QBoxLayout* ScaleColumn(int height)
{
    const QColor highlightText = QApplication::palette().color(QPalette::HighlightedText);
    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(Caption("Max", TStyleLabel::slNormal, highlightText, Qt::AlignLeft | Qt::AlignTop, height / 2));
    column->addWidget(Caption("Min", TStyleLabel::slNormal, highlightText, Qt::AlignLeft | Qt::AlignBottom,
                              height - height / 2));
    return column;
}

// The six captions of the equalizer: "Large" before the first band and "Small" after the last (the
// size of the details each end works on), and the "Max"/"Min" scale on both sides of the sliders.
void AddEqualizerCaptions(TMainForm& form)
{
    QWidget* first = form.EqTrackBar[0];
    QWidget* last = form.EqTrackBar[4];
    QBoxLayout* row = SliderRow(form.ComprEqPanel, first);
    if (!row || !last) return;
    const int height = std::min(first->maximumHeight(), 62);
    const int lastAt = row->indexOf(last);
    row->insertWidget(lastAt + 1, Caption("Small", TStyleLabel::slLowered, Qt::white, Qt::AlignLeft | Qt::AlignVCenter, height));
    row->insertLayout(lastAt + 1, ScaleColumn(height));
    const int firstAt = row->indexOf(first);
    row->insertLayout(firstAt, ScaleColumn(height));
    row->insertWidget(firstAt, Caption("Large", TStyleLabel::slLowered, Qt::white, Qt::AlignLeft | Qt::AlignVCenter, height));
}

} // namespace

void SetUpMenuLook(TMainForm& form)
{
    auto* painter = new TMenuPainter(&form);
    painter->setObjectName(KPainterName);
    const QPalette pal = form.palette();
    const QColor face = pal.color(QPalette::Active, QPalette::Button);
    const QColor highlight = pal.color(QPalette::Active, QPalette::Highlight);
    const QColor menuText = pal.color(QPalette::Active, QPalette::WindowText);
    painter->SetDimLevel(30);
    painter->SetGrayLevel(10);
    QFont font = QApplication::font(); // the default sans font stands for the menus' own
    font.setPixelSize(11);
    painter->SetFont(font);
    painter->SetFontColor(menuText);
    painter->SetColor(face);
    painter->SetIconBackColor(face);
    painter->SetMenuBarColor(face);
    painter->SetSeparatorColor(face);
    painter->SetSelectColor(highlight);
    painter->SetSelectBorderColor(highlight);
    painter->SetCheckedColor(highlight);
    painter->SetSelectFontColor(menuText);
    painter->SetDisabledColor(pal.color(QPalette::Disabled, QPalette::WindowText));
    painter->SetIconWidth(24);
    painter->SetDrawSelect(true);
    painter->SetUseSystemColors(true);
    painter->SetDrawMenuBar(false);
    painter->SetUseDimColor(false);
    painter->SetOverrideOwnerDraw(false);
    painter->SetGradient(false);
    painter->SetFlatMenu(false);
    painter->SetAutoDetect(false);
    painter->SetPaintContainers(1u << TMenuPainter::pccForm);
    painter->SetPaintControls((1u << TMenuPainter::pcMainMenu) | (1u << TMenuPainter::pcPopupMenu));
    painter->SetActive(true);

    AddEqualizerCaptions(form);
}

TMenuPainter* MenuPainterOf(const TMainForm& form)
{
    return form.findChild<TMenuPainter*>(KPainterName, Qt::FindDirectChildrenOnly);
}
