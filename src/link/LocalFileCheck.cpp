// Readable-source and writable-target checks: POSIX status and access rights, elsewhere QFileInfo.
#include "link/LocalFileCheck.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

#ifdef Q_OS_UNIX

QString ReadableFileProblem(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return ErrnoText(errno);
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("is a folder");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("not a regular file");
    if (::access(native.constData(), R_OK) != 0)
        return ErrnoText(errno);
    return QString();
}

QString WritableTargetProblem(const QString &path)
{
    const QFileInfo info(path);
    if (info.fileName().isEmpty())
        return QStringLiteral("no file name");
    const QString folder = info.absolutePath();
    const QByteArray nativeFolder = QFile::encodeName(folder);
    struct stat st {};
    if (::stat(nativeFolder.constData(), &st) != 0)
        return folder + QStringLiteral(": ") + ErrnoText(errno);
    if (!S_ISDIR(st.st_mode))
        return folder + QStringLiteral(": not a folder");
    if (::access(nativeFolder.constData(), W_OK | X_OK) != 0)
        return folder + QStringLiteral(": ") + ErrnoText(errno);
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return QStringLiteral("is a folder");
        if (!S_ISREG(st.st_mode))
            return QStringLiteral("not a regular file");
        // Read-only files are kept, as the database writers keep them, even for root.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(native.constData(), W_OK) != 0)
            return QStringLiteral("the file is read-only");
    }
    return QString();
}

#else

// Without POSIX access rights: what QFileInfo tells from the file system's own view.
QString ReadableFileProblem(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return ErrnoText(ENOENT);
    if (info.isDir())
        return QStringLiteral("is a folder");
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    if (!info.isReadable())
        return ErrnoText(EACCES);
    return QString();
}

QString WritableTargetProblem(const QString &path)
{
    const QFileInfo info(path);
    if (info.fileName().isEmpty())
        return QStringLiteral("no file name");
    const QString folder = info.absolutePath();
    const QFileInfo folderInfo(folder);
    if (!folderInfo.exists())
        return folder + QStringLiteral(": ") + ErrnoText(ENOENT);
    if (!folderInfo.isDir())
        return folder + QStringLiteral(": not a folder");
    if (!folderInfo.isWritable())
        return folder + QStringLiteral(": ") + ErrnoText(EACCES);
    if (info.exists()) {
        if (info.isDir())
            return QStringLiteral("is a folder");
        if (!info.isFile())
            return QStringLiteral("not a regular file");
        if (!info.isWritable())
            return QStringLiteral("the file is read-only");
    }
    return QString();
}

#endif
