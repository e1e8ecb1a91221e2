// Where the layout cache is read and written; no window involved, so it is tested on its own.
#include "shell/LayoutCacheLocations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

const QString kCacheName = QStringLiteral("script.ini");

QString CacheIn(const QString &dir)
{
    return QDir(dir).filePath(kCacheName);
}

} // namespace

LayoutCachePlan PlanLayoutCache(const LayoutCacheFolders &folders,
                                const std::function<bool(const QString &dir)> &isWritableDir)
{
    LayoutCachePlan plan;
    if (folders.programDir.isEmpty())
        return plan;
    plan.shownPath = CacheIn(folders.programDir);
    plan.readOrder << plan.shownPath;
    for (const QString &dir : {folders.appDataDir, folders.installedDir}) {
        if (dir.isEmpty())
            continue;
        const QString path = CacheIn(dir);
        if (!plan.readOrder.contains(path))
            plan.readOrder << path;
    }
    if (isWritableDir(folders.programDir) || folders.appDataDir.isEmpty())
        plan.writePath = plan.shownPath;
    else
        plan.writePath = CacheIn(folders.appDataDir);
    return plan;
}

LayoutCacheFolders RunningProgramCacheFolders()
{
    LayoutCacheFolders folders;
    folders.programDir = QCoreApplication::applicationDirPath();
    folders.appDataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!folders.programDir.isEmpty())
        folders.installedDir = QDir::cleanPath(folders.programDir + QStringLiteral("/../share/dravel"));
    return folders;
}

bool IsWritableFolder(const QString &dir)
{
    const QFileInfo info(dir);
    if (!info.isDir())
        return false;
    // The permission bits do not tell about read-only mounts or ACLs: try it.
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".dravel-write-XXXXXX")));
    return probe.open();
}
