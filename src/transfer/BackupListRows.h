// The texts of the restore dialog's backup list, without a window.
#pragma once

#include "link/BackupCatalog.h"

#include <QString>
#include <QStringList>

// The list's columns, in order.
enum class BackupColumn { Time, TableKey, Size, Chunks, Check, Count };

// The header texts: "Time", "Chunk table", "Size", "Chunks", "CRC".
QStringList BackupColumnTitles();
// One row: "2026-12-09 08:15:02", "1A2B3C4D", "589,952 bytes", "default + user", "good" (or why
// the file cannot be restored).
QStringList BackupRowTexts(const BackupEntry &entry);
// What the dialog says about a folder: how many backups it holds, or that it holds none.
QString BackupFolderText(const QString &folder, size_t count);
