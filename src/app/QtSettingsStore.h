#pragma once
// The program's settings store on the platform's native per-user settings (on Linux the file
// ~/.config/Tarnwick/QMK.conf). Every value is kept as text; groups of the store are groups of the
// native settings. Setting the environment variable QM_SETTINGS_DIR to a folder keeps the settings
// in <folder>/Tarnwick/QMK.conf instead (tests use a temporary folder).
#include <memory>

#include "platform/SettingsStore.h"

class QSettings;

class TQtSettingsStore : public TSettingsStore
{
public:
    // The program's settings (or the folder named by QM_SETTINGS_DIR).
    TQtSettingsStore();
    // The settings kept in the given file (native format).
    explicit TQtSettingsStore(const std::string& fileName);
    ~TQtSettingsStore() override;

    std::optional<std::string> ReadValue(const std::string& name) override;
    void WriteValue(const std::string& name, const std::string& value) override;
    bool DeleteValue(const std::string& name) override;
    std::vector<std::string> ValueNames() override;
    std::unique_ptr<TSettingsStore> OpenGroup(const std::string& path) override;

    // Writes pending changes to the file; raises ERegistryException when that fails.
    void Flush();
    // The file the settings live in.
    std::string FileName() const;

private:
    TQtSettingsStore(std::shared_ptr<QSettings> settings, std::string prefix);
    std::string FullKey(const std::string& name) const;
    void CheckWritable(const std::string& name) const;

    std::shared_ptr<QSettings> FSettings; // shared by the store and its groups
    std::string FPrefix;                  // "" for the root, else "group/sub/"
};
