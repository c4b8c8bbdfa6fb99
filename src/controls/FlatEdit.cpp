#include "controls/FlatEdit.h"

#include <QApplication>
#include <QPainter>

#include "controls/DockPainter.h"

namespace {

constexpr int KBorder = 3;
int GEditCount = 0;

// Edits of these classes keep their border lit while focused, so another one under the mouse stays
// dark then. The list holds the flat edit class while any flat edit exists.
QList<const QMetaObject*> GEditClasses;

bool IsRegisteredEdit(const QWidget* w)
{
    if (!w) return false;
    for (const QMetaObject* m : GEditClasses)
        if (w->metaObject()->inherits(m)) return true;
    return false;
}

} // namespace

TFlatEdit::TFlatEdit(QWidget* parent) : QLineEdit(parent)
{
    if (GEditCount++ == 0) GEditClasses.push_back(&TFlatEdit::staticMetaObject);
    setFrame(false);
    setContentsMargins(KBorder, KBorder, KBorder, KBorder);
    setAttribute(Qt::WA_Hover);
    ApplyColours();
    FitHeight();
    // A hovered edit's look depends on where the focus is, also when it moves between other controls.
    connect(qApp, &QApplication::focusChanged, this, [this] { update(); });
}

TFlatEdit::~TFlatEdit()
{
    if (--GEditCount == 0) GEditClasses.removeAll(&TFlatEdit::staticMetaObject);
}

int TFlatEdit::EditCount() { return GEditCount; }

bool TFlatEdit::IsHot() const
{
    if (hasFocus()) return true;
    return FMouseInControl && !IsRegisteredEdit(QApplication::focusWidget());
}

void TFlatEdit::FitHeight() { setFixedHeight(fontMetrics().height() + 2 * KBorder); }

void TFlatEdit::ApplyColours()
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, QApplication::palette().color(isEnabled() ? QPalette::Base : QPalette::Button));
    setPalette(pal);
}

void TFlatEdit::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    QPainter p(this);
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button), window = pal.color(QPalette::Base);
    QRect r = rect();
    auto frame = [&](const QColor& c) {
        p.setPen(c);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    };
    if (IsHot()) {
        r = DrawEdgePart(p, r, TEdgePart::SunkenOuter, pal);
        const QRect middle = r;
        frame(face);
        DrawEdgePart(p, middle, TEdgePart::SunkenInner, pal, esRight | esBottom);
        frame(window);
    } else {
        frame(face);
        frame(face);
        frame(window);
    }
}

void TFlatEdit::enterEvent(QEnterEvent* event)
{
    QLineEdit::enterEvent(event);
    FMouseInControl = true;
    update();
}

void TFlatEdit::leaveEvent(QEvent* event)
{
    QLineEdit::leaveEvent(event);
    FMouseInControl = false;
    update();
}

void TFlatEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    update();
}

void TFlatEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    update();
}

void TFlatEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        ApplyColours();
        update();
    } else if (event->type() == QEvent::FontChange) {
        FitHeight();
    }
}
