#include "app/CommentsForm.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "controls/DialogButtons.h"
#include "codec/CommentLimit.h"
#include "common/CommLib.h"
#include "common/HelpTopics.h"

TCommentsForm::TCommentsForm(QWidget* owner, std::function<void(int)> onHelp) : QDialog(owner)
{
    setObjectName("CommentsForm");
    setWindowTitle("JPEG Image Text Information");
    auto* text =
        new QLabel("You can view and edit text, embedded in your JPEG file. Feel free to include your "
                   "signature, comment or copyright notice. This text is normally invisible in a JPEG "
                   "image.",
                   this);
    text->setWordWrap(true);
    Memo = new QPlainTextEdit(this);
    Memo->setObjectName("Memo");
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(Memo, 1);
    layout->addWidget(MakeDialogButtons(this, htComments, onHelp, "OK", "Cancel"));
    resize(460, 320);
}

void TCommentsForm::SetText(const std::string& text)
{
    QString s = QString::fromStdString(text);
    s.replace("\r\n", "\n");
    if (s.endsWith('\n')) s.chop(1);
    Memo->setPlainText(s);
}

std::string TCommentsForm::Text() const
{
    QString s = Memo->toPlainText();
    s.replace("\n", "\r\n");
    return s.toStdString();
}

void TCommentsForm::accept()
{
    size_t length = 0;
    if (size_t line = FirstOverlongCommentLine(Text(), &length)) {
        ShowWarning(static_cast<QWidget*>(this),
                    "Line " + std::to_string(line) + " of the text is " + std::to_string(length) +
                        " bytes long. A JPEG file can hold at most " + std::to_string(MaxCommentLineBytes) +
                        " bytes in one comment line; please shorten it or break it into several lines.");
        return;
    }
    QDialog::accept();
}
