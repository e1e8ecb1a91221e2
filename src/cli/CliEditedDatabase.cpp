// A database file opened by a command that may write a changed copy of it.
#include "cli/CliEditedDatabase.h"

#include "cli/CliOptions.h"
#include "cli/CliSave.h"
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"
#include "database/DatabaseWriter.h"
#include "database/SettingsProfileStore.h"

CliEditedDatabase::CliEditedDatabase(const CliOptions &options)
    : prompt(options.Has(QStringLiteral("--yes")))
    , db(layouts, prompt)
{
}

bool CliEditedDatabase::Open(const CliOptions &options, const QString &source)
{
    return LoadCliLayouts(options, layouts, prompt) && LoadCliDatabase(db, source, &sourceBytes);
}

int CliEditedDatabase::SaveAs(const QString &source, const QString &out)
{
    SettingsProfileStore profile;
    const SaveResult result = SaveCliOutput(db, source, sourceBytes, out, profile);
    if (result == SaveResult::Failed)
        return ExitFailed;
    if (result == SaveResult::Declined)
        return Failure(QStringLiteral("Nothing was written to \"%1\".").arg(out));
    PrintWritten(db, out);
    return ExitOk;
}

QString CheckOutputOption(const CliOptions &options, const QString &source)
{
    if (!options.Has(QStringLiteral("-o")))
        return QString();
    return CheckCliOutputPath(source, options.Value(QStringLiteral("-o")));
}
