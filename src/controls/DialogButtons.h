#pragma once
// The button row of the small dialogs: "&Help" (opening the dialog's help topic), "&OK" and
// "&Cancel".
#include <QString>
#include <functional>

class QDialog;
class QDialogButtonBox;

QDialogButtonBox* MakeDialogButtons(QDialog* dialog, int helpTopic, const std::function<void(int)>& onHelp,
                                    const QString& okText = "&OK", const QString& cancelText = "&Cancel");
