// SafetySettings: reading and writing the safety options in the shared settings store.
#include "core/SafetySettings.h"

#include <QSettings>

namespace {

QSettings ProgramSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("ZanEditor"));
}

} // namespace

SafetySettings SafetySettings::Load(QSettings &settings)
{
    SafetySettings s;
    settings.beginGroup(QStringLiteral("Safety"));
    s.backup = settings.value(QStringLiteral("Backup"), true).toBool();
    s.backupFolder = settings.value(QStringLiteral("BackupFolder"), QString()).toString();
    s.verify = settings.value(QStringLiteral("Verify"), true).toBool();
    s.keepBak = settings.value(QStringLiteral("KeepBak"), true).toBool();
    settings.endGroup();
    return s;
}

void SafetySettings::Save(QSettings &settings) const
{
    settings.beginGroup(QStringLiteral("Safety"));
    settings.setValue(QStringLiteral("Backup"), backup);
    settings.setValue(QStringLiteral("BackupFolder"), backupFolder);
    settings.setValue(QStringLiteral("Verify"), verify);
    settings.setValue(QStringLiteral("KeepBak"), keepBak);
    settings.endGroup();
}

SafetySettings SafetySettings::Load()
{
    QSettings settings = ProgramSettings();
    return Load(settings);
}

void SafetySettings::Save() const
{
    QSettings settings = ProgramSettings();
    Save(settings);
}
