// Writing the channel database as a ".ddf" default database or into an existing ".usd".
#pragma once

#include <QByteArray>
#include <QString>

class CChannelDb;
class ProfileStore;

struct Payload
{
    QByteArray bytes;           // index area followed by the DB4 records
    bool terrestrial = false;   // terrestrial nodes were met and left out
};

// What a save keeps. The editor never keeps terrestrial nodes: the receiver's file has no room
// for them; generated test files keep them so that readers can be tried on them.
struct SaveOptions
{
    bool keepTerrestrial = false;
};

// What a save did. Declined: the user answered No to a question (the terrestrial one); nothing was
// written and the file on disk is as it was, exactly as after a failure, but nothing went wrong.
enum class SaveResult { Written, Declined, Failed };

// Builds the uncompressed node data; fails (with a message) when it cannot be stored, or when the
// reader would refuse what it makes (a node whose ids do not make a valid id of its kind).
bool BuildPayload(const CChannelDb &db, Payload &payload, const SaveOptions &options = {});

// Every writer replaces its target only with a complete new file; an existing target keeps its
// mode, and one that is not writable is refused with "Cannot write" and the system's reason.

// Writes exactly 65280 bytes: node data, favourite sub-chunk, kept sub-chunks, fill pattern.
// Creates the default favourite groups from the profile when the database has none.
SaveResult SaveDefaultDatabase(CChannelDb &db, const QString &path, const ProfileStore &profile,
                         const SaveOptions &options = {});

// The bytes a ".ddf" of the database takes before its fill (header, stream, padding, favourite
// sub-chunk and kept sub-chunks), to compare with the 65280 bytes of the file; -1 when the node
// data cannot be built or compressed (the writer's message has been shown).
qint64 DefaultDatabaseLength(CChannelDb &db, const ProfileStore &profile, const SaveOptions &options = {});

// Rewrites the node data of an existing ".usd" and keeps everything behind it.
SaveResult SaveUserDatabase(const CChannelDb &db, const QString &path);

// What a ".usd" save keeps of a user database file: everything from its second sub-chunk on
// (empty without one). False when the header points behind the end of the file.
bool UserDatabaseTail(const QByteArray &file, QByteArray &tail);

// Writes the node data followed by the given tail as the ".usd" at path: Save As of a user
// database with the tail of the file it came from. A file at path is replaced as a whole, keeps
// its mode, and is refused when it is not writable.
SaveResult SaveUserDatabaseWithTail(const CChannelDb &db, const QString &path, const QByteArray &tail);

// The ".udf" form: the container (node data and tail) followed by 0xFF up to imageSize bytes, the
// size of the image it replaces. A container larger than imageSize is refused with a message.
SaveResult SaveUserDatabaseImage(const CChannelDb &db, const QString &path, const QByteArray &tail, qint64 imageSize);

// Writes a new ".usd" whose tail is the database's favourite sub-chunk (the default groups
// from the profile when it has none) and its kept sub-chunks; an existing file is replaced.
SaveResult SaveNewUserDatabase(CChannelDb &db, const QString &path, const ProfileStore &profile,
                         const SaveOptions &options = {});

// The favourite sub-chunk (padded to 16) with the kept sub-chunks behind it.
QByteArray BuildFavouriteTail(CChannelDb &db, const ProfileStore &profile);
