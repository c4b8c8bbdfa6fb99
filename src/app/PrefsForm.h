#pragma once
// The "Preferences" dialog: default compression settings of new windows, the mail method, what
// the main window keeps, the automatic-compression delay, the worker priority and the limits of
// the ratio search. It edits a copy of the preferences; the caller takes Prefs back after OK.
#include <QDialog>
#include <QStringList>
#include <functional>

#include "app/Prefs.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

class TPrefsForm : public QDialog
{
    Q_OBJECT
public:
    // profileNames: the names of the profile menu, offered after the list's first item.
    TPrefsForm(QWidget* owner, const TProgramPrefs& prefs, const QStringList& profileNames);

    TProgramPrefs Prefs;

    void PrefsToForm();
    void FormToPrefs();
    void DefParamsBtnClick();

    QTabWidget* PageControl;
    QRadioButton* DefaultParamsBtn;
    QRadioButton* LastProfileBtn;
    QRadioButton* NamedProfileBtn;
    QComboBox* ProfileCombo;
    QComboBox* EmailCombo;
    QCheckBox* SaveSizeCheck;
    QCheckBox* SavePosCheck;
    QCheckBox* SaveToolbarsCheck;
    QSpinBox* DelayUpDown;
    QComboBox* PriorityCombo;
    QSpinBox* MaxDiffUpDown;
    QSpinBox* MaxApprUpDown;
    QPushButton* HelpBtn;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    // Opens a help topic (the preferences topic is 135); nothing when not set.
    std::function<void(int topic)> OnHelp;

protected:
    void showEvent(QShowEvent* event) override;

public slots:
    void accept() override;
};

// The preferences dialog on the given preferences; true (and prefs updated) after OK.
bool EditPreferences(QWidget* owner, TProgramPrefs& prefs, const QStringList& profileNames,
                     std::function<void(int topic)> onHelp = {});
