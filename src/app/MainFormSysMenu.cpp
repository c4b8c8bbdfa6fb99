// File > System Menu: the file-actions menu on a copy of the active window's result, which stays
// until the program ends.
#include <filesystem>

#include "app/MailImage.h"
#include "app/MainForm.h"
#include "app/ShellMenuLauncher.h"
#include "common/CommLib.h"
#include "common/ui/ShellContextMenu.h"
#include "workspace/ImageForm.h"

void TMainForm::FileSysMenuActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    std::string copy;
    try {
        const std::string folder = NewCopyFolder("menu");
        TempFileList.push_back(folder);
        // The copy's name may differ from the one asked for (a JPEG source keeps its extension).
        a->SaveResult(folder + "/" + ReplaceFileExt(ExtractFileName(a->FileInfo.FileName), ".jpg"), true, &copy);
    } catch (const std::exception&) {
        copy.clear();
    }
    if (copy.empty() || !std::filesystem::exists(copy)) return;
    TempFileList.insert(TempFileList.end() - 1, copy); // the file goes before its folder
    const TShellMenuHooks previous = ShellMenuHooks();
    InstallShellMenuLauncher(Owner(), TempFileList);
    ShowShellContextMenu(this, copy);
    ShellMenuHooks() = previous;
}
