#include "app/QtMessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QWidget>

#include "app/InfoCBox.h"

int TQtMessageBox::Show(TWindowHandle owner, TMsgKind kind, const std::string& caption, const std::string& text)
{
    QMessageBox::Icon icon = QMessageBox::Warning;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (kind) {
    case TMsgKind::mkWarning:
    case TMsgKind::mkError: icon = QMessageBox::Warning; break;
    case TMsgKind::mkInformation: icon = QMessageBox::Information; break;
    case TMsgKind::mkYesNo:
        icon = QMessageBox::Question;
        buttons = QMessageBox::Yes | QMessageBox::No;
        break;
    case TMsgKind::mkYesNoCancel:
        icon = QMessageBox::Question;
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    QString body = QString::fromUtf8(text.c_str()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(icon, QString::fromUtf8(caption.c_str()), body, buttons, static_cast<QWidget*>(owner));
    box.setWindowModality(Qt::ApplicationModal);
    const bool withCancel = kind == TMsgKind::mkYesNoCancel;
    const bool question = kind == TMsgKind::mkYesNo || withCancel;
    if (question) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
        FQuestions.push_back({owner, &box});
    }
    int r = box.exec();
    if (!question) return mrOk;
    std::erase_if(FQuestions, [&box](const TOpenQuestion& q) { return q.Box == &box || !q.Box; });
    if (r == QMessageBox::Yes) return mrYes;
    return withCancel && r != QMessageBox::No ? mrCancel : mrNo;
}

TCheckAnswer TQtMessageBox::ShowCheck(TWindowHandle owner, const TCheckMessage& message)
{
    TInfoCBoxForm form(static_cast<QWidget*>(owner), message);
    form.exec();
    return form.Answer();
}

void TQtMessageBox::CloseQuestions(TWindowHandle owner)
{
    // Copied first: a click runs the box's handlers, which may open or close other boxes. The
    // answer reaches the box's caller once control is back in the box's event loop.
    const std::vector<TOpenQuestion> open = FQuestions;
    for (const TOpenQuestion& q : open)
        if (q.Owner == owner && q.Box && q.Box->isVisible()) {
            if (QAbstractButton* escape = q.Box->escapeButton())
                escape->click();
            else
                q.Box->reject();
        }
}
