// Loading a ".usd" or ".ddf" file into the channel database, and the bounded file read it uses.
#pragma once

#include <QByteArray>
#include <QString>

class CChannelDb;
class ProfileStore;

// Clears the database and fills it from the file; on failure it is left empty. Every refusal is
// explained through the database's prompt: the message text first, then, on a line of its own,
// what the system said (why the file could not be opened, the size limit). useDefaultFavourites
// replaces the file's favourite groups with the 32 groups named in the profile. fileBytes, when
// given, receives the bytes that were read, so that a caller never reads the file twice.
bool LoadDatabase(CChannelDb &db, const QString &path, bool useDefaultFavourites, const ProfileStore &profile,
                  QByteArray *fileBytes = nullptr);

// The same on the bytes of a file already in memory.
bool LoadDatabaseBytes(CChannelDb &db, const QByteArray &file, bool useDefaultFavourites,
                       const ProfileStore &profile);

// How a bounded read ended.
enum class FileReadStatus {
    Read,        // bytes holds the whole file
    CannotOpen,  // reason holds the system's words
    TooLarge,    // the file has more than limit bytes
};

// A pipe or FIFO that gives no byte for this long (a FIFO that no writer opens) is given up.
constexpr int kFileIdleTimeoutMs = 5000;

// Reads a whole file of at most limit bytes, and never more than limit + 1 bytes of it: a device
// that never ends (/dev/zero) ends as TooLarge, a pipe, FIFO or terminal that stays silent for
// idleTimeoutMs ends as CannotOpen, a directory as CannotOpen. Opening never blocks.
FileReadStatus ReadBoundedFile(const QString &path, qint64 limit, QByteArray &bytes, QString &reason,
                               int idleTimeoutMs = kFileIdleTimeoutMs);
