#include "app/QtSettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

#include "platform/Exceptions.h"

namespace {

QString ToQ(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
std::string FromQ(const QString& s) { return s.toUtf8().toStdString(); }

std::shared_ptr<QSettings> OpenProgramSettings()
{
    const char* dir = std::getenv("QM_SETTINGS_DIR");
    if (dir && *dir)
        return std::make_shared<QSettings>(QDir(QString::fromLocal8Bit(dir)).filePath("Tarnwick/QMK.conf"),
                                           QSettings::NativeFormat);
    return std::make_shared<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Tarnwick", "QMK");
}

} // namespace

TQtSettingsStore::TQtSettingsStore() : FSettings(OpenProgramSettings()) {}

TQtSettingsStore::TQtSettingsStore(const std::string& fileName)
    : FSettings(std::make_shared<QSettings>(ToQ(fileName), QSettings::NativeFormat))
{
}

TQtSettingsStore::TQtSettingsStore(std::shared_ptr<QSettings> settings, std::string prefix)
    : FSettings(std::move(settings)), FPrefix(std::move(prefix))
{
}

TQtSettingsStore::~TQtSettingsStore()
{
    // The last store on the file writes what is pending; a failure here has nobody to go to.
    if (FSettings.use_count() == 1) FSettings->sync();
}

std::string TQtSettingsStore::FullKey(const std::string& name) const { return FPrefix + NormalizeSettingsPath(name); }

void TQtSettingsStore::CheckWritable(const std::string& name) const
{
    if (NormalizeSettingsPath(name).empty()) throw ERegistryException("Invalid value name '" + name + "'");
    if (!FSettings->isWritable()) throw ERegistryException("Failed to set data for '" + name + "'");
}

std::optional<std::string> TQtSettingsStore::ReadValue(const std::string& name)
{
    std::string key = FullKey(name);
    if (key.empty()) return std::nullopt;
    QVariant v = FSettings->value(ToQ(key));
    if (!v.isValid()) return std::nullopt;
    // Values are written as text; anything else that a hand-edited file holds is read as its text.
    return FromQ(v.toString());
}

void TQtSettingsStore::WriteValue(const std::string& name, const std::string& value)
{
    CheckWritable(name);
    FSettings->setValue(ToQ(FullKey(name)), QVariant(ToQ(value)));
}

bool TQtSettingsStore::DeleteValue(const std::string& name)
{
    CheckWritable(name);
    QString key = ToQ(FullKey(name));
    if (!FSettings->contains(key)) return false;
    FSettings->remove(key);
    return true;
}

std::vector<std::string> TQtSettingsStore::ValueNames()
{
    QString group = ToQ(FPrefix);
    if (group.endsWith('/')) group.chop(1);
    FSettings->beginGroup(group);
    QStringList keys = FSettings->childKeys();
    FSettings->endGroup();
    std::vector<std::string> names;
    for (const QString& k : keys) names.push_back(FromQ(k));
    std::sort(names.begin(), names.end());
    return names;
}

std::unique_ptr<TSettingsStore> TQtSettingsStore::OpenGroup(const std::string& path)
{
    std::string sub = NormalizeSettingsPath(path);
    std::string prefix = sub.empty() ? FPrefix : FPrefix + sub + "/";
    return std::unique_ptr<TSettingsStore>(new TQtSettingsStore(FSettings, prefix));
}

void TQtSettingsStore::Flush()
{
    FSettings->sync();
    if (FSettings->status() != QSettings::NoError)
        throw ERegistryException("Cannot write the settings to " + FileName());
}

std::string TQtSettingsStore::FileName() const { return FromQ(FSettings->fileName()); }
