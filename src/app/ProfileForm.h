#pragma once
// "Create/Edit Compression Profile": shows a profile's values, and edits its name, whether it holds
// a compression ratio, its resize options (chosen from the resize history) and its MatchMask (the
// groups of settings that applying it changes). The caller sets Profile and the image's ratio,
// shows the dialog and reads Profile back after OK.
#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codec/JPEGProfile.h"
#include "resample/ResizeHistory.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TJPEGImage;
class TSettingsStore;

class TProfileForm : public QDialog
{
    Q_OBJECT
public:
    // resampling: the settings group of the resize history (nullptr: none is read or kept).
    TProfileForm(QWidget* owner, TSettingsStore* resampling);

    TJPEGProfile Profile;
    // The image's current rounded compression ratio, the up-down's start.
    int ImageRatio = 20;
    TResizeHistory History;
    // Opens a help topic (this dialog's is 136); nothing when not set.
    std::function<void(int topic)> OnHelp;

    void ProfileToForm();
    void FormToProfile();
    void ComprRatioStateChange();
    void ResampleCheckBoxClick();
    void RestoreButtonClick();
    void FillProfileParams();
    void MaskToTree(uint16_t mask);
    uint16_t TreeToMask() const;
    // A leaf of the mask tree changes between checked and unchecked; a group node does not.
    void ToggleLeaf(QTreeWidgetItem* item);

    QTabWidget* PageControl;
    QLineEdit* NameEdit;
    QTreeWidget* ParamListView;
    QRadioButton* DepComprRatioBtn;
    QRadioButton* HoldComprRatioBtn;
    QLabel* ComprRatioLabel;
    QSpinBox* ComprRatioUpDown;
    QCheckBox* ResampleCheckBox;
    QComboBox* ResampleCombo;
    QTreeWidget* MaskTreeView;
    QPushButton* RestoreButton;
    QPushButton* HelpBtn;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;
    // Space or Enter on the mask tree toggles the current leaf.
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void accept() override;

private:
    TSettingsStore* FResampling;
};

// Edits profile on the dialog; true (and profile updated) after OK.
bool EditProfile(QWidget* owner, TJPEGProfile& profile, const TJPEGImage& image, TSettingsStore* resampling,
                 std::function<void(int topic)> onHelp = {});
