// Test helpers: a temporary directory and small file utilities.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

inline bool WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

inline QByteArray ReadFileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Runs the test body inside its own working directory, so "parse.input" lands there.
class ScopedWorkingDir
{
public:
    ScopedWorkingDir() : m_old(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~ScopedWorkingDir() { QDir::setCurrent(m_old); }
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QString Dir() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_old;
};

inline QString BundledTemplatePath()
{
    return QStringLiteral(DRAVEL_SOURCE_DIR "/resources/templates/dravel-stb.h");
}
