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
    case TMsgKind::mkYesNoCancel:
        icon = QMessageBox::Question;
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    QString body = QString::fromUtf8(text.c_str()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(icon, QString::fromUtf8(caption.c_str()), body, buttons, static_cast<QWidget*>(owner));
    box.setWindowModality(Qt::ApplicationModal);
    const bool withCancel = kind == TMsgKind::mkYesNoCancel;
    if (kind == TMsgKind::mkYesNo || withCancel) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
    }
    int r = box.exec();
    if (kind != TMsgKind::mkYesNo && !withCancel) return mrOk;
    if (r == QMessageBox::Yes) return mrYes;
    return withCancel && r != QMessageBox::No ? mrCancel : mrNo;
}

TCheckAnswer TQtMessageBox::ShowCheck(TWindowHandle owner, const TCheckMessage& message)
{
    TInfoCBoxForm form(static_cast<QWidget*>(owner), message);
    form.exec();
    return form.Answer();
}
