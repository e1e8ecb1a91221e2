// SessionBackup: keeping the previous file as NAME.EXT.bak at the first save of a session.
#include "database/SessionBackup.h"

#include "core/UserPrompt.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Copies through a new file renamed over the .bak: an interrupted copy leaves the old .bak.
bool CopyOver(const QString &from, const QString &to, QString &error)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        error = from + QStringLiteral(": ") + source.errorString();
        return false;
    }
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly)) {
        error = to + QStringLiteral(": ") + target.errorString();
        return false;
    }
    char buffer[65536];
    for (;;) {
        const qint64 n = source.read(buffer, sizeof buffer);
        if (n < 0) {
            error = from + QStringLiteral(": ") + source.errorString();
            return false;
        }
        if (n == 0)
            break;
        if (target.write(buffer, n) != n) {
            error = to + QStringLiteral(": ") + target.errorString();
            return false;
        }
    }
    if (!target.commit()) {
        error = to + QStringLiteral(": ") + target.errorString();
        return false;
    }
    return true;
}

} // namespace

QString SessionBackup::BakPathFor(const QString &path)
{
    return path + QStringLiteral(".bak");
}

bool SessionBackup::HasBak(const QString &path)
{
    return QFileInfo(BakPathFor(path)).isFile();
}

void SessionBackup::Open(const QString &path)
{
    m_sessionPath = QFileInfo(path).absoluteFilePath();
    m_saved = false;
}

BakOutcome SessionBackup::BeforeSave(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (absolute != m_sessionPath)
        Open(path); // a save to another name starts that file's session
    if (m_saved || !m_enabled)
        return BakOutcome::NotNeeded;
    const QFileInfo file(absolute);
    if (!file.isFile()) {
        m_saved = true;
        return BakOutcome::NotNeeded;
    }
    const QString bak = BakPathFor(absolute);
    const QFileInfo bakInfo(bak);
    if (bakInfo.exists() && bakInfo.lastModified() > file.lastModified()) {
        const UserPrompt::Answer answer = m_prompt.AskYesNo(
            QStringLiteral("\"%1\" is newer than \"%2\". Replace it with a copy of \"%2\" before saving?")
                .arg(bakInfo.fileName(), file.fileName()));
        if (answer != UserPrompt::Yes) {
            m_saved = true;
            return BakOutcome::KeptOlder;
        }
    }
    QString error;
    if (!CopyOver(absolute, bak, error)) {
        const UserPrompt::Answer answer = m_prompt.AskYesNo(
            QStringLiteral("The previous file could not be kept as \"%1\" (%2). Save anyway?")
                .arg(QFileInfo(bak).fileName(), error));
        if (answer != UserPrompt::Yes)
            return BakOutcome::Abandon;
        m_saved = true;
        return BakOutcome::Skipped;
    }
    m_saved = true;
    return BakOutcome::Kept;
}
