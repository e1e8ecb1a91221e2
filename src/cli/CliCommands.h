// The commands of dravel-cli; each returns the exit status (0 success, 1 failure, 2 usage).
#pragma once

#include <QStringList>

// File commands.
int RunTemplateCommand(const QStringList &args);
int RunInfoCommand(const QStringList &args);
int RunDumpCommand(const QStringList &args);
int RunConvertCommand(const QStringList &args);
int RunGenerateCommand(const QStringList &args);
int RunDuplicatesCommand(const QStringList &args);
int RunReorderCommand(const QStringList &args);
int RunImportCommand(const QStringList &args);

// Link commands.
int RunAbsCommand(const QStringList &args);
int RunProbeCommand(const QStringList &args);
int RunDownloadCommand(const QStringList &args);
int RunUploadCommand(const QStringList &args);
int RunRestoreCommand(const QStringList &args);
int RunBackupsCommand(const QStringList &args);

enum CliExit { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };
