// Helpers shared by the file commands: usage errors, help, layouts, database kinds.
#pragma once

#include <QString>

class CliOptions;
class LayoutSet;
class UserPrompt;

// Prints "dravel-cli: error" and the command's usage on stderr; returns the usage exit status.
int UsageError(const char *usage, const QString &error);
// Prints the command's usage on stdout; returns success.
int PrintHelp(const char *usage);
// Prints a failure of the command itself on stderr; returns the failure exit status.
int Failure(const QString &message);

// The layouts for a command: from --layout (a "script.ini" cache or a template header), else
// from the "script.ini" beside the program. False, with the reason shown, when no usable
// transponder, satellite and program layouts were found.
bool LoadCliLayouts(const CliOptions &options, LayoutSet &layouts, UserPrompt &prompt);
// The cache the programs read at start: "script.ini" in the program's directory.
QString DefaultLayoutCachePath();

// ".ddf" or ".usd" by the path's extension, case-insensitive.
bool IsDefaultDatabasePath(const QString &path);
bool IsUserDatabasePath(const QString &path);

class CChannelDb;

// Loads a database for a command. The file's own favourite groups are kept (the editor's open
// command replaces those of a ".usd" with the profile's; a command-line tool shows the file).
bool LoadCliDatabase(CChannelDb &db, const QString &path);
