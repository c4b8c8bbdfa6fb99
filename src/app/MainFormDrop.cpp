// Files dropped on the main window: the drop target, and the panels' edit fields passing file
// drags on to it (plain text still drops into the edit).
#include <QDropEvent>
#include <QLineEdit>
#include <QPointer>

#include "app/FileQueue.h"
#include "app/MainForm.h"
#include "controls/DropTarget.h"

namespace {

// Gives an edit's file drags to the window's drop target as if they happened over the window
// itself; the edit keeps the rest. (A floating toolbar is a window of its own, so Qt would not
// carry its edits' drags to the main window either.)
class TFileDragForwarder : public QObject
{
public:
    TFileDragForwarder(QWidget* window, TDropTarget* target) : QObject(target), FWindow(window), FTarget(target) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* edit = qobject_cast<QWidget*>(watched);
        if (!edit) return false;
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            if (!e->mimeData() || !e->mimeData()->hasUrls()) return false; // text is the edit's
            const QPointF at = FWindow->mapFromGlobal(edit->mapToGlobal(e->position()));
            if (event->type() == QEvent::Drop) {
                QDropEvent copy(at, e->possibleActions(), e->mimeData(), e->buttons(), e->modifiers());
                Forward(e, copy);
                FForwarding = false;
            } else if (event->type() == QEvent::DragEnter) {
                QDragEnterEvent copy(at.toPoint(), e->possibleActions(), e->mimeData(), e->buttons(),
                                     e->modifiers());
                Forward(e, copy);
                FForwarding = true;
            } else {
                QDragMoveEvent copy(at.toPoint(), e->possibleActions(), e->mimeData(), e->buttons(),
                                    e->modifiers());
                Forward(e, copy);
            }
            return true;
        }
        case QEvent::DragLeave:
            if (FForwarding) {
                FForwarding = false;
                QDragLeaveEvent leave;
                Deliver(&leave);
            }
            return false;
        default:
            return false;
        }
    }

private:
    void Forward(QDropEvent* original, QDropEvent& copy)
    {
        copy.ignore();
        Deliver(&copy);
        original->setDropAction(copy.dropAction());
        original->setAccepted(copy.isAccepted());
    }

    // Straight to the drop target: sent to the window, Qt would hand a drag over the edit back to
    // the edit. A target not registered (before the first idle pass) takes nothing.
    void Deliver(QEvent* event)
    {
        if (FTarget && FTarget->Target() == FWindow)
            static_cast<QObject*>(FTarget.data())->eventFilter(FWindow, event);
    }

    QWidget* FWindow;
    QPointer<TDropTarget> FTarget;
    bool FForwarding = false;
};

} // namespace

void TMainForm::CreateDropTarget()
{
    DropTarget = new TDropFileTarget(this);
    DropTarget->Dragtypes = Qt::CopyAction;
    DropTarget->OnDrop = [this](TDropTarget* sender, Qt::KeyboardModifiers shiftState, QPoint point,
                                uint32_t& effect) { DropFileTargetDrop(sender, shiftState, point, effect); };
    // Image windows take no drops, so Qt hands their drags to this window; the edits take text.
    auto* forwarder = new TFileDragForwarder(this, DropTarget);
    for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->installEventFilter(forwarder);
}

void TMainForm::DropFileTargetDrop(TDropTarget*, Qt::KeyboardModifiers, QPoint, uint32_t&)
{
    const std::vector<std::string> names = DropTarget->Files().Lines();
    QueueFiles(names, FileQueue, Owner());
}
