// Helpers shared by the file commands: usage errors, help, layouts, database kinds.
#pragma once

#include "layout/NodeKind.h"

#include <QString>

class CliOptions;
class LayoutSet;
class UserPrompt;

// Prints "dravel-cli: error" and, on a second line, "see `dravel-cli CMD --help`" on stderr, CMD
// taken from the usage text ("usage: dravel-cli CMD ..."); returns the usage exit status.
int UsageError(const char *usage, const QString &error);
// The same for a command named directly; an empty command points to `dravel-cli --help`.
int CommandUsageError(const QString &command, const QString &error);
// The command a usage text is about: the word after "usage: dravel-cli ", empty when there is none.
QString UsageCommand(const char *usage);
// Prints the command's usage on stdout; returns success.
int PrintHelp(const char *usage);
// Prints a failure of the command itself on stderr (a progress bar's line ended first; further
// lines of the message, the reason, indented); returns the failure exit status.
int Failure(const QString &message);

// After a command: everything it wrote to stdout must have reached it. A write error (a full
// disk, a closed pipe) is reported with the system's reason and turns the status into failure.
int CheckStandardOutput(int status);
// Writes bytes to stdout, keeping the system's reason of a failed write for CheckStandardOutput.
void WriteStandardOutput(const QByteArray &bytes);

// The layouts for a command: from --layout (a "script.ini" cache or a template header), else
// from the "script.ini" beside the program, else from the installed one. False, with the reason
// shown, when no usable transponder, satellite and program layouts were found.
bool LoadCliLayouts(const CliOptions &options, LayoutSet &layouts, UserPrompt &prompt);
// The cache the programs read at start: "script.ini" in the program's directory.
QString DefaultLayoutCachePath();
// The cache of an installed program: <prefix>/share/dravel/script.ini, from <prefix>/bin.
QString InstalledLayoutCachePath();

// ".ddf" or ".usd" by the path's extension, case-insensitive.
bool IsDefaultDatabasePath(const QString &path);
bool IsUserDatabasePath(const QString &path);

class CChannelDb;

// Loads a database for a command. The file's own favourite groups are kept (the editor's open
// command replaces those of a ".usd" with the profile's; a command-line tool shows the file).
// fileBytes, when given, receives the bytes read (the file is read once: it may be a pipe).
bool LoadCliDatabase(CChannelDb &db, const QString &path, QByteArray *fileBytes = nullptr);

// Live nodes of a kind whose satellite id is 255 (the terrestrial ones).
int TerrestrialCount(const CChannelDb &db, NodeKind kind);
