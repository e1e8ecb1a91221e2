// The ".abs" backup a download makes of the flash chunks it is about to replace.
#pragma once

#include "link/ChunkHeader.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

// One chunk as dumped from the receiver: its table entry and its bytes from the header on.
struct BackupChunk {
    ChunkInfo info;
    std::vector<uint8_t> bytes; // the header as in flash, then the contents
};

// A backup is a valid ".abs" chain: the dumped chunks in flash order, each padded with 0xFF to its
// size field (so that the next chunk starts where the header says), and, when the last of them
// is not the last chunk of the flash (size field not 0), an end chunk that closes the chain: id
// kBackupEndChunkId, header only, no CRC, size 0, its texts "DRAVEL BACKUP", the table key and
// the time. Downloading a backup loads its database chunks and ignores the end chunk, so it puts
// back exactly the bytes that were dumped.
//
// Files are named "stb-KEY-YYYYMMDD-HHMMSS.abs" (local time; "-2", "-3" … when a name is taken),
// KEY being TableKey of the receiver's chunk table.
class FlashBackup
{
public:
    static constexpr uint32_t kBackupEndChunkId = 0x0DF20100u;

    // The user's data folder, ".../dravel/backups" under QStandardPaths::GenericDataLocation (on
    // Linux ~/.local/share/dravel/backups): the same for the editor and the command line, whatever
    // their application names.
    static QString DefaultFolder();
    // Eight hexadecimal digits naming the receiver's flash layout: the CRC-32/MPEG-2 of the id and
    // size field of every chunk (not the lengths, which every download of a database changes).
    static QString TableKey(const std::vector<ChunkInfo> &chunks);
    static QString FileName(const QString &tableKey, const QDateTime &time);

    // The backup file's bytes; empty with the reason in error when a chunk's bytes do not fit
    // its place (a size field smaller than what was dumped) or do not start with its header.
    static QByteArray Build(const std::vector<BackupChunk> &chunks, const QString &tableKey, const QDateTime &time,
                            QString &error);

    // Creates folder when needed, writes bytes under a free name made from fileName, reads the
    // file back and compares it, and walks it with its CRCs. True with the path; false with the
    // reason (folder not created, disk full, read-back difference, CRC failure) in error. A file
    // that was written but fails its check is kept for inspection; a partial write never stays.
    static bool Write(const QString &folder, const QString &fileName, const QByteArray &bytes, QString &path,
                      QString &error);
    // Walks a backup file and reads it back against expected; empty when it is good.
    static QString Check(const QString &path, const QByteArray &expected);
};
