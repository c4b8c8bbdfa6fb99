#pragma once
// A small host for image windows: a main window with an MDI area that opens the given files and
// compresses the active window when its changes are due (polled every 100 ms), until the program's
// main window takes its place.
#include <string>
#include <vector>

#include <QMainWindow>

class QMdiArea;
class QTimer;
class TImageForm;

class TTestHostWindow : public QMainWindow
{
    Q_OBJECT
public:
    TTestHostWindow();
    TImageForm* OpenFile(const std::string& fileName);
    QMdiArea* MdiArea() const { return FMdiArea; }

private:
    void TimerTick();

    QMdiArea* FMdiArea;
    QTimer* FTimer;
};
