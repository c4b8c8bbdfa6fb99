#pragma once
// A form with the four docks round a central area, for the dock and tool window tests.
#include <QGridLayout>
#include <QWidget>

#include "controls/DockHooks.h"
#include "support/GuiTestApp.h"
#include "SampleToolWindow.h"

struct TDockTestForm
{
    bool AppReady = EnsureGuiTestApp() != nullptr; // before the form: a test may run alone
    QWidget Form;
    TDock* Top;
    TDock* Bottom;
    TDock* Left;
    TDock* Right;
    QWidget* Centre;

    TDockTestForm()
    {
        SetApplicationIsActiveFn([] { return true; });
        Form.setObjectName("Form");
        auto* grid = new QGridLayout(&Form);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setSpacing(0);
        Top = new TDock(&Form, TDockPosition::dpTop);
        Bottom = new TDock(&Form, TDockPosition::dpBottom);
        Left = new TDock(&Form, TDockPosition::dpLeft);
        Right = new TDock(&Form, TDockPosition::dpRight);
        Top->setObjectName("TopDock");
        Bottom->setObjectName("BottomDock");
        Left->setObjectName("LeftDock");
        Right->setObjectName("RightDock");
        Centre = new QWidget(&Form);
        Centre->setMinimumSize(100, 100);
        grid->addWidget(Top, 0, 0, 1, 3);
        grid->addWidget(Left, 1, 0);
        grid->addWidget(Centre, 1, 1);
        grid->addWidget(Right, 1, 2);
        grid->addWidget(Bottom, 2, 0, 1, 3);
        grid->setRowStretch(1, 1);
        grid->setColumnStretch(1, 1);
        Form.setGeometry(40, 40, 600, 420);
    }
    ~TDockTestForm() { SetApplicationIsActiveFn(nullptr); }

    TSampleToolWindow* Add(const QString& name, int boxes, TDock* dock, int row = 0, int pos = 0)
    {
        auto* w = new TSampleToolWindow(&Form, name, boxes);
        w->SetDockRow(row);
        w->SetDockPos(pos);
        if (dock) w->SetDockedTo(dock);
        return w;
    }
    void Show()
    {
        Form.show();
        PumpUntil([&] { return Form.isVisible(); }, 2000);
        QCoreApplication::processEvents();
    }
};
