#pragma once
// The picture's resolution in dots per inch, horizontal and vertical, and whether a compression
// profile applies these values.
#include <QDialog>
#include <functional>

class QCheckBox;
class QSpinBox;

class TResolutionForm : public QDialog
{
    Q_OBJECT
  public:
    TResolutionForm(QWidget* owner, std::function<void(int)> onHelp);
    int HorzDPI = 96;
    int VertDPI = 96;
    bool DefaultForProfile = false;
    QSpinBox* HorzUpDown = nullptr;
    QSpinBox* VertUpDown = nullptr;
    QCheckBox* EqualCheckBox = nullptr;
    QCheckBox* ProfileCheckBox = nullptr;
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void EditChange(QSpinBox* edited);
    bool FSyncing = false;
};
