#pragma once
// Integrity marks (restart markers): on or off, and their interval in compression blocks.
#include <QDialog>
#include <functional>

class QCheckBox;
class QSpinBox;

class TIntMarksForm : public QDialog
{
    Q_OBJECT
  public:
    TIntMarksForm(QWidget* owner, std::function<void(int)> onHelp);
    // The check box on for an interval of 1 or more (the interval then shown); off otherwise.
    void SetInterval(int interval);
    // The interval when the box is checked, else 0.
    int Interval() const;
    QCheckBox* InsertCheckBox = nullptr;
    QSpinBox* IntervalUpDown = nullptr;
};
