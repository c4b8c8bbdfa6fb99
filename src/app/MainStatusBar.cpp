// The main window's status bar: hints in the first panel, then the active window's source, its
// progress or state, and the activity pictures.
#include <QEvent>
#include <QMdiArea>
#include <QPainter>
#include <QStatusBar>

#include "app/MainForm.h"
#include "app/ParamWidgets.h"
#include "batch/BatchProcess.h"
#include "platform/Round.h"
#include "workspace/ImageForm.h"

namespace {

constexpr int KProgressWidth = 120;
constexpr int KActivityWidth = 60;
constexpr int KBatchKind = 5; // the progress kind of a batch job
const QColor KNavy(0x00, 0x00, 0x80);

const char* OperationName(int kind)
{
    switch (kind) {
    case 0: return "Compressing";
    case 1: return "Decompressing";
    case 2: return "Resampling";
    default: return "Batch Processing";
    }
}

QString ProgressText(int percent, int kind)
{
    return QString("%1..%2%").arg(OperationName(kind)).arg(percent, 3);
}

void SunkenFrame(QPainter& p, const QRect& r)
{
    const QPalette pal;
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

// A small round lamp of the activity panel.
void Lamp(QPainter& p, const QPoint& centre, const QColor& colour)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(colour);
    p.drawEllipse(centre, 6, 6);
}

} // namespace

void TMainForm::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 3; ++i) {
        StatusPanels[size_t(i)] = new TPaintedPanel(
            [this, i](QPainter& p, const QRect& r) { StatusBarDrawPanel(p, i + 1, r); }, bar);
        StatusPanels[size_t(i)]->setObjectName(QString("StatusPanel%1").arg(i + 1));
        bar->addPermanentWidget(StatusPanels[size_t(i)]);
    }
    StatusPanels[1]->setFixedWidth(KProgressWidth);
    StatusPanels[2]->setFixedWidth(KActivityWidth);
    StatusBarResize();
}

void TMainForm::StatusBarResize()
{
    const int available = statusBar()->width() - KActivityWidth - 125;
    // 160 pixels, or what the source text needs in this font, where the bar has room for it.
    const int needed = StatusPanels[0]->fontMetrics().horizontalAdvance(StatusPanelText(1)) + 12;
    const int w = std::max(0, std::min(RoundInt(available * 0.4), std::max(160, needed)));
    StatusPanels[0]->setFixedWidth(w);
}

void TMainForm::RepaintStatusBar()
{
    // A decode runs on the main thread: its progress is painted at once.
    TImageForm* a = ActiveImage();
    const bool now = a && a->Busy && a->ProgressOperation == 1;
    StatusBarResize(); // the source text may need another width
    for (TPaintedPanel* panel : StatusPanels) {
        if (now)
            panel->repaint();
        else
            panel->update();
    }
}

QString TMainForm::StatusPanelText(int panel) const
{
    TImageForm* a = ActiveImage();
    if (panel == 1) return a ? QString::fromStdString(a->GetSourceInfoText()) : QString();
    if (panel != 2) return QString();
    if (a && a->Busy) return ProgressText(a->ProgressPercent, a->ProgressOperation);
    if (LastBatchPercent() >= 0) return ProgressText(LastBatchPercent(), KBatchKind);
    if (!a) return QString();
    return a->HasPendingChanges() ? "Changed" : "Done.";
}

void TMainForm::StatusBarDrawPanel(QPainter& p, int panel, const QRect& rect)
{
    TImageForm* a = ActiveImage();
    p.fillRect(rect, palette().color(QPalette::Window));
    if (panel == 1) {
        p.setPen(palette().color(QPalette::WindowText));
        const QRect inner = rect.adjusted(3, 0, -3, 0);
        p.drawText(inner, Qt::AlignCenter, p.fontMetrics().elidedText(StatusPanelText(1), Qt::ElideRight, inner.width()));
        SunkenFrame(p, rect.adjusted(0, 0, -1, -1));
    } else if (panel == 2) {
        if (a && a->Busy) {
            // A target-ratio search: the whole search in the bar and its text, its current trial in
            // the thin bar above (trials often end between two progress reports).
            const bool search = a->ProgressOperation == 0 && a->ProgressTrialPercent >= 0;
            DrawStatusProgress(p, a->ProgressPercent, search ? a->ProgressTrialPercent : -1, a->ProgressOperation,
                               rect);
        } else if (LastBatchPercent() >= 0) {
            // The job started last; an idle window's state word would fall on the bar's text.
            DrawStatusProgress(p, LastBatchPercent(), -1, KBatchKind, rect);
        } else if (a) {
            p.setPen(a->HasPendingChanges() ? KNavy : palette().color(QPalette::WindowText));
            p.drawText(rect, Qt::AlignCenter, StatusPanelText(2));
            SunkenFrame(p, rect.adjusted(0, 0, -1, -1));
        } else {
            SunkenFrame(p, rect.adjusted(0, 0, -1, -1));
        }
    } else if (panel == 3) {
        // Ready (green, grey); working in view (grey, orange): the active window, or the last job
        // with its progress window shown; a job working out of view (green, blue).
        const QColor grey(0xA0, 0xA0, 0xA0), green(0x20, 0xC0, 0x20), orange(0xF0, 0x90, 0x10), blue(0x30, 0x60, 0xE0);
        const bool busy = (a && a->Busy) || LastBatchWindowVisible();
        const bool background = !busy && !BatchJobList.empty();
        const int y = rect.center().y();
        Lamp(p, QPoint(rect.left() + 4 + 7, y), busy ? grey : green);
        Lamp(p, QPoint(rect.left() + 4 + 23, y), busy ? orange : background ? blue : grey);
    }
}

void TMainForm::DrawStatusProgress(QPainter& p, int percent, int extra, int kind, const QRect& rect)
{
    QRect main = rect.adjusted(0, 0, -1, -1);
    if (extra >= 0) {
        const int lower = RoundInt(0.65 * rect.height());
        QRect upper(rect.left(), rect.top(), rect.width(), rect.height() - lower - 1);
        p.fillRect(QRect(upper.left(), upper.top(), RoundInt(rect.width() * extra * 0.01), upper.height()), KNavy);
        main.setTop(rect.bottom() - lower + 1);
    }
    const QRect filled(main.left(), main.top(), RoundInt(rect.width() * percent / 100.0), main.height());
    p.fillRect(filled, KNavy);
    const QString text = ProgressText(percent, kind);
    p.save();
    // The text fits the bar it stands in: its height (the lower part only, with a second bar above)
    // and its width ("Batch Processing..100%" is wider than the panel in most fonts).
    const int room = main.width() - 8;
    if (p.fontMetrics().height() > main.height() || p.fontMetrics().horizontalAdvance(text) > room) {
        QFont small = p.font();
        int px = std::min(QFontInfo(small).pixelSize(), main.height() - 1);
        do {
            small.setPixelSize(std::max(6, px--));
        } while (px >= 6 && QFontMetrics(small).horizontalAdvance(text) > room);
        p.setFont(small);
    }
    p.setClipRect(filled);
    p.setPen(Qt::white);
    p.drawText(main, Qt::AlignCenter, text);
    p.setClipRegion(QRegion(main).subtracted(filled));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(main, Qt::AlignCenter, text);
    p.restore();
    SunkenFrame(p, rect.adjusted(0, 0, -1, -1));
}
