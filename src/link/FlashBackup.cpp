// FlashBackup: building, naming, writing and checking the ".abs" backup of a download.
#include "link/FlashBackup.h"

#include "core/ByteOrder.h"
#include "link/AbsImage.h"
#include "link/LinkCrc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cstring>

namespace {

void PutText(uint8_t *field, const QByteArray &text)
{
    std::memset(field, 0, kChunkTextSize);
    std::memcpy(field, text.constData(), size_t(std::min<qsizetype>(text.size(), kChunkTextSize - 1)));
}

} // namespace

QString FlashBackup::DefaultFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir(base).filePath(QStringLiteral("dravel/backups"));
}

QString FlashBackup::TableKey(const std::vector<ChunkInfo> &chunks)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(chunks.size() * 8);
    for (const ChunkInfo &chunk : chunks) {
        uint8_t pair[8];
        ByteOrder::WriteBe32(pair, chunk.id);
        ByteOrder::WriteBe32(pair + 4, chunk.size);
        bytes.insert(bytes.end(), pair, pair + 8);
    }
    return QString::asprintf("%08X", LinkCrc(kCrcStart, bytes.data(), bytes.size()));
}

QString FlashBackup::FileName(const QString &tableKey, const QDateTime &time)
{
    return QStringLiteral("stb-%1-%2.abs").arg(tableKey, time.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

QByteArray FlashBackup::Build(const std::vector<BackupChunk> &chunks, const QString &tableKey, const QDateTime &time,
                              QString &error)
{
    QByteArray file;
    for (size_t i = 0; i < chunks.size(); ++i) {
        const BackupChunk &chunk = chunks[i];
        const ChunkInfo &info = chunk.info;
        if (chunk.bytes.size() < kChunkHeaderSize || ByteOrder::ReadBe32(chunk.bytes.data()) != info.id) {
            error = QString::asprintf("the dump of chunk 0x%08X does not start with its header", info.id);
            return QByteArray();
        }
        if (info.size == 0 && i + 1 != chunks.size()) {
            error = QString::asprintf("chunk 0x%08X is the last of the flash but not of the backup", info.id);
            return QByteArray();
        }
        if (info.size != 0 && chunk.bytes.size() > info.size) {
            error = QString::asprintf("chunk 0x%08X holds 0x%zX bytes, more than its size field 0x%08X", info.id,
                                      chunk.bytes.size(), info.size);
            return QByteArray();
        }
        file.append(reinterpret_cast<const char *>(chunk.bytes.data()), qsizetype(chunk.bytes.size()));
        if (info.size != 0)
            file.append(qsizetype(info.size - chunk.bytes.size()), char(0xFF));
    }
    if (chunks.empty() || chunks.back().info.size != 0) {
        ChunkInfo end;
        end.id = kBackupEndChunkId;
        end.length = kChunkHeaderSize - 16;
        end.size = 0;
        end.crc = kNoCrcMark;
        uint8_t header[kChunkHeaderSize];
        ChunkHeader::Build(end, header);
        PutText(header + 16, "DRAVEL BACKUP");
        PutText(header + 32, tableKey.toLatin1());
        PutText(header + 48, time.toString(QStringLiteral("yyyyMMdd-HHmmss")).toLatin1());
        file.append(reinterpret_cast<const char *>(header), sizeof header);
    }
    return file;
}

QString FlashBackup::Check(const QString &path, const QByteArray &expected)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return path + QStringLiteral(": cannot be read back: ") + file.errorString();
    const QByteArray back = file.readAll();
    if (back != expected)
        return path + QStringLiteral(": reads back different from what was written");
    AbsWalk walk;
    if (WalkAbsChunks(reinterpret_cast<const uint8_t *>(back.constData()), size_t(back.size()), walk) == 0)
        return path + QStringLiteral(": fails its check: ") + AbsWalkFailureText(walk);
    return QString();
}

bool FlashBackup::Write(const QString &folder, const QString &fileName, const QByteArray &bytes, QString &path,
                        QString &error)
{
    path.clear();
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder)) {
        error = QStringLiteral("cannot create the backups folder ") + folder;
        return false;
    }
    const QFileInfo name(fileName);
    QString candidate = dir.filePath(fileName);
    for (int n = 2; QFileInfo::exists(candidate) && n < 1000; ++n)
        candidate = dir.filePath(QStringLiteral("%1-%2.%3").arg(name.completeBaseName()).arg(n).arg(name.suffix()));
    if (QFileInfo::exists(candidate)) {
        error = QStringLiteral("no free backup name in ") + folder;
        return false;
    }
    // A full disk or a removed folder fails the commit: no partial backup is left behind.
    QSaveFile file(candidate);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = candidate + QStringLiteral(": ") + file.errorString();
        return false;
    }
    error = Check(candidate, bytes);
    if (!error.isEmpty())
        return false;
    path = candidate;
    return true;
}
