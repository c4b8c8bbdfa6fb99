// Files dropped on the main window: the drop target, and the panels' edit fields passing file
// drags on to it (plain text still drops into the edit).
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>

#include "app/FileQueue.h"
#include "app/MainForm.h"
#include "controls/DropTarget.h"

namespace {

// Sends an edit's file drags to the window as if they happened over the window itself. A floating
// toolbar is a window of its own, so Qt would not carry its edits' drags to the main window.
class TFileDragForwarder : public QObject
{
public:
    TFileDragForwarder(QWidget* window, QObject* parent) : QObject(parent), FWindow(window) {}

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
                QApplication::sendEvent(FWindow, &leave);
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
        QApplication::sendEvent(FWindow, &copy);
        original->setDropAction(copy.dropAction());
        original->setAccepted(copy.isAccepted());
    }

    QWidget* FWindow;
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
    auto* forwarder = new TFileDragForwarder(this, this);
    for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->installEventFilter(forwarder);
}

void TMainForm::DropFileTargetDrop(TDropTarget*, Qt::KeyboardModifiers, QPoint, uint32_t&)
{
    const std::vector<std::string> names = DropTarget->Files().Lines();
    QueueFiles(names, FileQueue, Owner());
}
