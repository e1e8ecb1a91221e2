// UploadJob: the target checks, the dump with its range, and a file write that never loses the data.
#include "link/UploadJob.h"

#include "core/UserPrompt.h"
#include "link/CUpgradeLink.h"
#include "link/LocalFileCheck.h"
#include "link/StepMeter.h"
#include "link/TransferObserver.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

using namespace TransferControl;

namespace {

const char kCannotOpen[] = "Can not open file!";

// Written next to the target and renamed over it: a failed write leaves the old file.
bool WriteWhole(const QString &path, const uint8_t *bytes, size_t count, QString &error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(reinterpret_cast<const char *>(bytes), qint64(count)) != qint64(count) || !file.commit()) {
        error = path + ": " + file.errorString();
        return false;
    }
    return true;
}

} // namespace

QString UploadJob::CheckTarget(const QString &path, QString &detail)
{
    const QString ending = path.right(4);
    if (ending != ".abs" && ending != ".udf" && ending != ".ddf")
        return "Incorrect File Name.";
    const QString problem = WritableTargetProblem(path);
    if (!problem.isEmpty()) {
        detail = problem.startsWith('/') ? problem : path + ": " + problem;
        return kCannotOpen;
    }
    return QString();
}

QString UploadJob::RecoveryPathFor(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString base = info.completeBaseName().isEmpty() ? QStringLiteral("upload") : info.completeBaseName();
    const QDir folder = info.absoluteDir();
    for (int n = 1; n < 1000; ++n) {
        const QString name = base + (n == 1 ? QStringLiteral(".recovered") : QStringLiteral(".recovered-%1").arg(n))
                           + (suffix.isEmpty() ? QString() : "." + suffix);
        const QString candidate = folder.filePath(name);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
    return folder.filePath(base + ".recovered");
}

bool UploadJob::DumpAndWrite(uint8_t version, const UploadRange &range)
{
    const LinkCancel cancel = [this] { return m_observer.CancelRequested(); };
    const bool wholeDump = version < 0x20;
    std::vector<uint8_t> buffer(kBufferSize);
    uint32_t length = uint32_t(kBufferSize);
    // The whole flash (length 0) is as large as the receiver's flash type says.
    const uint64_t expected = range.length != 0 && !wholeDump ? range.length
                            : m_flashSize != 0              ? m_flashSize
                                                            : 0x200000;
    StepMeter meter(m_observer, kUploadDumpBar, kUploadDumpPercent, expected);
    const int status = m_link.DumpFlash(buffer.data(), buffer.size(), length, meter.Part(expected), cancel,
                                        range.start, range.length);
    if (status != kLinkOk) {
        m_savedPath.clear();
        return LinkFail(status, "Upload fail");
    }
    m_link.Reboot();

    size_t from = 0;
    size_t count = std::min<size_t>(length, buffer.size());
    if (wholeDump && range.length != 0) {
        // The whole flash came; a database name gets only its database.
        if (uint64_t(range.start) + range.length > count) {
            m_failureDetail = QString::asprintf("the flash (0x%08X bytes) ends before the database range "
                                                "0x%08X..0x%08X", unsigned(count), range.start,
                                                unsigned(uint64_t(range.start) + range.length));
            m_savedPath.clear();
            return Fail("Upload fail");
        }
        from = range.start;
        count = range.length;
    }
    if (!WriteResult(buffer.data() + from, count))
        return false;
    m_observer.ShowControl(kUploadDumpDone);
    return true;
}

bool UploadJob::WriteResult(const uint8_t *bytes, size_t count)
{
    QString error;
    if (WriteWhole(m_savedPath, bytes, count, error))
        return true;
    m_failureDetail = error;
    // The receiver has been read and restarted: the data must survive the failed write.
    QString recovery = RecoveryPathFor(m_savedPath);
    QString ignored;
    if (!WriteWhole(recovery, bytes, count, ignored)) {
        recovery = RecoveryPathFor(QDir(QDir::tempPath()).filePath(QFileInfo(m_savedPath).fileName()));
        if (!WriteWhole(recovery, bytes, count, ignored))
            recovery.clear();
    }
    m_savedPath.clear();
    m_recoveredPath = recovery;
    const QString message = recovery.isEmpty() ? QString(kCannotOpen)
                                               : QString(kCannotOpen) + "\nThe uploaded data was saved as " + recovery + ".";
    m_prompt.ShowMessageBox(UserPrompt::Message {message, "Warning", UserPrompt::Exclamation, m_failureDetail});
    return false;
}
