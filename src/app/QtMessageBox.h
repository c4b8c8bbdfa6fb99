#pragma once
// The program's message boxes on Qt: application-modal boxes with the given caption; warnings
// and errors show the exclamation icon, questions the question icon; check boxes use TInfoCBoxForm.
// The owner handle of the interface is the owner's QWidget (or nullptr).
#include <QPointer>
#include <vector>

#include "platform/MessageBox.h"

class QMessageBox;

class TQtMessageBox : public IMessageBox
{
public:
    int Show(TWindowHandle owner, TMsgKind kind, const std::string& caption, const std::string& text) override;
    TCheckAnswer ShowCheck(TWindowHandle owner, const TCheckMessage& message) override;
    void CloseQuestions(TWindowHandle owner) override;

private:
    struct TOpenQuestion
    {
        TWindowHandle Owner;
        QPointer<QMessageBox> Box;
    };
    std::vector<TOpenQuestion> FQuestions; // the questions open now, the innermost last
};
