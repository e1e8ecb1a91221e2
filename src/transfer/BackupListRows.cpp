// BackupListRows: the restore dialog's column and row texts.
#include "transfer/BackupListRows.h"

#include "link/ChunkHeader.h"

#include <QDir>
#include <QLocale>

QStringList BackupColumnTitles()
{
    return {QStringLiteral("Time"), QStringLiteral("Chunk table"), QStringLiteral("Size"), QStringLiteral("Chunks"),
            QStringLiteral("CRC")};
}

QStringList BackupRowTexts(const BackupEntry &entry)
{
    QStringList chunks;
    for (uint32_t id : entry.chunkIds) {
        if (id == kDefaultDbChunkId)
            chunks << QStringLiteral("default");
        else if (id == kUserDbChunkId)
            chunks << QStringLiteral("user");
    }
    // Grouped digits in the C locale: the same on every system, and tests can rely on it.
    QLocale grouping = QLocale::c();
    grouping.setNumberOptions(QLocale::DefaultNumberOptions);
    return {entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            entry.tableKey.isEmpty() ? QStringLiteral("--------") : entry.tableKey,
            grouping.toString(entry.size) + QStringLiteral(" bytes"),
            chunks.isEmpty() ? QStringLiteral("-") : chunks.join(QStringLiteral(" + ")),
            entry.valid ? QStringLiteral("good") : entry.problem};
}

QString BackupFolderText(const QString &folder, size_t count)
{
    const QString shown = QDir::toNativeSeparators(folder);
    if (count == 0)
        return QStringLiteral("No backups in %1. A download makes one before it changes the receiver's flash.")
            .arg(shown);
    return count == 1 ? QStringLiteral("1 backup in %1").arg(shown)
                      : QStringLiteral("%1 backups in %2").arg(count).arg(shown);
}
