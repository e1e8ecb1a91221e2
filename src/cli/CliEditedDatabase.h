// A database file opened by a command that may write a changed copy of it (-o or OUT).
#pragma once

#include "cli/ConsolePrompt.h"
#include "database/CChannelDb.h"
#include "layout/LayoutSet.h"

#include <QByteArray>
#include <QString>

class CliOptions;

// The prompt (answering Yes with --yes), the layouts (--layout or the cache), the database and the
// bytes it was read from, which the writers need for the tail of a ".usd" or the size of a ".udf".
// Not copyable: the database refers to the layouts and the prompt beside it.
class CliEditedDatabase
{
public:
    explicit CliEditedDatabase(const CliOptions &options);
    CliEditedDatabase(const CliEditedDatabase &) = delete;
    CliEditedDatabase &operator=(const CliEditedDatabase &) = delete;

    // Loads the layouts and then the file; false after the reason was printed.
    bool Open(const CliOptions &options, const QString &source);
    // Writes the database as OUT (the writer its extension chooses), prints what OUT holds now,
    // and answers the command's exit code: failed or declined saves write nothing.
    int SaveAs(const QString &source, const QString &out);

    ConsolePrompt prompt;
    LayoutSet layouts;
    CChannelDb db;
    QByteArray sourceBytes;
};

// With -o: empty when its path may be written from `source`, else the usage error. Without -o:
// empty (the command prints what it found and writes nothing).
QString CheckOutputOption(const CliOptions &options, const QString &source);
