// The backups in a folder, for a restore dialog or "dravel-cli backups".
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <vector>

struct BackupEntry {
    QString path;
    QString fileName;
    QDateTime time;          // from the name (local time); the file's time when the name has none
    QString tableKey;        // the receiver's chunk table key (FlashBackup::TableKey)
    qint64 size = 0;         // bytes of the file
    std::vector<uint32_t> chunkIds; // the database chunks it holds (default and/or user)
    bool valid = false;      // walks with good CRCs and holds at least one database chunk
    QString problem;         // why it is not valid
};

class BackupCatalog
{
public:
    // Every "stb-KEY-YYYYMMDD-HHMMSS[-N].abs" in folder, newest first; other files are not
    // backups and are left out. A missing folder has no backups.
    static std::vector<BackupEntry> List(const QString &folder);
    // Reads one backup file (name and contents).
    static BackupEntry Inspect(const QString &path);
    // Splits a backup file name into key and time; false for any other name.
    static bool ParseName(const QString &fileName, QString &tableKey, QDateTime &time);
};
