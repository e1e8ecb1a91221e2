// Messages that several parts of the core show, defined once so that they read the same everywhere.
#pragma once

#include <QString>

namespace CoreMessages {

// A database file whose offsets, counts, records or ids do not hold together.
inline QString DamagedFile()
{
    return QStringLiteral("The database file is damaged and cannot be loaded.");
}

inline QString TooLargeFile()
{
    return QStringLiteral("The file is too large to be a channel database.");
}

inline QString LayoutsMissing()
{
    return QStringLiteral("The record layouts are missing or invalid: load a template first.");
}

// The layouts were replaced while a database was loaded in the old ones.
inline QString LayoutsChanged()
{
    return QStringLiteral("The record layouts changed after the database was loaded: open the file again.");
}

inline QString CannotOpen(const QString &path)
{
    return QStringLiteral("Cannot open \"%1\".").arg(path);
}

// A save that did not happen: the file on disk is as it was.
inline QString CannotWrite(const QString &path)
{
    return QStringLiteral("Cannot write \"%1\"; the file is unchanged.").arg(path);
}

inline QString TooManyChunks(int reported)
{
    return QStringLiteral("The STB reports %1 flash chunks; at most 16 are supported.").arg(reported);
}

} // namespace CoreMessages
