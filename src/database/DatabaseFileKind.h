// The kind of database file a path names, decided by its ending in one place.
#pragma once

#include <QString>

enum class DatabaseFileKind {
    None,     // not a database the editor opens
    User,     // ".usd"
    Default,  // ".ddf"
};

// By the last three characters of the path, in any case.
inline DatabaseFileKind FileKindOfPath(const QString &path)
{
    const QString ending = path.right(3);
    if (ending.compare(QLatin1String("usd"), Qt::CaseInsensitive) == 0)
        return DatabaseFileKind::User;
    if (ending.compare(QLatin1String("ddf"), Qt::CaseInsensitive) == 0)
        return DatabaseFileKind::Default;
    return DatabaseFileKind::None;
}
