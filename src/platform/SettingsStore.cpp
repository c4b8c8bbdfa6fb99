#include "platform/SettingsStore.h"

#include "platform/Exceptions.h"

std::string NormalizeSettingsPath(const std::string& path)
{
    std::string out;
    size_t i = 0;
    while (i < path.size()) {
        size_t end = path.find_first_of("/\\", i);
        if (end == std::string::npos) end = path.size();
        if (end > i) {
            if (!out.empty()) out += '/';
            out.append(path, i, end - i);
        }
        i = end + 1;
    }
    return out;
}

TMemorySettingsStore::TMemorySettingsStore() : FShared(std::make_shared<TShared>()) {}

TMemorySettingsStore::TMemorySettingsStore(std::shared_ptr<TShared> shared, std::string prefix)
    : FShared(std::move(shared)), FPrefix(std::move(prefix))
{
}

std::string TMemorySettingsStore::FullName(const std::string& name) const { return FPrefix + NormalizeSettingsPath(name); }

void TMemorySettingsStore::CheckWritable(const std::string& name) const
{
    if (FShared->ReadOnly) throw ERegistryException("Failed to set data for '" + name + "'");
    if (NormalizeSettingsPath(name).empty()) throw ERegistryException("Invalid value name '" + name + "'");
}

std::optional<std::string> TMemorySettingsStore::ReadValue(const std::string& name)
{
    auto it = FShared->Values.find(FullName(name));
    if (it == FShared->Values.end()) return std::nullopt;
    return it->second;
}

void TMemorySettingsStore::WriteValue(const std::string& name, const std::string& value)
{
    CheckWritable(name);
    FShared->Values[FullName(name)] = value;
}

bool TMemorySettingsStore::DeleteValue(const std::string& name)
{
    CheckWritable(name);
    return FShared->Values.erase(FullName(name)) > 0;
}

std::vector<std::string> TMemorySettingsStore::ValueNames()
{
    std::vector<std::string> names;
    for (auto it = FShared->Values.lower_bound(FPrefix); it != FShared->Values.end(); ++it) {
        const std::string& key = it->first;
        if (key.compare(0, FPrefix.size(), FPrefix) != 0) break;
        std::string rest = key.substr(FPrefix.size());
        if (rest.find('/') == std::string::npos) names.push_back(rest);
    }
    return names;
}

std::unique_ptr<TSettingsStore> TMemorySettingsStore::OpenGroup(const std::string& path)
{
    std::string sub = NormalizeSettingsPath(path);
    std::string prefix = sub.empty() ? FPrefix : FPrefix + sub + "/";
    return std::unique_ptr<TSettingsStore>(new TMemorySettingsStore(FShared, prefix));
}

void TMemorySettingsStore::SetReadOnly(bool readOnly) { FShared->ReadOnly = readOnly; }

std::map<std::string, std::string> TMemorySettingsStore::AllValues() const { return FShared->Values; }
