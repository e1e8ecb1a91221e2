// The settings of safe flashing and saving: backup before a download, verify, and the .bak copy.
#pragma once

#include <QString>

class QSettings;

// Kept in the program's settings store (organisation "Local AppWizard-Generated Applications",
// application "ZanEditor", group "Safety"), so that the editor and dravel-cli share them:
//   Safety/Backup        bool, default true   a backup of the replaced chunks before a download
//   Safety/BackupFolder  text, default empty  empty: FlashBackup::DefaultFolder()
//   Safety/Verify        bool, default true   read the flash back after the burn
//   Safety/KeepBak       bool, default true   first save of a session keeps NAME.EXT.bak
struct SafetySettings {
    bool backup = true;
    QString backupFolder;
    bool verify = true;
    bool keepBak = true;

    static SafetySettings Load(QSettings &settings);
    void Save(QSettings &settings) const;
    // The program's own store.
    static SafetySettings Load();
    void Save() const;
};
