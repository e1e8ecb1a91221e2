// A ".udf" user database image: the user database container followed by erased flash (0xFF).
#pragma once

#include "database/DatabaseWriter.h"

#include <QByteArray>
#include <QString>

class CChannelDb;

// An upload of the user database gives a ".udf": the container a ".usd" holds, then 0xFF up to
// the size of the receiver's user area. The reader opens it like a ".usd" (it stops at the end
// of the sub-chunk chain); these write it back in the same form and size.
class UdfDatabase
{
public:
    static bool IsUdfPath(const QString &path);
    // The container's part behind the node data: from the second sub-chunk to the end of the
    // chain (zero padding of the last sub-chunk included), without the erased flash behind it.
    // False when the chain runs outside the file.
    static bool ContainerTail(const QByteArray &file, QByteArray &tail);
    // Rewrites the ".udf" at path: its tail and its size are kept.
    static SaveResult Save(const CChannelDb &db, const QString &path);
    // Writes a ".udf" at path with the tail and the size of the ".udf" source.
    static SaveResult SaveAs(const CChannelDb &db, const QString &path, const QByteArray &source);
};
