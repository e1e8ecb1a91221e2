// Loading a ".usd" or ".ddf" file into the channel database.
#pragma once

#include <QByteArray>
#include <QString>

class CChannelDb;
class ProfileStore;

// Clears the database and fills it from the file; on failure it is left empty. Every refusal is
// explained through the database's prompt. useDefaultFavourites replaces the file's favourite
// groups with the 32 groups named in the profile.
bool LoadDatabase(CChannelDb &db, const QString &path, bool useDefaultFavourites, const ProfileStore &profile);

// The same on the bytes of a file already in memory.
bool LoadDatabaseBytes(CChannelDb &db, const QByteArray &file, bool useDefaultFavourites,
                       const ProfileStore &profile);
