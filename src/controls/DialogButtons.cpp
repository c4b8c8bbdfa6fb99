#include "controls/DialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

QDialogButtonBox* MakeDialogButtons(QDialog* dialog, int helpTopic, const std::function<void(int)>& onHelp,
                                    const QString& okText, const QString& cancelText)
{
    auto* box = new QDialogButtonBox(dialog);
    box->setObjectName("Buttons");
    box->addButton(okText, QDialogButtonBox::AcceptRole)->setObjectName("OKBtn");
    box->addButton(cancelText, QDialogButtonBox::RejectRole)->setObjectName("CancelBtn");
    QPushButton* help = box->addButton("&Help", QDialogButtonBox::HelpRole);
    help->setObjectName("HelpBtn");
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(box, &QDialogButtonBox::helpRequested, dialog, [onHelp, helpTopic] {
        if (onHelp) onHelp(helpTopic);
    });
    return box;
}
