#pragma once
// TDropTarget makes one widget a drop target: it takes the widget's drag events through an event
// filter, works out the drop effect from the effects the source allows, the effects the target
// accepts (Dragtypes) and the Shift and Ctrl keys, scrolls a scroll area one step every 100 ms while
// a drag hovers within ScrollMargin of its edges, and raises OnEnter, OnDragOver, OnDrop and OnLeave.
// TDropFileTarget reads the dragged file list ("text/uri-list") into Files.
//
// Effects are bit sets: copy 1, move 2, link 4 (the values of Qt::DropAction) and DropEffectScroll,
// the bit that says the cursor is in the scrolling band. Points are in the target's client
// coordinates (a scroll area's viewport).
#include <cstdint>
#include <functional>
#include <string>

#include <QFlags>
#include <QMimeData>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QTimer>
#include <QWidget>

#include "platform/StringList.h"

class QDropEvent;

constexpr uint32_t DropEffectNone = 0;
constexpr uint32_t DropEffectCopy = Qt::CopyAction; // 1
constexpr uint32_t DropEffectMove = Qt::MoveAction; // 2
constexpr uint32_t DropEffectLink = Qt::LinkAction; // 4
constexpr uint32_t DropEffectScroll = 0x80000000u;

enum class TScrollBar { sbHorizontal = 1, sbVertical = 2 };
Q_DECLARE_FLAGS(TScrollBars, TScrollBar)
Q_DECLARE_OPERATORS_FOR_FLAGS(TScrollBars)

// Everything the drop effect depends on.
struct TDropEffectQuery
{
    uint32_t Requested = 0;            // the effects the source allows
    Qt::DropActions Dragtypes;         // the effects the target accepts
    Qt::KeyboardModifiers ShiftState;
    QPoint Point;                      // client coordinates
    QSize ClientSize;
    int ScrollMargin = 0;
    TScrollBars ScrollBars;
};

class TDropTarget : public QObject
{
    Q_OBJECT
public:
    // effect is passed by reference: a handler may change it.
    using TDropTargetEvent =
        std::function<void(TDropTarget* sender, Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect)>;
    using TNotifyEvent = std::function<void(TDropTarget* sender)>;

    explicit TDropTarget(QObject* owner = nullptr);
    ~TDropTarget() override;

    // Attaches to target (nullptr detaches). The widget it is already attached to: nothing happens.
    void Register(QWidget* target);
    // Detaches from the target; the widget's own drop acceptance comes back.
    void Unregister();
    QWidget* Target() const { return FTarget; }

    // The allowed set narrowed to one effect by the modifier keys, plus DropEffectScroll when the
    // point lies in the scrolling band of a target that has scroll bars.
    static uint32_t GetValidDropEffect(const TDropEffectQuery& query);
    // The same for the drag in progress; OnGetDropEffect, when set, decides instead (with the
    // allowed set as its effect, and no scroll bit added).
    virtual uint32_t GetValidDropEffect(Qt::KeyboardModifiers shiftState, QPoint point, uint32_t effect);

    // The clipboard's effect for pasting files: copy 1 or cut (move) 2 as a file manager marks it
    // in "x-special/gnome-copied-files"; 0 when it says nothing.
    virtual uint32_t PasteFromClipboard();

    bool ShowImage() const { return FShowImage; }
    // Only stored: the drag source draws the drag image here.
    void SetShowImage(bool value) { FShowImage = value; }

    QPoint LastPoint() const { return FLastPoint; }
    int ScrollMargin() const { return FScrollMargin; }
    TScrollBars ScrollBars() const { return FScrollBars; }
    bool Scrolling() const { return FScrollTimer.isActive(); }
    // The data of the drag in progress; nullptr outside a drag.
    const QMimeData* DataObject() const { return FDataObject; }

    Qt::DropActions Dragtypes = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    bool GetDataOnEnter = false;
    TDropTargetEvent OnEnter;
    TDropTargetEvent OnDragOver;
    TDropTargetEvent OnDrop;
    TDropTargetEvent OnGetDropEffect;
    TNotifyEvent OnLeave;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    virtual void DoEnter(Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect);
    virtual void DoDragOver(Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect);
    virtual void DoDrop(Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect);
    virtual void DoLeave();
    // Fetches the data from DataObject(); true when usable data was found.
    virtual bool GetData() = 0;
    virtual void ClearData() = 0;
    // DataObject() offers a format this target reads.
    virtual bool HasValidFormats() = 0;

    void DragEnter(const QMimeData* data, Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect);
    void DragOver(Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect);
    void DragLeave();
    void Drop(Qt::KeyboardModifiers shiftState, QPoint point, uint32_t& effect);

private:
    QWidget* ClientWidget() const;
    QPoint ClientPoint(const QDropEvent* event) const;
    void ScrollStep();
    void EndDrag();

    QPointer<QWidget> FTarget;
    bool FTargetAcceptedDrops = false; // the widget's own setting, given back on Unregister
    QPointer<QMimeData> FDataObject;
    bool FLeavePending = false; // a leave that an enter of the same drag may still take back
    bool FShowImage = true;
    QPoint FLastPoint;
    int FScrollMargin = 0;
    TScrollBars FScrollBars;
    QTimer FScrollTimer;
};

class TDropFileTarget : public TDropTarget
{
    Q_OBJECT
public:
    explicit TDropFileTarget(QObject* owner = nullptr);

    // The dropped names: local files as paths (UTF-8), other addresses as their text.
    const TStringList& Files() const { return FFiles; }
    // Stays empty: no source here maps names.
    const TStringList& MappedNames() const { return FMappedNames; }

    // Reads the clipboard's file list into Files; answers the clipboard's effect, copy when it
    // names none, or 0 (Files untouched) when the clipboard holds no name.
    uint32_t PasteFromClipboard() override;

    // The names of a uri-list, as Files holds them.
    static void ReadFileNames(const QMimeData& data, TStringList& names);

protected:
    bool GetData() override;
    void ClearData() override;
    bool HasValidFormats() override;

private:
    TStringList FFiles;
    TStringList FMappedNames;
};
