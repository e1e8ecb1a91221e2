// Saving a changed database with the writer OUT's extension names, as convert does.
#include "cli/CliSave.h"

#include "cli/CliSupport.h"
#include "core/CoreMessages.h"
#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseWriter.h"
#include "database/UdfDatabase.h"

#include <QFileInfo>

#include <cstdio>

namespace {

// Save As of the editor for a ".usd" source: the node data is written in front of the source
// file's tail (its favourite sub-chunk, further sub-chunks and any bytes behind them), into a
// new file that replaces OUT only when it is complete. OUT keeps its mode; a read-only OUT is
// refused, as by every writer.
SaveResult SaveUserCopy(const CChannelDb &db, const QByteArray &sourceBytes, const QString &out, bool sourceIsImage)
{
    QByteArray tail;
    // A ".udf" source ends in erased flash, which is not part of its container.
    if (!(sourceIsImage ? UdfDatabase::ContainerTail(sourceBytes, tail) : UserDatabaseTail(sourceBytes, tail))) {
        db.Prompt().ShowMessage(CoreMessages::DamagedFile());
        return SaveResult::Failed;
    }
    return SaveUserDatabaseWithTail(db, out, tail);
}

// OUT.udf: the container with the source's own tail (favourite and further sub-chunks), then 0xFF
// up to the size of the source .udf, or of the OUT.udf it replaces.
SaveResult SaveUdf(CChannelDb &db, const QString &source, const QByteArray &sourceBytes, const QString &out,
                   const ProfileStore &profile)
{
    if (UdfDatabase::IsUdfPath(source))
        return UdfDatabase::SaveAs(db, out, sourceBytes);
    QByteArray tail;
    if (IsDefaultDatabasePath(source)) {
        tail = BuildFavouriteTail(db, profile);
    } else if (!UserDatabaseTail(sourceBytes, tail)) {
        db.Prompt().ShowMessage(CoreMessages::DamagedFile());
        return SaveResult::Failed;
    }
    return SaveUserDatabaseImage(db, out, tail, QFileInfo(out).size());
}

} // namespace

SaveResult SaveCliOutput(CChannelDb &db, const QString &source, const QByteArray &sourceBytes, const QString &out,
                         const ProfileStore &profile)
{
    if (IsDefaultDatabasePath(out))
        return SaveDefaultDatabase(db, out, profile);
    if (UdfDatabase::IsUdfPath(out))
        return SaveUdf(db, source, sourceBytes, out, profile);
    if (IsDefaultDatabasePath(source))
        return SaveNewUserDatabase(db, out, profile);
    return SaveUserCopy(db, sourceBytes, out, UdfDatabase::IsUdfPath(source));
}

QString CheckCliOutputPath(const QString &source, const QString &out)
{
    if (!IsDefaultDatabasePath(out) && !IsUserDatabasePath(out) && !UdfDatabase::IsUdfPath(out))
        return QStringLiteral("the output file must end in .usd, .ddf or .udf");
    if (UdfDatabase::IsUdfPath(out) && !UdfDatabase::IsUdfPath(source) && !QFileInfo(out).isFile())
        return QStringLiteral("a .udf takes its size from a .udf source or an existing OUT.udf");
    return {};
}

void PrintWritten(const CChannelDb &db, const QString &out)
{
    // The writers leave terrestrial nodes out: the line counts what the file holds.
    const NodeKind kinds[3] = {KindSatellite, KindTransponder, KindProgram};
    int written[3];
    for (int i = 0; i < 3; ++i)
        written[i] = db.LiveCount(kinds[i]) - TerrestrialCount(db, kinds[i]);
    std::printf("%s: %d satellites, %d transponders, %d programs written (%lld bytes)\n", out.toUtf8().constData(),
                written[0], written[1], written[2], static_cast<long long>(QFileInfo(out).size()));
}
