// What stops a transfer's local file from being read or written, found before the receiver is touched.
#pragma once

#include <QString>

// Empty when path names a regular file this process may read, else the reason ("No such file
// or directory", "not a regular file"). Devices and FIFOs are refused without being opened,
// so that a FIFO without a writer cannot hang the check.
QString ReadableFileProblem(const QString &path);

// Empty when a file can be created at path or an existing one replaced: its folder exists, is a
// folder and is writable; the path is not a folder; an existing file is not read-only. Else the
// reason, naming the folder when it is to blame.
QString WritableTargetProblem(const QString &path);
