#include "controls/ToolbarPositions.h"

#include <algorithm>
#include <memory>

#include "common/SettingsAccess.h"
#include "controls/ScreenPlace.h"
#include "controls/ToolWindow.h"
#include "platform/Exceptions.h"
#include "platform/SettingsStore.h"

namespace {

constexpr int KCurrentRev = 3;
const char* const KFloatingMark = "+";

struct TSavedPlace
{
    int Rev = 0;
    bool Visible = true;
    std::string DockedTo, LastDock;
    int DockRow = 0, DockPos = 0, FloatLeft = 0, FloatTop = 0;
};

// The numbers of a place, in the order they are written, with the range each is kept to.
struct TIntValue
{
    const char* Name;
    int TSavedPlace::*Field;
    int Min, Max;
};
const TIntValue KIntValues[] = {
    {"DockRow", &TSavedPlace::DockRow, 0, KMaxDockRow},
    {"DockPos", &TSavedPlace::DockPos, -KMaxDockPos, KMaxDockPos},
    {"FloatLeft", &TSavedPlace::FloatLeft, -KMaxDockPos, KMaxDockPos},
    {"FloatTop", &TSavedPlace::FloatTop, -KMaxDockPos, KMaxDockPos},
};

template <class T> QList<T*> InCreationOrder(QWidget* form)
{
    QList<T*> list = form->findChildren<T*>();
    std::stable_sort(list.begin(), list.end(), [](T* a, T* b) { return a->CreationSerial() < b->CreationSerial(); });
    return list;
}

std::string NameOf(const TCustomToolWindow* w)
{
    const std::string name = w->objectName().toStdString();
    if (name.empty()) throw Exception("Cannot save tool window's position because Name property is not set");
    return name;
}

// A dock a stored name may send the window to: it exists, allows dragging, and the window may go there.
TDock* UsableDock(QWidget* form, TCustomToolWindow* w, const std::string& name)
{
    TDock* d = FindDockByName(form, QString::fromStdString(name));
    return d && d->AllowDrag() && (w->DockableTo() & DockableBit(d->Position())) ? d : nullptr;
}

void ApplyPlace(QWidget* form, TCustomToolWindow* w, TSettingsStore* g, const TSavedPlace& place)
{
    TDock* dock = nullptr;
    if (place.DockedTo == KFloatingMark) {
        if (w->DockMode() != TToolWindowDockMode::dmCanFloat) return;
    } else if (!(dock = UsableDock(form, w, place.DockedTo))) {
        return;
    }
    w->SetDockRow(place.DockRow);
    w->SetDockPos(place.DockPos);
    w->ReadPositionData(g);
    w->SetFloatingPosition(QPoint(place.FloatLeft, place.FloatTop));
    if (dock) {
        w->SetParent(dock);
    } else {
        w->SetParent(form);
        w->SetWindowBounds(QRect(QPoint(place.FloatLeft, place.FloatTop), w->WindowSize()));
        if (!GripOnScreens(w->WindowBounds(), AvailableScreens())) w->MoveOnScreen(false);
        if (place.Rev >= 3 && w->UseLastDock())
            if (TDock* last = UsableDock(form, w, place.LastDock)) w->SetLastDock(last);
    }
    w->ArrangeControls();
    w->PositionDataLoaded();
}

void LoadOne(QWidget* form, TCustomToolWindow* w, TSettingsStore* group)
{
    const std::unique_ptr<TSettingsStore> g = group->OpenGroup(NameOf(w));
    TSavedPlace place;
    place.Rev = ReadIntSetting(g.get(), nullptr, "Rev", 0);
    if (place.Rev != 2 && place.Rev != 3) return;
    w->SetVisible(ReadBoolSetting(g.get(), nullptr, "Visible", w->Visible()));
    ReadStrSetting(g.get(), nullptr, "DockedTo", place.DockedTo, "");
    if (place.DockedTo.empty()) return;
    ReadStrSetting(g.get(), nullptr, "LastDock", place.LastDock, "");
    place.DockRow = w->DockRow();
    place.DockPos = w->DockPos();
    for (const TIntValue& v : KIntValues)
        place.*v.Field = std::clamp(ReadIntSetting(g.get(), nullptr, v.Name, place.*v.Field), v.Min, v.Max);
    ApplyPlace(form, w, g.get(), place);
}

} // namespace

void LoadToolbarPositions(QWidget* form, TSettingsStore* group)
{
    const QList<TDock*> docks = InCreationOrder<TDock>(form);
    for (TDock* d : docks) d->BeginUpdate();
    auto endUpdates = [&] {
        for (auto it = docks.rbegin(); it != docks.rend(); ++it) (*it)->EndUpdate();
    };
    try {
        for (TCustomToolWindow* w : InCreationOrder<TCustomToolWindow>(form)) LoadOne(form, w, group);
    } catch (...) {
        endUpdates();
        throw;
    }
    endUpdates();
}

void SaveToolbarPositions(QWidget* form, TSettingsStore* group)
{
    for (TCustomToolWindow* w : InCreationOrder<TCustomToolWindow>(form)) {
        const std::string name = NameOf(w);
        TDock* dock = w->DockedTo();
        if (dock && dock->AllowDrag() && dock->objectName().isEmpty())
            throw Exception("Cannot save tool window's position because DockedTo's Name property not set");
        const std::unique_ptr<TSettingsStore> g = group->OpenGroup(name);
        TSavedPlace place;
        place.Visible = w->Visible();
        place.DockedTo = dock ? (dock->AllowDrag() ? dock->objectName().toStdString() : "") : (w->Floating() ? KFloatingMark : "");
        place.LastDock = w->LastDock() ? w->LastDock()->objectName().toStdString() : "";
        place.DockRow = w->DockRow();
        place.DockPos = w->DockPos();
        place.FloatLeft = w->FloatingPosition().x();
        place.FloatTop = w->FloatingPosition().y();
        WriteIntSetting(g.get(), nullptr, "Rev", KCurrentRev);
        WriteBoolSetting(g.get(), nullptr, "Visible", place.Visible);
        WriteStrSetting(g.get(), nullptr, "DockedTo", place.DockedTo);
        WriteStrSetting(g.get(), nullptr, "LastDock", place.LastDock);
        for (const TIntValue& v : KIntValues) WriteIntSetting(g.get(), nullptr, v.Name, place.*v.Field);
        w->WritePositionData(g.get());
    }
}
