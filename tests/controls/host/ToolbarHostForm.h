#pragma once
// The toolbars at work, for scripts/screenshots.sh: a form at 60,60 (900 × 560) with four docks.
// Top: "File" (New, Open with a drop-down combo, Save | Print) and "Zoom" (In, Out | a latched Fit).
// Left: "Tools", a group of four latched buttons (Select down) | a disabled one. Right: "Options",
// two lone latching buttons (Grid down). Bottom: "Panels" with captioned buttons. Floating at
// 640,320: "Colours", ten buttons wrapped into lines by its wrap width, a separator turned into a
// line.
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>

#include "controls/Toolbar.h"
#include "controls/ToolbarButton.h"
#include "HostDocks.h"

// A 16 × 16 picture on magenta (the transparent colour): shape 0 square, 1 disc, 2 triangle,
// 3 cross, 4 bars.
inline QImage HostGlyph(int shape, QColor colour)
{
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 255));
    QPainter p(&img);
    p.setPen(Qt::black);
    p.setBrush(colour);
    switch (shape % 5) {
    case 0: p.drawRect(2, 2, 11, 11); break;
    case 1: p.drawEllipse(2, 2, 11, 11); break;
    case 2: {
        const QPoint tri[] = {{8, 2}, {14, 13}, {2, 13}};
        p.drawPolygon(tri, 3);
        break;
    }
    case 3:
        p.fillRect(6, 2, 4, 12, colour);
        p.fillRect(2, 6, 12, 4, colour);
        break;
    default:
        for (int i = 0; i < 3; ++i) p.fillRect(2 + 4 * i, 12 - 3 * i, 3, 2 + 3 * i, colour);
        break;
    }
    return img;
}

inline int RunToolbarHost(QApplication& app)
{
    QWidget form;
    form.setObjectName("ToolbarHost");
    form.setWindowTitle("Toolbar host");
    const THostDocks docks = MakeHostDocks(form);
    TDock* top = docks.Top;
    TDock* bottom = docks.Bottom;
    TDock* left = docks.Left;
    TDock* right = docks.Right;
    auto* centre = new QLabel("Toolbars: drag by a handle or a separator; resize the floating one.", &form);
    centre->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    centre->setMargin(8);
    centre->setAutoFillBackground(true);
    QPalette pal = centre->palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    pal.setColor(QPalette::WindowText, Qt::white);
    centre->setPalette(pal);
    LayOutHostForm(form, docks, centre);

    auto* menu = new QMenu(&form);
    menu->addAction("Recent picture 1");
    menu->addAction("Recent picture 2");
    menu->addAction("Recent picture 3");

    int shape = 0;
    const QColor colours[] = {QColor(40, 90, 200), QColor(200, 60, 40), QColor(40, 150, 60), QColor(220, 180, 30),
                              QColor(120, 60, 160)};
    auto bar = [&](const char* name, const char* pattern, TDock* dock, int row, int pos) {
        auto* t = new TToolbar(&form);
        t->setObjectName(name);
        t->SetCaption(name);
        for (const char* c = pattern; *c; ++c) {
            if (*c == '|') {
                new TToolbarSep(t);
                continue;
            }
            auto* b = new TToolbarButton(t);
            b->setObjectName(QString("%1%2").arg(name).arg(int(c - pattern)));
            b->SetGlyph(HostGlyph(shape, colours[shape % 5]));
            ++shape;
        }
        t->SetDockRow(row);
        t->SetDockPos(pos);
        if (dock) t->SetDockedTo(dock);
        return t;
    };
    auto button = [](TToolbar* t, int i) { return static_cast<TToolbarButton*>(t->OrderList().at(i)); };

    TToolbar* file = bar("File", "BBB|B", top, 0, 0);
    button(file, 1)->SetDropdownMenu(menu);
    button(file, 1)->SetDropdownCombo(true);
    TToolbar* zoom = bar("Zoom", "BB|B", top, 0, 160);
    button(zoom, 3)->SetGroupIndex(20);
    button(zoom, 3)->SetAllowAllUp(true);
    button(zoom, 3)->SetDown(true);
    TToolbar* tools = bar("Tools", "BBBB|B", left, 0, 0);
    for (int i = 0; i < 4; ++i) button(tools, i)->SetGroupIndex(1);
    button(tools, 0)->SetDown(true);
    button(tools, 5)->setEnabled(false);
    TToolbar* options = bar("Options", "BB", right, 0, 0);
    for (int i = 0; i < 2; ++i) {
        button(options, i)->SetGroupIndex(10 + i);
        button(options, i)->SetAllowAllUp(true);
    }
    button(options, 0)->SetDown(true);
    TToolbar* panels = bar("Panels", "BB|B", bottom, 0, 0);
    const char* captions[] = {"&Quality", "&Sampling", nullptr, "&Prefilter"};
    for (int i : {0, 1, 3}) {
        TToolbarButton* b = button(panels, i);
        b->SetCaption(captions[i]);
        b->resize(90, 22);
    }
    TToolbar* floating = bar("Colours", "BBBBB|BBBBB", nullptr, 0, 0);
    floating->SetDefaultDock(right);
    floating->SetFloatRightX(130);

    form.setGeometry(60, 60, 900, 560);
    form.show();
    floating->SetDockedTo(nullptr);
    floating->MoveFloating(QPoint(640, 320));
    return app.exec();
}
