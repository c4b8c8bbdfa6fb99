#pragma once
// The four docks round a central widget that both host forms use: the top dock with all four bound
// lines, names as the main window gives them.
#include <QGridLayout>
#include <QWidget>

#include "controls/Dock.h"

struct THostDocks
{
    TDock* Top;
    TDock* Bottom;
    TDock* Left;
    TDock* Right;
};

inline THostDocks MakeHostDocks(QWidget& form)
{
    THostDocks d;
    d.Top = new TDock(&form, TDockPosition::dpTop);
    d.Bottom = new TDock(&form, TDockPosition::dpBottom);
    d.Left = new TDock(&form, TDockPosition::dpLeft);
    d.Right = new TDock(&form, TDockPosition::dpRight);
    d.Top->setObjectName("TopDockBar");
    d.Bottom->setObjectName("BottomDockBar");
    d.Left->setObjectName("LeftDockBar");
    d.Right->setObjectName("RightDockBar");
    d.Top->SetBoundLines(blTop | blBottom | blLeft | blRight);
    return d;
}

// Puts the docks and the centre into a grid on the form; the centre takes the room left.
inline void LayOutHostForm(QWidget& form, const THostDocks& d, QWidget* centre)
{
    auto* grid = new QGridLayout(&form);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(d.Top, 0, 0, 1, 3);
    grid->addWidget(d.Left, 1, 0);
    grid->addWidget(centre, 1, 1);
    grid->addWidget(d.Right, 1, 2);
    grid->addWidget(d.Bottom, 2, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
}
