#pragma once
// A tool window with a row of fixed-size boxes for the tests and the host window: the boxes run
// along the dock (or in one line when floating), each Box × Box pixels.
#include <QLabel>
#include <vector>

#include "controls/ToolWindow.h"

class TSampleToolWindow : public TCustomToolWindow
{
public:
    static constexpr int Box = 22;

    TSampleToolWindow(QWidget* form, const QString& name, int boxes) : TCustomToolWindow(form)
    {
        setObjectName(name);
        SetCaption(name);
        for (int i = 0; i < boxes; ++i) {
            auto* box = new QLabel(QString::number(i + 1), this);
            box->setAlignment(Qt::AlignCenter);
            box->setFrameStyle(QFrame::Panel | QFrame::Raised);
            box->setFixedSize(Box, Box);
            box->setAttribute(Qt::WA_TransparentForMouseEvents);
            FBoxes.push_back(box);
        }
    }

    void GetBarSize(int& size, TDockOrientation) override { size = Box; }
    void GetMinimumSize(int& width, int& height) override { width = Box, height = Box; }
    void OrderControls(bool canMove, TDockOrientation, QSize& newClientSize, TDock* dockingTo) override
    {
        const bool vertical = dockingTo && dockingTo->Orientation() == TDockOrientation::doVertical;
        const int n = int(FBoxes.size());
        newClientSize = vertical ? QSize(Box, n * Box) : QSize(n * Box, Box);
        if (!canMove) return;
        const QPoint origin = ClientOrigin();
        for (int i = 0; i < n; ++i)
            FBoxes[size_t(i)]->move(origin + (vertical ? QPoint(0, i * Box) : QPoint(i * Box, 0)));
    }

private:
    std::vector<QLabel*> FBoxes;
};
