// Saving a changed database under a new name, with the writer the name's extension chooses.
#pragma once

#include <QByteArray>
#include <QString>

class CChannelDb;
class ProfileStore;
enum class SaveResult;

// Writes db as OUT: ".ddf" as a default database, ".udf" as an image the size of the source .udf
// (or of the OUT.udf it replaces), ".usd" with the source's favourite and further sub-chunks
// when the source is a ".usd"/".udf", else with the database's favourite groups. sourceBytes are
// the bytes the database was loaded from.
SaveResult SaveCliOutput(CChannelDb &db, const QString &source, const QByteArray &sourceBytes, const QString &out,
                         const ProfileStore &profile);

// Empty when OUT may be written by a command that changes its input: it ends in .usd, .ddf or
// .udf (a .udf only from a .udf source or over an existing one); otherwise the usage error.
QString CheckCliOutputPath(const QString &source, const QString &out);

// The line a command prints after writing OUT: what the file holds now.
void PrintWritten(const CChannelDb &db, const QString &out);
