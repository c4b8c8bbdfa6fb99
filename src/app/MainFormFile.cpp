// The File commands of the main window: open, save, save as, export, the profiles (load, save,
// the two profile menus), mail, the scanner and their dialogs.
#include <QAction>
#include <QDir>
#include <QMenu>
#include <filesystem>

#include "app/CommandPictures.h"
#include "app/FileDialogs.h"
#include "app/MailImage.h"
#include "app/MainForm.h"
#include "app/ProfileForm.h"
#include "app/ProfileMenu.h"
#include "app/RememberDialogFolder.h"
#include "codec/ProfileFile.h"
#include "common/CommLib.h"
#include "common/StrRes.h"
#include "formats/FileFormatList.h"
#include "formats/ui/PictureDialog.h"
#include "platform/Format.h"
#include "platform/SettingsStore.h"
#include "workspace/ImageForm.h"

namespace {

const QStringList KProfileFilters = {"QMK Compression Profiles (*.qmp)", "All files (*)"};

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// Anything (a file, a folder, a link) stands under the name.
bool NameTaken(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// The name a resampled picture is first offered under, one no file in folder has: its source's
// name with the new size ("LadyBird 1280x960.jpg"), numbered from 2 when that is taken
// ("LadyBird 1280x960 (2).jpg"). Accepting it never replaces the full-size original.
std::string FreeResampledName(const TImageForm& a, const std::string& folder)
{
    const std::string stem =
        Format("%s %dx%d", ExtractFileName(a.FileInfo.FileName).c_str(), a.FileInfo.Width, a.FileInfo.Height);
    std::string name = stem + ".jpg";
    for (int n = 2; NameTaken(IncludeBackslash(folder) + name); ++n) name = Format("%s (%d).jpg", stem.c_str(), n);
    return name;
}

// The name a window's result is written under by default: a JPEG source keeps its own
// extension, any other picture gets ".jpg".
std::string ResultFileName(const TImageForm& a)
{
    const std::string name = ExtractFileName(a.FileInfo.FileName);
    return a.SourceIsJpeg() ? name : ReplaceFileExt(name, ".jpg");
}

} // namespace

TFileDialogResult TMainForm::RunDialog(const TFileDialogRequest& request)
{
    return FileDialogRunner ? FileDialogRunner(request) : RunFileDialog(this, request);
}

bool TMainForm::RunPictureDialog(TOpenPictureDialog& dialog)
{
    dialog.OnHelp = OnHelp;
    const bool accepted = PictureDialogRunner ? PictureDialogRunner(dialog) : dialog.Execute();
    DialogFolders.FileDialogOptions = dialog.DisplayOptions();
    return accepted;
}

namespace {

// The folder the dialog was in when it closed, with its trailing separator.
std::string DialogFolder(const TOpenPictureDialog& dialog)
{
    return IncludeBackslash(dialog.FileDialog()->directory().absolutePath().toStdString());
}

} // namespace

void TMainForm::FileOpenActionExecute()
{
    if (!FOpenDialog) FOpenDialog = new TOpenPictureDialog(this);
    TOpenPictureDialog& d = *FOpenDialog;
    d.setWindowTitle("Open...");
    d.SetFilters(OpenPictureFilters(FileFormatList()));
    d.SetInitialFolder(DialogFolders.OpenDir);
    d.SetDisplayOptions(DialogFolders.FileDialogOptions);
    d.SetRecentFolders(DialogFolders.RecentOpenDirs);
    if (RunPictureDialog(d)) {
        // The dialog has usually loaded the file already: the window takes that picture.
        if (auto picture = d.TakePicture())
            MakeImageWindow()->LoadSourceFromDialog(std::move(picture), d.FileInfo());
        else
            NewImageWindow({d.FileName()})->HasFileName = true; // a file chosen here saves in place
    }
    // Accepted or not, the folder the dialog was in is remembered.
    RememberDialogFolder(DialogFolders, TPictureDialog::Open, DialogFolder(d));
}

bool TMainForm::FileSaveAsActionExecute(TImageForm* window)
{
    TImageForm* a = window ? window : ActiveImage();
    if (!a) return false;
    if (!FSaveDialog) FSaveDialog = new TSavePictureDialog(this);
    TSavePictureDialog& d = *FSaveDialog;
    d.setWindowTitle("Save As...");
    d.SetFilters({"JPEG Image File (*.jpg)"});
    d.SetDisplayOptions(DialogFolders.FileDialogOptions);
    d.SetRecentFolders(DialogFolders.RecentSaveDirs);
    // The dialog starts with the name that will be written, so its overwrite prompt asks about the
    // real file (photo.jpg for photo.bmp), and adds ".jpg" to a name typed without extension.
    // A resampled picture without a file of its own starts beside the picture it was made from,
    // under a name no file there has yet.
    const bool resampled = a->Resampled && !a->HasFileName;
    std::string folder = resampled ? ExtractFilePath(a->FileInfo.FileName) : std::string();
    if (folder.empty()) folder = DialogFolders.SaveDir;
    d.SetFileName(IncludeBackslash(folder) + (resampled ? FreeResampledName(*a, folder) : ResultFileName(*a)));
    const bool accepted = RunPictureDialog(d);
    const std::string file = accepted ? d.FileName() : std::string();
    RememberDialogFolder(DialogFolders, TPictureDialog::Save, DialogFolder(d));
    return !file.empty() && a->SaveResult(file, false);
}

void TMainForm::FileExportBMPActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    const std::string start = IncludeBackslash(DialogFolders.ExportDir) + ExtractFileNameNoExt(a->FileInfo.FileName);
    const TFileDialogResult r =
        RunDialog({"Export To...", QString::fromStdString(start), {"Windows Bitmap (*.bmp)"}, "bmp", true});
    if (r.FileName.isEmpty()) return;
    const std::string file = r.FileName.toStdString();
    a->ExportSourceBitmap(file);
    DialogFolders.ExportDir = ExtractFilePath(file);
}

// ---- profiles ----

std::string TMainForm::ChooseProfileFile(const std::string& folder)
{
    return RunDialog({"Open Profile...", QString::fromStdString(folder), KProfileFilters, "qmp", false})
        .FileName.toStdString();
}

void TMainForm::FileLoadProfileActionExecute()
{
    QDir().mkpath(QString::fromStdString(ProfileDir()));
    const std::string file = ChooseProfileFile(ProfileDir());
    if (!file.empty()) LoadProfileFile(file);
}

void TMainForm::LoadProfileFile(const std::string& fileName)
{
    TImageForm* a = ActiveImage();
    if (!a || !FileExists(fileName)) return; // a profile deleted since the menu was built: nothing
    try {
        ReadProfileFile(*a->Image, fileName);
    } catch (const std::exception& e) {
        ShowWarning(Owner(), TImageForm::WithReason(SCannotLoadFile + fileName, e.what()));
        return;
    }
    ImageStateChanged(a, 0);
    a->MarkParamsChanged(true);
    a->ForceRun = true; // recompress at the next tick even when nothing else changed
}

void TMainForm::FileSaveProfileActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    TJPEGProfile current;
    GetSettingsRecord(*a->Image, current);
    TJPEGProfile profile = current;
    if (!RunProfileEditor(profile, *a->Image)) return;
    const std::string folder = ProfileDir();
    QDir().mkpath(QString::fromStdString(folder));
    const std::string start = IncludeBackslash(folder) + (profile.Name.empty() ? "" : profile.Name + ".qmp");
    const TFileDialogResult r =
        RunDialog({"Save Profile...", QString::fromStdString(start), KProfileFilters, "qmp", true});
    if (r.FileName.isEmpty()) return;
    const std::string file = r.FileName.toStdString();
    ApplyEditedProfile(a, current, profile);
    try {
        WriteProfileFile(*a->Image, file);
    } catch (const std::exception& e) {
        ShowWarning(Owner(), TImageForm::WithReason(SCannotSaveFile + file, e.what()));
    }
    FillProfileMenu();
}

bool TMainForm::RunProfileEditor(TJPEGProfile& profile, const TJPEGImage& image)
{
    if (ProfileEditorRunner) return ProfileEditorRunner(profile, image);
    std::unique_ptr<TSettingsStore> resampling = Settings ? Settings->OpenGroup(SResamplingSubKey) : nullptr;
    return EditProfile(this, profile, image, resampling.get(), OnHelp);
}

void TMainForm::FillProfileMenu()
{
    const std::vector<TProfileEntry> profiles = ListProfiles(ProfileDir());
    ProfileNames.clear();
    for (const TProfileEntry& p : profiles) ProfileNames.push_back(p.Name);
    const std::string defaultName = Prefs.InitComprParams != 0 ? Prefs.NameDefProfile : std::string();
    auto click = [this](const TProfileEntry& p) { LoadProfileMenuItemClick(p); };
    const QIcon item(Images.value(nsProfile)), byDefault(Images.value(nsDefaultProfile));
    ::FillProfileMenu(LoadProfileMenu, profiles, defaultName, click, item, byDefault);
    ::FillProfileMenu(LoadProfileSubMenu, profiles, defaultName, click, item, byDefault);
}

void TMainForm::LoadProfileMenuItemClick(const TProfileEntry& profile)
{
    if (!ActiveImage()) return; // a profile is picked for a window, not as the default
    LoadProfileFile(profile.FileName);
    if (Prefs.InitComprParams == 1) Prefs.NameDefProfile = CutProfileName(profile.Name);
}

// ---- mail ----

void TMainForm::FileMailActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    TMailJob job;
    job.Method = Prefs.EmailMethod;
    job.Name = ReplaceFileExt(ExtractFileName(a->FileInfo.FileName), ".jpg");
    job.Owner = Owner();
    job.Jpeg = a->Image->GetJpegStream();
    // The copy's name may differ from the one asked for (a JPEG source keeps its extension): the
    // mail takes the file written.
    job.SaveCopy = [a](const std::string& path) {
        std::string written;
        a->SaveResult(path, true, &written);
        return written;
    };
    for (const std::string& made : MailImage(job)) TempFileList.push_back(made);
}
