// A small form with painted menus and angled labels, for looking at them by hand and for
// scripts/screenshots.sh. Not a test: it runs until closed.
//
// The form sits at 60,60 (400 x 300, no window manager needed). Started with "flat", the painter's
// popups get the flat frame and shadow and the "Edit" menu opens by itself; started with "labels",
// the form shows angled labels of every style and a disabled one.
#include <QActionGroup>
#include <QApplication>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QPixmap>
#include <QPainter>
#include <QTimer>

#include "controls/AngleLabel.h"
#include "controls/MenuPainter.h"
#include "controls/PaintedMenu.h"

namespace {

QIcon Swatch(QColor colour)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setBrush(colour);
    p.setPen(colour.darker(160));
    p.drawEllipse(1, 1, 13, 13);
    return QIcon(pm);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QMainWindow form;
    form.setWindowTitle("Menu host");
    form.setGeometry(60, 60, 400, 300);

    auto* painter = new TMenuPainter(&form);
    QFont font = QApplication::font();
    font.setPixelSize(11);
    painter->SetFont(font);
    painter->SetFlatMenu(mode == "flat");
    painter->SetActive(true);

    auto* bar = new TPaintedMenuBar(&form);
    form.setMenuBar(bar);
    QMenu* file = bar->addMenu("&File");
    file->addAction(Swatch(Qt::darkYellow), "&Open...")->setShortcut(QKeySequence("Ctrl+O"));
    file->addAction(Swatch(Qt::blue), "&Save")->setShortcut(QKeySequence("Ctrl+S"));
    file->addAction("Save &As...")->setEnabled(false);
    file->addSeparator();
    QMenu* recent = file->addMenu("&Recent");
    recent->addAction("photo.jpg");
    file->addAction("E&xit");
    QMenu* edit = bar->addMenu("&Edit");
    QAction* grid = edit->addAction("Show &Grid");
    grid->setCheckable(true);
    grid->setChecked(true);
    auto* group = new QActionGroup(&form);
    for (const char* t : {"&Rectangle", "&Ellipse"}) {
        QAction* a = edit->addAction(t);
        a->setCheckable(true);
        group->addAction(a);
    }
    group->actions().first()->setChecked(true);
    QAction* zoom = edit->addAction(Swatch(Qt::darkGreen), "&Zoom");
    zoom->setCheckable(true);
    zoom->setChecked(true);
    bar->addMenu("&Help")->addAction("&About");

    auto* centre = new QWidget;
    auto* row = new QHBoxLayout(centre);
    if (mode == "labels") {
        struct TLabelCase { const char* text; int angle; TStyleLabel style; bool enabled; } cases[] = {
            {"Max", 90, TStyleLabel::slNormal, true}, {"Large", 90, TStyleLabel::slLowered, true},
            {"Raised", 45, TStyleLabel::slRaised, true}, {"A&B 180", 180, TStyleLabel::slNormal, true},
            {"Disabled", 270, TStyleLabel::slRaised, false}};
        for (const TLabelCase& s : cases) {
            auto* l = new TAngleLabel(s.text);
            l->SetAngle(s.angle);
            l->SetStyle(s.style);
            // The program's "Large" keeps its white shadow; the others show theirs in grey here.
            l->SetShadowColor(QString(s.text) == "Large" ? QColor(Qt::white) : QColor(150, 150, 150));
            QFont f = l->font();
            f.setPixelSize(16);
            l->setFont(f);
            l->setEnabled(s.enabled);
            l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            l->setFixedSize(70, 90);
            row->addWidget(l);
        }
    }
    form.setCentralWidget(centre);
    form.show();
    if (mode == "flat") {
        QTimer::singleShot(500, &form, [bar, edit] {
            edit->popup(bar->mapToGlobal(bar->actionGeometry(edit->menuAction()).bottomLeft()));
        });
    }
    return app.exec();
}
