// Which files a download takes, by the last three characters of their name (exact lower case).
#pragma once

#include <QString>

enum class DownloadFileKind {
    None,
    DefaultDatabase,  // ".ddf": the default-database chunk
    UserDatabase,     // ".udf": the user-database chunk
    FlashImage,       // ".abs": the chosen database chunks of a whole flash image
};

inline DownloadFileKind DownloadFileKindOf(const QString &path)
{
    const QString ending = path.right(3);
    if (ending == QLatin1String("ddf"))
        return DownloadFileKind::DefaultDatabase;
    if (ending == QLatin1String("udf"))
        return DownloadFileKind::UserDatabase;
    if (ending == QLatin1String("abs"))
        return DownloadFileKind::FlashImage;
    return DownloadFileKind::None;
}

inline bool IsDownloadable(const QString &path)
{
    return DownloadFileKindOf(path) != DownloadFileKind::None;
}
