#pragma once
// The message box with a "Don't show this message again" check box. It shows one of the layouts
// of TCheckMessage (OK; OK and Cancel; Yes, No and Cancel; Yes and No) and reports the button
// chosen and the check box. Closing it without a button (Esc or the title bar) answers No in a box
// with a No button, Cancel in one with a Cancel button, OK otherwise, and never reports the check
// box as ticked, so nothing is remembered from a box the user dismissed.
#include <QDialog>

#include "platform/MessageBox.h"

class QCheckBox;
class QLabel;
class QPushButton;

class TInfoCBoxForm : public QDialog
{
    Q_OBJECT
public:
    TInfoCBoxForm(QWidget* owner, const TCheckMessage& message);

    // The answer after the box has closed.
    TCheckAnswer Answer() const;
    // True when the box was closed without a button.
    bool Dismissed() const { return FDismissed; }

    QLabel* TextLabel;
    QWidget* IconBox;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QCheckBox* ShowMesCheckBox;
    int IconIndex = 0;

    // Standard icon of a picture number of the box's image list.
    static QIcon IconOf(int iconIndex);

public slots:
    void reject() override;

private:
    void Arrange(int buttons);
    void SetButton(QPushButton* button, const QString& caption, int modalResult);

    int FDismissResult = mrOk;
    bool FDismissed = false;
};
