// DownloadJob: the local checks of the file to download, before the port is opened.
#include "link/DownloadFileKind.h"
#include "link/DownloadJob.h"

#include "core/UserPrompt.h"
#include "link/AbsImage.h"
#include "link/DatabaseContainerCheck.h"
#include "link/LocalFileCheck.h"

#include <QFile>

bool DownloadJob::Refuse(const QString &message, const QString &detail)
{
    m_failureDetail = detail;
    return Fail(message);
}

bool DownloadJob::CheckFile(const QString &path)
{
    const DownloadFileKind kind = DownloadFileKindOf(path);
    if (kind == DownloadFileKind::None)
        return Refuse("Unrecognize File Type", QString());
    const QString problem = ReadableFileProblem(path);
    if (!problem.isEmpty())
        return Refuse("Can't Read Select File!", path + ": " + problem);

    if (kind == DownloadFileKind::FlashImage) {
        AbsWalk walk;
        if (WalkAbsChunks(path, walk) == 0)
            return Refuse("Get File blocks error", AbsWalkFailureText(walk));
        if (m_options.loadDefaultDb && !walk.hasDefaultDb)
            return Refuse("The selected file has no default database chunk.", QString());
        if (m_options.loadUserDb && !walk.hasUserDb)
            return Refuse("The selected file has no user database chunk.", QString());
        return true;
    }

    const bool user = kind == DownloadFileKind::UserDatabase;
    const QString invalid = user ? "The selected file is not a valid user database; nothing was sent to the STB."
                                 : "The selected file is not a valid default database; nothing was sent to the STB.";
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Refuse("Can't Read Select File!", path + ": " + file.errorString());
    // No database chunk is larger: one byte more is enough to tell.
    const QByteArray bytes = file.read(qint64(kMaxChunkBytes) + 1);
    if (uint64_t(bytes.size()) > kMaxChunkBytes)
        return Refuse(invalid, QString::asprintf("larger than any database chunk (0x%08X bytes)", unsigned(kMaxChunkBytes)));
    const QString reason = CheckDatabaseContainer(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    if (!reason.isEmpty())
        return Refuse(invalid, reason);
    return true;
}
