#include "controls/DropTarget.h"

#include <cstdlib>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFontInfo>
#include <QScrollBar>
#include <QUrl>

namespace {

const uint32_t AllEffects = DropEffectCopy | DropEffectMove | DropEffectLink;

uint32_t ChooseEffect(uint32_t allowed, Qt::KeyboardModifiers shiftState)
{
    const bool shift = shiftState.testFlag(Qt::ShiftModifier);
    const bool ctrl = shiftState.testFlag(Qt::ControlModifier);
    if (shift && ctrl && (allowed & DropEffectLink)) return DropEffectLink;
    if (shift && !ctrl && (allowed & DropEffectMove)) return DropEffectMove;
    for (uint32_t effect : {DropEffectCopy, DropEffectMove, DropEffectLink})
        if (allowed & effect) return effect;
    return DropEffectNone;
}

bool InScrollBand(int pos, int extent, int margin) { return pos < margin || pos > extent - margin; }

// The Qt action that stands for an effect (the first of copy, move, link it holds).
Qt::DropAction ActionOf(uint32_t effect)
{
    for (uint32_t one : {DropEffectCopy, DropEffectMove, DropEffectLink})
        if (effect & one) return Qt::DropAction(one);
    return Qt::IgnoreAction;
}

// Hands the effect back to Qt: none refuses the drag (or the drop).
void Answer(QDropEvent* event, uint32_t effect)
{
    const Qt::DropAction action = ActionOf(effect);
    if (action == Qt::IgnoreAction) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
    } else {
        event->setDropAction(action);
        event->accept();
    }
}

// The first line of a file manager's cut/copy mark: "copy" or "cut".
uint32_t EffectOfCopiedFilesMark(const QMimeData* data)
{
    static const char* const MarkFormat = "x-special/gnome-copied-files";
    if (!data || !data->hasFormat(MarkFormat)) return DropEffectNone;
    const QByteArray mark = data->data(MarkFormat);
    const QByteArray first = mark.left(mark.indexOf('\n')).trimmed();
    if (first == "copy") return DropEffectCopy;
    if (first == "cut") return DropEffectMove;
    return DropEffectNone;
}

} // namespace

// ---- TDropTarget ----

TDropTarget::TDropTarget(QObject* owner) : QObject(owner)
{
    FScrollTimer.setInterval(100);
    connect(&FScrollTimer, &QTimer::timeout, this, [this] { ScrollStep(); });
}

TDropTarget::~TDropTarget()
{
    FScrollTimer.stop();
    // An owner that is also the target is being destroyed itself: nothing to give back to it.
    for (QObject* up = parent(); up && FTarget; up = up->parent())
        if (up == FTarget) FTarget = nullptr;
    Unregister();
}

void TDropTarget::Register(QWidget* target)
{
    if (target == FTarget) return;
    if (FTarget) Unregister();
    FTarget = target;
    if (!target) return;
    FTargetAcceptedDrops = target->acceptDrops();
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

void TDropTarget::Unregister()
{
    EndDrag(); // a drag over the widget ends here, without events
    if (FTarget) {
        FTarget->removeEventFilter(this);
        FTarget->setAcceptDrops(FTargetAcceptedDrops);
    }
    FTarget = nullptr;
}

uint32_t TDropTarget::GetValidDropEffect(const TDropEffectQuery& q)
{
    uint32_t effect = ChooseEffect(q.Requested & uint32_t(q.Dragtypes.toInt()) & AllEffects, q.ShiftState);
    const bool horz = q.ScrollBars.testFlag(TScrollBar::sbHorizontal) &&
                      InScrollBand(q.Point.x(), q.ClientSize.width(), q.ScrollMargin);
    const bool vert = q.ScrollBars.testFlag(TScrollBar::sbVertical) &&
                      InScrollBand(q.Point.y(), q.ClientSize.height(), q.ScrollMargin);
    if (horz || vert) effect |= DropEffectScroll;
    return effect;
}

uint32_t TDropTarget::GetValidDropEffect(Qt::KeyboardModifiers shiftState, QPoint point, uint32_t effect)
{
    if (OnGetDropEffect) {
        uint32_t allowed = effect & uint32_t(Dragtypes.toInt()) & AllEffects;
        OnGetDropEffect(this, shiftState, point, allowed);
        return allowed;
    }
    TDropEffectQuery q;
    q.Requested = effect;
    q.Dragtypes = Dragtypes;
    q.ShiftState = shiftState;
    q.Point = point;
    q.ClientSize = ClientWidget() ? ClientWidget()->size() : QSize();
    q.ScrollMargin = FScrollMargin;
    q.ScrollBars = FScrollBars;
    return GetValidDropEffect(q);
}

uint32_t TDropTarget::PasteFromClipboard()
{
    return EffectOfCopiedFilesMark(QApplication::clipboard()->mimeData());
}

void TDropTarget::DoEnter(Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect)
{
    if (OnEnter) OnEnter(this, shiftState, point, effect);
}

void TDropTarget::DoDragOver(Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect)
{
    if (OnDragOver) OnDragOver(this, shiftState, point, effect);
}

void TDropTarget::DoDrop(Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect)
{
    if (OnDrop) OnDrop(this, shiftState, point, effect);
}

void TDropTarget::DoLeave()
{
    if (OnLeave) OnLeave(this);
}

void TDropTarget::DragEnter(const QMimeData* data, Qt::KeyboardModifiers shiftState, QPoint point,
                            uint32_t& effect)
{
    ClearData();
    FDataObject = const_cast<QMimeData*>(data);
    FLastPoint = point;
    if (!data || !HasValidFormats()) {
        FDataObject = nullptr;
        effect = DropEffectNone;
        return;
    }
    FScrollBars = {};
    FScrollMargin = FTarget ? std::abs(QFontInfo(FTarget->font()).pixelSize()) : 0;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(FTarget.data())) {
        if (area->horizontalScrollBar()->isVisibleTo(area)) FScrollBars |= TScrollBar::sbHorizontal;
        if (area->verticalScrollBar()->isVisibleTo(area)) FScrollBars |= TScrollBar::sbVertical;
    }
    if (GetDataOnEnter) GetData();
    effect = GetValidDropEffect(shiftState, point, effect);
    DoEnter(shiftState, point, effect);
}

void TDropTarget::DragOver(Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect)
{
    if (!FDataObject) {
        effect = DropEffectNone;
        FScrollTimer.stop();
        FLastPoint = point;
        return;
    }
    effect = GetValidDropEffect(shiftState, point, effect);
    DoDragOver(shiftState, point, effect);
    if (FScrollBars && (effect & DropEffectScroll)) {
        if (!FScrollTimer.isActive()) FScrollTimer.start();
    } else {
        FScrollTimer.stop();
    }
    FLastPoint = point;
}

void TDropTarget::DragLeave()
{
    ClearData();
    EndDrag();
    DoLeave();
}

void TDropTarget::Drop(Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect)
{
    if (!FDataObject) {
        effect = DropEffectNone;
        return;
    }
    FScrollTimer.stop();
    effect = GetValidDropEffect(shiftState, point, effect);
    // A drop the effect refuses never reaches the handler (the drag showed "no drop" here).
    if ((effect & AllEffects) == DropEffectNone || (!GetDataOnEnter && !GetData()))
        effect = DropEffectNone;
    else
        DoDrop(shiftState, point, effect);
    ClearData();
    FDataObject = nullptr;
}

void TDropTarget::EndDrag()
{
    FLeavePending = false;
    FScrollTimer.stop();
    FDataObject = nullptr;
}

QWidget* TDropTarget::ClientWidget() const
{
    if (auto* area = qobject_cast<QAbstractScrollArea*>(FTarget.data())) return area->viewport();
    return FTarget;
}

QPoint TDropTarget::ClientPoint(const QDropEvent* event) const
{
    const QPoint p = event->position().toPoint();
    QWidget* client = ClientWidget();
    return client && client != FTarget ? client->mapFrom(FTarget.data(), p) : p;
}

void TDropTarget::ScrollStep()
{
    auto* area = qobject_cast<QAbstractScrollArea*>(FTarget.data());
    if (!area) {
        FScrollTimer.stop();
        return;
    }
    const QSize client = area->viewport()->size();
    auto step = [](QScrollBar* bar, int pos, int extent, int margin) {
        if (pos < margin)
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        else if (pos > extent - margin)
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    };
    if (FScrollBars.testFlag(TScrollBar::sbVertical))
        step(area->verticalScrollBar(), FLastPoint.y(), client.height(), FScrollMargin);
    if (FScrollBars.testFlag(TScrollBar::sbHorizontal))
        step(area->horizontalScrollBar(), FLastPoint.x(), client.width(), FScrollMargin);
}

bool TDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FTarget) return QObject::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    // Qt leaves and enters again when the cursor passes from one child of the target to another.
    // The leave waits for the events at hand: an enter of the same drag that follows at once
    // continues the drag as a move.
    if (type == QEvent::DragLeave) {
        FLeavePending = true;
        QTimer::singleShot(0, this, [this] {
            if (!FLeavePending) return;
            FLeavePending = false;
            DragLeave();
        });
        return true;
    }
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* e = static_cast<QDropEvent*>(event); // the base of the enter and move events too
    uint32_t effect = uint32_t(e->possibleActions().toInt()) & AllEffects;
    const QPoint point = ClientPoint(e);
    const bool sameDrag = FLeavePending && FDataObject && e->mimeData() == FDataObject;
    if (FLeavePending && !sameDrag) DragLeave();
    FLeavePending = false;
    if (type == QEvent::DragEnter && !sameDrag)
        DragEnter(e->mimeData(), e->modifiers(), point, effect);
    else if (type != QEvent::Drop)
        DragOver(e->modifiers(), point, effect);
    else
        Drop(e->modifiers(), point, effect);
    Answer(e, effect);
    return true;
}

// ---- TDropFileTarget ----

TDropFileTarget::TDropFileTarget(QObject* owner) : TDropTarget(owner) {}

void TDropFileTarget::ReadFileNames(const QMimeData& data, TStringList& names)
{
    for (const QUrl& url : data.urls()) {
        const QString name = url.isLocalFile() ? url.toLocalFile() : url.toString();
        if (!name.isEmpty()) names.Add(name.toStdString());
    }
}

bool TDropFileTarget::HasValidFormats()
{
    return DataObject() && !DataObject()->urls().isEmpty();
}

void TDropFileTarget::ClearData()
{
    FFiles.Clear();
    FMappedNames.Clear();
}

bool TDropFileTarget::GetData()
{
    ClearData();
    if (!DataObject()) return false;
    ReadFileNames(*DataObject(), FFiles);
    return FFiles.Count() > 0;
}

uint32_t TDropFileTarget::PasteFromClipboard()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasUrls()) return DropEffectNone;
    FFiles.Clear();
    ReadFileNames(*data, FFiles);
    if (FFiles.Count() == 0) return DropEffectNone;
    const uint32_t effect = TDropTarget::PasteFromClipboard();
    return effect != DropEffectNone ? effect : DropEffectCopy;
}
