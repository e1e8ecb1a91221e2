// QSettings-backed profile.
#include "database/SettingsProfileStore.h"

SettingsProfileStore::SettingsProfileStore()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Local AppWizard-Generated Applications"),
                 QStringLiteral("ZanEditor"))
{
}

SettingsProfileStore::SettingsProfileStore(const QString &iniPath) : m_settings(iniPath, QSettings::IniFormat) {}

QString SettingsProfileStore::ReadString(const QString &section, const QString &entry) const
{
    return m_settings.value(section + QLatin1Char('/') + entry).toString();
}

void SettingsProfileStore::WriteString(const QString &section, const QString &entry, const QString &value)
{
    m_settings.setValue(section + QLatin1Char('/') + entry, value);
}
