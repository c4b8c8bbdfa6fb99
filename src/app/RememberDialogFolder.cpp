#include "app/RememberDialogFolder.h"

#include <algorithm>

void RememberDialogFolder(TDialogFolders& folders, TPictureDialog dialog, const std::string& folder)
{
    if (folder.empty()) return;
    const bool open = dialog == TPictureDialog::Open;
    std::string& initial = open ? folders.OpenDir : folders.SaveDir;
    std::vector<std::string>& own = open ? folders.RecentOpenDirs : folders.RecentSaveDirs;
    std::vector<std::string>& other = open ? folders.RecentSaveDirs : folders.RecentOpenDirs;
    initial = folder;
    auto it = std::find(own.begin(), own.end(), folder);
    if (it != own.end()) own.erase(it);
    own.insert(own.begin(), folder);
    if (std::find(other.begin(), other.end(), folder) == other.end()) other.push_back(folder);
}
