// The list of files opened last, kept in the settings store (File → Recent Files).
#pragma once

#include <QStringList>

namespace RecentFiles {

constexpr int kMaxCount = 10;

// The list with `path` first, an older entry of the same file dropped, at most kMaxCount long.
QStringList WithFile(QStringList list, const QString &path);

// The list as the settings store keeps it ("Recent Files/Files"), and storing a new one.
QStringList Load();
void Store(const QStringList &list);
// Puts a file that was opened or saved at the top of the stored list.
void Add(const QString &path);

} // namespace RecentFiles
