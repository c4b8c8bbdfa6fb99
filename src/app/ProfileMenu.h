#pragma once
// The profile items of a menu: one item per compression profile file (".qmp") of the profile
// folder, above the menu's fixed items. Profile items carry their place in the list + 1 as their
// data; fixed items carry none (0).
#include <functional>
#include <QIcon>
#include <string>
#include <vector>

class QMenu;

struct TProfileEntry
{
    std::string Name;     // the file name without its extension
    std::string FileName; // the file itself, as stored
};

// The profiles of folder: regular files whose extension is ".qmp" in any letter case, sorted by
// name. A missing or unreadable folder gives none.
std::vector<TProfileEntry> ListProfiles(const std::string& folder);

// The file of the profile called name in folder as the list finds it: name + ".qmp" when that file
// exists, else the listed file of that name whatever the letter case of its extension, else
// name + ".qmp" (which then does not exist).
std::string ProfileFileName(const std::string& folder, const std::string& name);

// Removes the menu's leading profile items and puts one item per profile at its top, the last of
// the list first (so the list shows in reverse). Captions show the name as it is ("&" included);
// the item of defaultName (empty: none) is drawn bold as the default. Items show itemIcon, the
// default item defaultIcon. A click calls onClick with the item's entry.
void FillProfileMenu(QMenu* menu, const std::vector<TProfileEntry>& profiles, const std::string& defaultName,
                     std::function<void(const TProfileEntry&)> onClick, const QIcon& itemIcon = QIcon(),
                     const QIcon& defaultIcon = QIcon());
