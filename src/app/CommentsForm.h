#pragma once
// The text comments of a JPEG picture, viewed and edited; each line becomes one comment of the file.
#include <QDialog>
#include <functional>

class QPlainTextEdit;

class TCommentsForm : public QDialog
{
    Q_OBJECT
  public:
    TCommentsForm(QWidget* owner, std::function<void(int)> onHelp);
    // Lines separated by CR LF, as the image keeps them.
    void SetText(const std::string& text);
    std::string Text() const;
    QPlainTextEdit* Memo = nullptr;
    // OK refuses a line that cannot be one comment of the file (with a message; the dialog stays open).
    void accept() override;
};
