#pragma once
// The picture open and save dialogs: a file dialog (the program's non-native one, embedded as a
// child widget) with the information and preview panel at its right and the recent folders below.
// The selected file is loaded on a worker thread as the selection changes, so the caller takes the
// accepted file's picture and its TImageFileInfo without loading it again (TakePicture).
//
// Whenever the open dialog's view moves to another folder, a name left in the name field stays only
// when it names a file of that folder, which is then selected and loaded as a click would.
//
// The caller keeps the display options and the recent folders between runs: it sets them before
// Execute and reads them back after it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QFileDialog>

#include "controls/FileDialog.h"
#include "formats/ImageFileInfo.h"
#include "formats/Picture.h"
#include "formats/ui/PictureLoadThread.h"

class QLineEdit;
class TImageInfoForm;
class TGraphic;

// The embedded file dialog: its accept and reject reach the owner instead of closing it.
class TEmbeddedFileDialog : public TFileDialog
{
    Q_OBJECT
public:
    explicit TEmbeddedFileDialog(QWidget* parent);
    void done(int result) override;
signals:
    void Finished(int result);
};

class TOpenPictureDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TOpenPictureDialog(QWidget* parent = nullptr);
    ~TOpenPictureDialog() override;

    // ---- set before Execute ----
    void SetInitialFolder(const std::string& folder);
    void SetFileName(const std::string& name); // shown in the name field (a folder part is the start folder)
    // The name filters (the open dialog lists every file until they are set; the save dialog starts
    // with JPEG files).
    void SetFilters(const QStringList& filters);
    void SetMultipleSelection(bool on);
    void SetDisplayOptions(int options);
    void SetRecentFolders(const std::vector<std::string>& folders);
    // The preview area (PreviewWidth x PreviewHeight unless set).
    void SetPreviewSize(int width, int height);
    // Opens a help topic (the dialog's topic is 139); nothing when not set.
    std::function<void(int topic)> OnHelp;
    // The loading done on the worker (a test may put a stand-in here; set before Execute).
    TPictureLoadFn Loader = LoadDialogPicture;

    // Shows the dialog modally; true when a file was accepted.
    bool Execute();

    // ---- after Execute ----
    std::string FileName() const;                 // the accepted file (the first of several)
    std::vector<std::string> FileNames() const;   // every accepted file
    int DisplayOptions() const;
    const std::vector<std::string>& RecentFolders() const { return FRecentFolders; }
    // The record of the file last shown in the panel.
    const TImageFileInfo& FileInfo() const { return FFileInfo; }
    // Why the file last shown did not load (empty when it did).
    const std::string& LoadError() const { return FLoadError; }
    // The accepted file's picture at full scale, handed over with its record (FileInfo). Null when
    // the dialog holds no picture of that file: the caller then loads the file itself.
    std::unique_ptr<TGraphic> TakePicture();

    QFileDialog* FileDialog() const { return FFileDialog; }
    TImageInfoForm* InfoForm() const { return FInfo; }
    static constexpr int HelpTopic = 139;
    static constexpr int PreviewWidth = 240, PreviewHeight = 200;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    // Save dialog: stays enabled whatever the file is.
    virtual bool OpenItemEnabled() const { return FFileInfo.PictureInfoValid; }

private:
    void SelectionChanged(const QString& path);
    void TakeResult(TPictureResult& result);
    void ShowCurrent();
    void DrawCurrentPreview();
    void FileDialogFinished(int result);
    void ChooseRecentFolder(int index);
    void MatchNameToFolder();
    void SelectWaitingName();
    void PressOk();
    void StopLoader();
    QLineEdit* NameEdit() const;

    TEmbeddedFileDialog* FFileDialog;
    TImageInfoForm* FInfo;
    TPictureLoadThread* FLoader = nullptr;
    std::vector<std::string> FRecentFolders;
    int FLastChosenFolder = -1;
    std::string FLastName;    // the selection last handled
    std::string FLoadingName; // requested and not yet back
    QString FWaitingName;     // a file of the folder just shown, selected once its listing has it
    std::unique_ptr<TPicture> FPicture;
    TImageFileInfo FFileInfo;
    std::string FLoadError;
    QImage FPreview;
    QRect FPreviewPlace;
    bool FAccepting = false;
};

// The save dialog: asks before replacing a file and adds the default suffix ("jpg") to a name
// typed without one, before that question.
class TSavePictureDialog : public TOpenPictureDialog
{
    Q_OBJECT
public:
    explicit TSavePictureDialog(QWidget* parent = nullptr);
    void SetDefaultSuffix(const QString& suffix);

protected:
    bool OpenItemEnabled() const override { return true; }
};
