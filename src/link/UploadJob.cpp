// UploadJob: the upload sequence, its flash range choice and the atomic file write.
#include "link/UploadJob.h"

#include "core/CoreMessages.h"
#include "core/UserPrompt.h"
#include "link/CUpgradeLink.h"
#include "link/DownloadJob.h"
#include "link/LinkFailureDetail.h"
#include "link/TransferObserver.h"

#include <chrono>
#include <thread>

using namespace TransferControl;

const char *const UploadJob::kCaption = "Upload (STB --> PC)";

UploadJob::UploadJob(CUpgradeLink &link, UserPrompt &prompt, TransferObserver &observer)
    : m_link(link), m_prompt(prompt), m_observer(observer)
{
}

bool UploadJob::Fail(const QString &message)
{
    if (!m_observer.CancelRequested())
        m_prompt.ShowMessageWithDetail(message, m_failureDetail);
    return false;
}

QString UploadJob::FilterFor(uint8_t version)
{
    return version >= 0x21 ? "User Database(*.udf)|Default Database(*.ddf)|All Code(*.abs)|" : "All Code(*.abs)|";
}

QString UploadJob::CompleteSavedPath(const QString &path)
{
    return path.size() <= 4 ? path + ".abs" : path;
}

QString UploadJob::ChooseRange(const QString &path, const StbInfo &info, UploadRange &range)
{
    const QString ending = path.right(4);
    if (ending == ".abs") {
        range = UploadRange {0, 0};
        return QString();
    }
    if (ending != ".udf" && ending != ".ddf")
        return "Incorrect File Name.";
    const bool user = ending == ".udf";
    const uint32_t wanted = user ? kUserDbChunkId : kDefaultDbChunkId;
    // Each chunk's flash address is the sum of the sizes before it.
    uint64_t address = 0;
    for (const ChunkInfo &chunk : info.chunks) {
        if (chunk.id == wanted) {
            const uint64_t skip = user ? 0x20080 : kChunkHeaderSize;
            const uint64_t extent = user ? uint64_t(chunk.length) + 16 : chunk.size;
            // A length of 0 would ask for the whole flash instead of the database.
            if (extent <= skip || address + extent > 0xFFFFFFFFu)
                return user ? "The STB's user database chunk is too small to upload."
                            : "The STB's default database chunk is too small to upload.";
            range.start = uint32_t(address + skip);
            range.length = uint32_t(extent - skip);
            return QString();
        }
        address += chunk.size;
    }
    return user ? "The STB reports no user database chunk (0x04FB0100)."
                : "The STB reports no default database chunk (0x03FC0100).";
}

bool UploadJob::LinkFail(int status, const QString &message)
{
    m_failureStatus = status;
    if (m_failureDetail.isEmpty())
        m_failureDetail = LinkFailureDetail(m_link, status);
    return Fail(message);
}

bool UploadJob::Run(const UploadOptions &options, const SavePathChooser &choosePath)
{
    m_savedPath.clear();
    m_recoveredPath.clear();
    m_failureDetail.clear();
    m_failureStatus = 0;
    if (!options.targetPath.isEmpty()) {
        // Known up front: a target that cannot be written never reaches the receiver.
        const QString refusal = CheckTarget(CompleteSavedPath(options.targetPath), m_failureDetail);
        if (!refusal.isEmpty()) {
            if (refusal == "Can not open file!")
                m_prompt.ShowMessageBox(UserPrompt::Message {refusal, "Warning", UserPrompt::Exclamation, m_failureDetail});
            else
                m_prompt.ShowMessage(refusal);
            m_observer.RequestClose();
            return false;
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(m_startDelayMs));
    if (OpenLinkPort(m_link, options.port) != kLinkOk) {
        m_failureDetail = PortOpenFailureDetail(m_link);
        m_prompt.ShowMessageWithDetail("can not open port", m_failureDetail);
        m_observer.RequestClose();
        return false;
    }
    if (Steps(options, choosePath)) {
        m_link.LinkClosePort();
        m_observer.SetButtonEnabled(kCancel, false);
        m_observer.SetButtonEnabled(kOk, true);
        return true;
    }
    m_observer.RequestClose();
    m_link.LinkClosePort();
    return false;
}

bool UploadJob::Steps(const UploadOptions &options, const SavePathChooser &choosePath)
{
    const LinkCancel cancel = [this] { return m_observer.CancelRequested(); };
    m_observer.ShowControl(kUploadTestStep);
    uint32_t version = 0;
    int status = m_link.TestConnection(version, LinkProgress(), cancel);
    if (status != kLinkOk)
        return LinkFail(status, "Fail to test port.");
    m_link.SetProtocolVersion(uint8_t(version));
    m_observer.ShowControl(kUploadTestDone);

    StbInfo info;
    status = m_link.GetStbInfo(version, info);
    if (status != kLinkOk) {
        if (info.reportedChunks > kMaxStbChunks)
            return Fail(CoreMessages::TooManyChunks(info.reportedChunks));
        return LinkFail(status, "Fail to get version.");
    }
    const uint8_t effective = EffectiveVersion(version, options.transferFormat);
    m_link.SetProtocolVersion(effective);
    m_flashSize = info.flashSize;
    m_observer.SetCaption(CaptionWithVersion(kCaption, effective));
    if (m_observer.CancelRequested())
        return false;

    const QString filter = FilterFor(effective);
    m_observer.ShowControl(kUploadTestDone);
    m_observer.ShowControl(kUploadDumpStep);
    m_observer.ShowControl(kUploadDumpBar);
    m_observer.ShowControl(kUploadDumpPercent);
    m_observer.SetProgress(kUploadDumpBar, kUploadDumpPercent, 0);

    std::optional<QString> chosen = options.targetPath.isEmpty()
                                        ? (choosePath ? choosePath(filter) : std::nullopt)
                                        : std::optional<QString>(options.targetPath);
    if (!chosen || chosen->isEmpty())
        return false;
    m_savedPath = CompleteSavedPath(*chosen);

    QString refusal = CheckTarget(m_savedPath, m_failureDetail);
    if (refusal.isEmpty()) {
        UploadRange range;
        refusal = ChooseRange(m_savedPath, info, range);
        if (refusal.isEmpty())
            return DumpAndWrite(effective, range);
    }
    // Nothing was read: restart the receiver rather than leave it waiting in its upgrade mode.
    m_link.Reboot();
    m_savedPath.clear();
    if (refusal == "Can not open file!") {
        if (!m_observer.CancelRequested())
            m_prompt.ShowMessageBox(UserPrompt::Message {refusal, "Warning", UserPrompt::Exclamation, m_failureDetail});
        return false;
    }
    return Fail(refusal);
}
