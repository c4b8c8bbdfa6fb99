#include "app/ProfileMenu.h"

#include <QAction>
#include <QMenu>
#include <algorithm>
#include <filesystem>

namespace {

std::string LowerAscii(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

bool IsProfileExtension(const std::string& ext)
{
    if (ext.size() != 4 || ext[0] != '.') return false;
    return LowerAscii(ext) == ".qmp";
}

} // namespace

std::vector<TProfileEntry> ListProfiles(const std::string& folder)
{
    std::vector<TProfileEntry> list;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        const std::filesystem::path& p = it->path();
        if (!IsProfileExtension(p.extension().string())) continue;
        list.push_back({p.stem().string(), p.string()});
    }
    // By name without regard to letter case, then as stored, so the order never depends on the folder.
    std::sort(list.begin(), list.end(), [](const TProfileEntry& a, const TProfileEntry& b) {
        const std::string ka = LowerAscii(a.Name), kb = LowerAscii(b.Name);
        return ka != kb ? ka < kb : a.FileName < b.FileName;
    });
    return list;
}

std::string ProfileFileName(const std::string& folder, const std::string& name)
{
    const std::filesystem::path plain = std::filesystem::path(folder) / (name + ".qmp");
    std::error_code ec;
    if (std::filesystem::is_regular_file(plain, ec)) return plain.string();
    for (const TProfileEntry& p : ListProfiles(folder))
        if (p.Name == name) return p.FileName;
    return plain.string();
}

void FillProfileMenu(QMenu* menu, const std::vector<TProfileEntry>& profiles, const std::string& defaultName,
                     std::function<void(const TProfileEntry&)> onClick, const QIcon& itemIcon,
                     const QIcon& defaultIcon)
{
    while (!menu->actions().isEmpty() && menu->actions().first()->data().toInt() > 0)
        delete menu->actions().first();
    for (size_t i = 0; i < profiles.size(); ++i) {
        const TProfileEntry entry = profiles[i];
        auto* item = new QAction(QString::fromStdString(entry.Name).replace('&', "&&"), menu);
        item->setData(int(i + 1));
        item->setStatusTip("Opens this compression profile");
        item->setToolTip("Opens this compression profile");
        const bool isDefault = !defaultName.empty() && entry.Name == defaultName;
        item->setIcon(isDefault ? defaultIcon : itemIcon);
        if (isDefault) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        QObject::connect(item, &QAction::triggered, menu, [entry, onClick] {
            if (onClick) onClick(entry);
        });
        QAction* top = menu->actions().isEmpty() ? nullptr : menu->actions().first();
        menu->insertAction(top, item);
    }
}
