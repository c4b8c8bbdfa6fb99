#pragma once
// The "Batch Options" dialog: edits a job's TBatchProcOptions before it starts (profile, destination
// folder, how output names are formed, how the job runs), shows the output name the rules give for
// "filename.jpg", and checks the choices when OK is pressed. A failed check shows its box and keeps
// the dialog open; the caller reads Options after the dialog was accepted.
//
// The dialogs it opens (folder browser, profile open dialog) and the help are reached through
// replaceable functions, so the main window can give its own and tests can answer without a window.
#include <QDialog>
#include <QStringList>
#include <functional>
#include <string>

#include "common/BatchProcOptions.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TSettingsStore;

class TBatchOptionsForm : public QDialog
{
    Q_OBJECT
public:
    // profileNames: the profile list (names of the profiles folder, without folder and ".qmp").
    // profilesFolder: where those names live. firstFile: the job's first file (its folder is where the
    // folder browser starts when no folder is given, and the overwrite question looks at its name).
    // settings: where the overwrite question keeps a ticked answer (may be nullptr).
    TBatchOptionsForm(QWidget* owner, const QStringList& profileNames, const std::string& profilesFolder,
                      const std::string& firstFile, TSettingsStore* settings);

    // Record to controls, controls to record.
    void SetBatchOptions(const TBatchProcOptions& options);
    void GetBatchOptions(TBatchProcOptions& options) const;

    // What OK accepted.
    TBatchProcOptions Options;

    // Asks for a folder starting at start; false when cancelled (default: TFolderDialog).
    std::function<bool(const std::string& start, std::string& folder)> ChooseFolder;
    // Asks for a profile file starting in folder; empty when cancelled (default: an open dialog for
    // "*.qmp" files). The main window gives its own profile open dialog.
    std::function<std::string(const std::string& folder)> ChooseProfile;
    // Opens a help topic (the batch options topic is 140); nothing when not set.
    std::function<void(int topic)> OnHelp;

    // The example's output name for "filename.jpg" with the options as the controls stand.
    QString ExampleResText() const;

    // The button actions (public so the main window's tests and scripts can drive them).
    void ProfileBtnClick();
    void FolderBtnClick();
    void OtherRadioClick();
    // Runs the checks; accepts the dialog when they pass.
    void OKBtnClick();

    QComboBox* ProfileCombo;
    QPushButton* ProfileBtn;
    QRadioButton* SourceRadio;
    QRadioButton* OtherRadio;
    QLineEdit* FolderEdit;
    QPushButton* FolderBtn;
    QComboBox* PrefixCombo;
    QLabel* PrefixTextLabel;
    QLineEdit* PrefixEdit;
    QLabel* PrefixNLabel;
    QSpinBox* PrefixSpin;
    QComboBox* SuffixCombo;
    QLabel* SuffixTextLabel;
    QLineEdit* SuffixEdit;
    QLabel* SuffixNLabel;
    QSpinBox* SuffixSpin;
    QCheckBox* KeepNameCheck;
    QCheckBox* LeadZerosCheck;
    QSpinBox* DigitsSpin;
    QLabel* DigitsLabel;
    QLabel* ExampleLabel;
    QCheckBox* FGProcCheckBox;
    QCheckBox* MinimizeCheckBox;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;

private:
    void UpdateControls();
    void UpdateExample();
    // Selects the profile named by a full file name or a bare name (see the .cpp).
    void SelectProfile(const std::string& fileName);
    // The profile file a list entry stands for.
    std::string ProfileFileOf(const QString& entry) const;
    // The first failed check's box, shown; true when every check passed.
    bool CheckOptions();
    void* Owner() { return static_cast<QWidget*>(this); }

    std::string FProfilesFolder;
    std::string FFirstFile;
    TSettingsStore* FSettings;
};
