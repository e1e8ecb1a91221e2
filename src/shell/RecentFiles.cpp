// Keeping the recently used files in the settings store.
#include "shell/RecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kKey = QStringLiteral("Recent Files/Files");

// The same file under two spellings ("a/../b.usd", a relative path) is one entry.
QString Normal(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QStringList RecentFiles::WithFile(QStringList list, const QString &path)
{
    const QString entry = Normal(path);
    list.removeAll(entry);
    list.prepend(entry);
    while (list.size() > kMaxCount)
        list.removeLast();
    return list;
}

QStringList RecentFiles::Load()
{
    QStringList list = QSettings().value(kKey).toStringList();
    while (list.size() > kMaxCount)
        list.removeLast();
    return list;
}

void RecentFiles::Store(const QStringList &list)
{
    QSettings().setValue(kKey, list);
}

void RecentFiles::Add(const QString &path)
{
    Store(WithFile(Load(), path));
}
