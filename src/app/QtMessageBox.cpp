#include "app/QtMessageBox.h"

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
    }
    QString body = QString::fromUtf8(text.c_str()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(icon, QString::fromUtf8(caption.c_str()), body, buttons, static_cast<QWidget*>(owner));
    box.setWindowModality(Qt::ApplicationModal);
    if (kind == TMsgKind::mkYesNo) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    int r = box.exec();
    if (kind != TMsgKind::mkYesNo) return mrOk;
    return r == QMessageBox::Yes ? mrYes : mrNo;
}

TCheckAnswer TQtMessageBox::ShowCheck(TWindowHandle owner, const TCheckMessage& message)
{
    TInfoCBoxForm form(static_cast<QWidget*>(owner), message);
    form.exec();
    return form.Answer();
}
