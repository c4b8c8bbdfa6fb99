// A small form that shows the docks and tool windows at work, for looking at them by hand and for
// scripts/screenshots.sh. Not a test: it runs until closed.
//
// Layout (the form at 60,60, 900 × 560, no window manager needed): the top dock holds "Standard"
// and "Format" in row 0 and "Wide" in row 1, the left dock "Tools", the bottom dock "Status" with
// its close button by the handle; "Palette" floats.
//
// With --toolbars the form holds toolbars of buttons instead (see ToolbarHostForm.h).
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <cstring>

#include "controls/FlatEdit.h"
#include "SampleToolWindow.h"
#include "HostDocks.h"
#include "ToolbarHostForm.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--toolbars") == 0) return RunToolbarHost(app);
    QWidget form;
    form.setObjectName("DockHost");
    form.setWindowTitle("Dock host");
    const THostDocks docks = MakeHostDocks(form);
    TDock* top = docks.Top;
    TDock* bottom = docks.Bottom;
    TDock* left = docks.Left;
    TDock* right = docks.Right;

    auto* centre = new QWidget(&form);
    centre->setAutoFillBackground(true);
    QPalette pal = centre->palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    centre->setPalette(pal);
    auto* centreLayout = new QVBoxLayout(centre);
    auto* hint = new QLabel("Drag a tool window by its handle; double-click floats and docks back.", centre);
    hint->setStyleSheet("color: white");
    centreLayout->addWidget(hint);
    auto* edit = new TFlatEdit(centre);
    edit->setText("A flat edit");
    edit->setMaximumWidth(200);
    centreLayout->addWidget(edit);
    centreLayout->addStretch(1);

    LayOutHostForm(form, docks, centre);

    auto add = [&](const char* name, int boxes, TDock* dock, int row, int pos) {
        auto* w = new TSampleToolWindow(&form, name, boxes);
        w->SetDockRow(row);
        w->SetDockPos(pos);
        if (dock) w->SetDockedTo(dock);
        return w;
    };
    add("Standard", 8, top, 0, 0);
    add("Format", 5, top, 0, 260);
    add("Wide", 12, top, 1, 40);
    add("Tools", 6, left, 0, 0);
    TSampleToolWindow* status = add("Status", 10, bottom, 0, 0);
    status->SetCloseButtonWhenDocked(true);
    TSampleToolWindow* palette = add("Palette", 4, nullptr, 0, 0);
    palette->SetCaption("Palette of colours");
    palette->SetDefaultDock(right);
    palette->SetFloatingPosition(QPoint(640, 300));

    form.setGeometry(60, 60, 900, 560);
    form.show();
    palette->SetDockedTo(nullptr);
    palette->SetWindowBounds(QRect(640, 300, 150, 90));
    return app.exec();
}
