// The profile kept in QSettings under the organisation and application names the receiver tools use.
#pragma once

#include "database/ProfileStore.h"

#include <QSettings>

class SettingsProfileStore : public ProfileStore
{
public:
    // The native settings store of "Local AppWizard-Generated Applications" / "ZanEditor".
    SettingsProfileStore();
    // A settings file of our own (tests, portable installs).
    explicit SettingsProfileStore(const QString &iniPath);

    QString ReadString(const QString &section, const QString &entry) const override;
    void WriteString(const QString &section, const QString &entry, const QString &value) override;

private:
    mutable QSettings m_settings;
};
