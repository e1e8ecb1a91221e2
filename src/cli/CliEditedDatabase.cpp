// A database file opened by a command that may write a changed copy of it.
#include "cli/CliEditedDatabase.h"

#include "cli/CliOptions.h"
#include "cli/CliSave.h"
#include "cli/CliSupport.h"

CliEditedDatabase::CliEditedDatabase(const CliOptions &options)
    : prompt(options.Has(QStringLiteral("--yes")))
    , db(layouts, prompt)
{
}

bool CliEditedDatabase::Open(const CliOptions &options, const QString &source)
{
    return LoadCliLayouts(options, layouts, prompt) && LoadCliDatabase(db, source, &sourceBytes);
}

QString CheckOutputOption(const CliOptions &options, const QString &source)
{
    if (!options.Has(QStringLiteral("-o")))
        return QString();
    return CheckCliOutputPath(source, options.Value(QStringLiteral("-o")));
}
