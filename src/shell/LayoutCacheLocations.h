// Where the layout cache "script.ini" is looked for and written: beside the program, per user, installed.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The folders that can hold a cache. Empty entries are skipped.
struct LayoutCacheFolders
{
    QString programDir;    // the folder of the running program
    QString appDataDir;    // the user's application-data folder (QStandardPaths::AppDataLocation)
    QString installedDir;  // the shared data folder of an installed program (<prefix>/share/dravel)
};

struct LayoutCachePlan
{
    QString shownPath;       // the path the messages name: the cache beside the program
    QStringList readOrder;   // the caches to try, first one that opens wins
    QString writePath;       // where a newly parsed template is cached
};

// Read order: beside the program, the user's folder, the installed data folder. A new cache goes
// beside the program when that folder is writable, else into the user's folder (which need not
// exist yet). An empty program folder gives an empty plan: the caller reports it.
LayoutCachePlan PlanLayoutCache(const LayoutCacheFolders &folders,
                                const std::function<bool(const QString &dir)> &isWritableDir);

// The folders of the running program: its own folder, AppDataLocation, and ../share/dravel.
LayoutCacheFolders RunningProgramCacheFolders();

// True when a file can be created in the folder (tests whether a file may be made there).
bool IsWritableFolder(const QString &dir);
