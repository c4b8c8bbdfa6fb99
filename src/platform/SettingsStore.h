#pragma once
// The settings store: named text values, grouped by path, under the program's per-user settings
// root. The GUI backs it with the platform's native per-user settings (values kept as text, groups
// for subkeys); tests use TMemorySettingsStore. Numbers and Booleans are parsed by the settings
// accessors (common/SettingsAccess.h), never by the store.
//
// Group paths are relative to the store they are opened on and may use "/" or "\" between their
// parts; empty parts (leading, trailing or doubled separators) are ignored, so "Toolbars\" and
// "Toolbars" name the same group. A value name holding a separator names a value of a sub-group,
// as in the native store. Names are compared with their letter case.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TSettingsStore
{
public:
    virtual ~TSettingsStore() = default;

    // The value's text; std::nullopt when there is no such value (an empty text is a value).
    virtual std::optional<std::string> ReadValue(const std::string& name) = 0;
    // Stores the text; raises ERegistryException when the store refuses the write.
    virtual void WriteValue(const std::string& name, const std::string& value) = 0;
    // Removes the value; false when there was none. Raises ERegistryException when refused.
    virtual bool DeleteValue(const std::string& name) = 0;
    // Names of the values directly in this group (not those of its sub-groups), sorted.
    virtual std::vector<std::string> ValueNames() = 0;
    // The store of a group below this one; it exists once a value has been written into it.
    virtual std::unique_ptr<TSettingsStore> OpenGroup(const std::string& path) = 0;

    bool ValueExists(const std::string& name) { return ReadValue(name).has_value(); }
};

// "a\\b/" -> "a/b": the parts of a group path joined by "/", without empty parts.
std::string NormalizeSettingsPath(const std::string& path);

// Keeps everything in memory; groups opened from it share its values. Setting ReadOnly makes every
// write and delete raise ERegistryException (a store without write access).
class TMemorySettingsStore : public TSettingsStore
{
public:
    TMemorySettingsStore();

    std::optional<std::string> ReadValue(const std::string& name) override;
    void WriteValue(const std::string& name, const std::string& value) override;
    bool DeleteValue(const std::string& name) override;
    std::vector<std::string> ValueNames() override;
    std::unique_ptr<TSettingsStore> OpenGroup(const std::string& path) override;

    // Shared by this store and every group opened from it.
    void SetReadOnly(bool readOnly);
    // Every value of the whole store as "group/name" -> text (for tests and diagnostics).
    std::map<std::string, std::string> AllValues() const;

private:
    struct TShared
    {
        std::map<std::string, std::string> Values; // full path "group/sub/name" -> text
        bool ReadOnly = false;
    };
    TMemorySettingsStore(std::shared_ptr<TShared> shared, std::string prefix);
    std::string FullName(const std::string& name) const;
    void CheckWritable(const std::string& name) const;

    std::shared_ptr<TShared> FShared;
    std::string FPrefix; // "" for the root, else "group/sub/"
};
