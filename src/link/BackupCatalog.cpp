// BackupCatalog: finding backups by name and checking what each one holds.
#include "link/BackupCatalog.h"

#include "link/AbsImage.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

bool BackupCatalog::ParseName(const QString &fileName, QString &tableKey, QDateTime &time)
{
    static const QRegularExpression pattern(
        QStringLiteral("^stb-([0-9A-F]{8})-(\\d{8}-\\d{6})(?:-\\d+)?\\.abs$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return false;
    const QDateTime parsed = QDateTime::fromString(match.captured(2), QStringLiteral("yyyyMMdd-HHmmss"));
    if (!parsed.isValid())
        return false;
    tableKey = match.captured(1);
    time = parsed;
    return true;
}

BackupEntry BackupCatalog::Inspect(const QString &path)
{
    BackupEntry entry;
    const QFileInfo info(path);
    entry.path = info.absoluteFilePath();
    entry.fileName = info.fileName();
    entry.size = info.size();
    if (!ParseName(entry.fileName, entry.tableKey, entry.time))
        entry.time = info.lastModified();
    AbsWalk walk;
    if (WalkAbsChunks(path, walk) == 0) {
        entry.problem = AbsWalkFailureText(walk);
        if (entry.problem.isEmpty())
            entry.problem = QStringLiteral("not a valid flash image");
        return entry;
    }
    if (walk.hasDefaultDb)
        entry.chunkIds.push_back(kDefaultDbChunkId);
    if (walk.hasUserDb)
        entry.chunkIds.push_back(kUserDbChunkId);
    entry.valid = !entry.chunkIds.empty();
    if (!entry.valid)
        entry.problem = QStringLiteral("holds no database chunk");
    return entry;
}

std::vector<BackupEntry> BackupCatalog::List(const QString &folder)
{
    std::vector<BackupEntry> entries;
    const QDir dir(folder);
    if (!dir.exists())
        return entries;
    for (const QFileInfo &file : dir.entryInfoList({QStringLiteral("stb-*.abs")}, QDir::Files, QDir::Name)) {
        QString key;
        QDateTime time;
        if (!ParseName(file.fileName(), key, time))
            continue;
        entries.push_back(Inspect(file.absoluteFilePath()));
    }
    std::stable_sort(entries.begin(), entries.end(), [](const BackupEntry &a, const BackupEntry &b) {
        return a.time != b.time ? a.time > b.time : a.fileName > b.fileName;
    });
    return entries;
}
