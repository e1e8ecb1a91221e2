// DownloadJob: the backup before anything is loaded, the ".udf" head, and the verify after the burn.
#include "link/DownloadJob.h"

#include "core/UserPrompt.h"
#include "link/CUpgradeLink.h"
#include "link/FlashBackup.h"
#include "link/FlashRangeReader.h"
#include "link/LinkFailureDetail.h"
#include "link/StepMeter.h"
#include "link/TransferObserver.h"

#include <QDateTime>

using namespace TransferControl;

namespace {

const char kBackupFailed[] = "Backup fail: nothing was loaded into the STB.";

// The range of a chunk that its data buffer covers, from its header on.
bool RangeOf(uint64_t address, size_t bytes, FlashRange &range)
{
    if (bytes == 0 || address + bytes > 0xFFFFFFFFu)
        return false;
    range.start = uint32_t(address);
    range.length = uint32_t(bytes);
    return true;
}

} // namespace

bool VerifyIgnoresHeaderByte(size_t offset)
{
    return (offset >= 12 && offset < 16) || (offset >= 64 && offset < kChunkHeaderSize);
}

bool DownloadJob::SafetyFail(int status, const QString &message)
{
    m_failureStatus = status;
    if (m_failureDetail.isEmpty())
        m_failureDetail = LinkFailureDetail(m_link, status);
    return Fail(message);
}

bool DownloadJob::BackupChunks()
{
    m_backupUserChunk.clear();
    const std::vector<uint64_t> addresses = ChunkAddresses(m_chunks);
    std::vector<size_t> indexes;
    std::vector<FlashRange> ranges;
    for (size_t i = 0; i < m_chunks.size(); ++i) {
        if (m_chunks[i].data.empty())
            continue;
        FlashRange range;
        if (!RangeOf(addresses[i], m_chunks[i].data.size(), range)) {
            m_failureDetail = QString::asprintf("chunk 0x%08X lies beyond the 4 GB the link can address", m_chunks[i].id);
            return Fail(kBackupFailed);
        }
        indexes.push_back(i);
        ranges.push_back(range);
    }
    if (indexes.empty())
        return true; // nothing will be replaced
    m_observer.ShowControl(kDownloadBackupStep);
    m_observer.ShowControl(kDownloadBackupBar);
    m_observer.ShowControl(kDownloadBackupPercent);
    m_observer.SetProgress(kDownloadBackupBar, kDownloadBackupPercent, 0);
    StepMeter meter(m_observer, kDownloadBackupBar, kDownloadBackupPercent, FlashRangeBytes(ranges));
    std::vector<std::vector<uint8_t>> dumped;
    const int status = ReadFlashRanges(m_link, ranges, dumped, meter, [this] { return Cancelled(); });
    if (status != kLinkOk)
        return SafetyFail(status, kBackupFailed);

    std::vector<BackupChunk> chunks;
    for (size_t k = 0; k < indexes.size(); ++k)
        chunks.push_back(BackupChunk {m_chunks[indexes[k]], std::move(dumped[k])});
    const QString key = FlashBackup::TableKey(m_chunks);
    const QDateTime now = QDateTime::currentDateTime();
    QString error;
    const QByteArray bytes = FlashBackup::Build(chunks, key, now, error);
    if (bytes.isEmpty()) {
        m_failureDetail = error;
        return Fail(kBackupFailed);
    }
    const QString folder = m_options.backupFolder.isEmpty() ? FlashBackup::DefaultFolder() : m_options.backupFolder;
    QString path;
    if (!FlashBackup::Write(folder, FlashBackup::FileName(key, now), bytes, path, error)) {
        m_failureDetail = error;
        return Fail(kBackupFailed);
    }
    m_backupPath = path;
    for (size_t k = 0; k < indexes.size(); ++k)
        if (int(indexes[k]) == m_userIndex)
            m_backupUserChunk = std::move(chunks[k].bytes);
    m_observer.ShowControl(kDownloadBackupDone);
    return true;
}

bool DownloadJob::FillUserHead()
{
    if (!m_userHeadWanted || m_userIndex < 0)
        return true;
    std::vector<uint8_t> &target = m_chunks[size_t(m_userIndex)].data;
    const size_t headEnd = kChunkHeaderSize + kUdfContentOffset;
    if (target.size() < headEnd)
        return Fail("Can't Read Select File!");
    std::vector<uint8_t> head;
    if (m_backupUserChunk.size() >= headEnd) {
        head = m_backupUserChunk;
    } else {
        FlashRange range;
        const uint64_t address = ChunkAddresses(m_chunks)[size_t(m_userIndex)];
        if (!RangeOf(address, headEnd, range)) {
            m_failureDetail = "the user database chunk lies beyond the 4 GB the link can address";
            return Fail("Download sdram fail.");
        }
        m_observer.ShowControl(kDownloadBackupStep);
        m_observer.SetControlText(kDownloadBackupStep, "Reading the start of the user database");
        m_observer.ShowControl(kDownloadBackupBar);
        m_observer.ShowControl(kDownloadBackupPercent);
        StepMeter meter(m_observer, kDownloadBackupBar, kDownloadBackupPercent, range.length);
        std::vector<std::vector<uint8_t>> dumped;
        const int status = ReadFlashRanges(m_link, {range}, dumped, meter, [this] { return Cancelled(); });
        if (status != kLinkOk)
            return SafetyFail(status, "Download sdram fail.");
        head = std::move(dumped.front());
        m_observer.ShowControl(kDownloadBackupDone);
    }
    std::copy(head.begin() + kChunkHeaderSize, head.begin() + headEnd, target.begin() + kChunkHeaderSize);
    return true;
}

bool DownloadJob::VerifyBurn()
{
    const std::vector<uint64_t> addresses = ChunkAddresses(m_chunks);
    std::vector<size_t> indexes;
    std::vector<FlashRange> ranges;
    for (size_t i = 0; i < m_chunks.size(); ++i) {
        FlashRange range;
        if (!m_chunks[i].data.empty() && RangeOf(addresses[i], m_chunks[i].data.size(), range)) {
            indexes.push_back(i);
            ranges.push_back(range);
        }
    }
    const QString backupLine = m_backupPath.isEmpty()
                                   ? QStringLiteral("\nNo backup was made of the previous contents.")
                                   : QStringLiteral("\nThe previous contents are in the backup ") + m_backupPath;
    m_observer.ShowControl(kDownloadVerifyStep);
    m_observer.ShowControl(kDownloadVerifyBar);
    m_observer.ShowControl(kDownloadVerifyPercent);
    m_observer.SetProgress(kDownloadVerifyBar, kDownloadVerifyPercent, 0);
    StepMeter meter(m_observer, kDownloadVerifyBar, kDownloadVerifyPercent, FlashRangeBytes(ranges));
    std::vector<std::vector<uint8_t>> dumped;
    const int status = ReadFlashRanges(m_link, ranges, dumped, meter, [this] { return Cancelled(); });
    if (status != kLinkOk)
        return SafetyFail(status, "Verify fail: the flash was burnt but could not be read back." + backupLine);
    for (size_t k = 0; k < indexes.size(); ++k) {
        const std::vector<uint8_t> &sent = m_chunks[indexes[k]].data;
        const std::vector<uint8_t> &back = dumped[k];
        for (size_t offset = 0; offset < sent.size(); ++offset) {
            if (offset < kChunkHeaderSize && VerifyIgnoresHeaderByte(offset))
                continue;
            if (offset >= back.size() || back[offset] != sent[offset]) {
                m_failureDetail = QString::asprintf("flash 0x%08X holds 0x%02X where 0x%02X was sent",
                                                    unsigned(ranges[k].start + offset),
                                                    offset < back.size() ? back[offset] : 0u, sent[offset]);
                return Fail(QString::asprintf("Verify failed: chunk 0x%08X, offset 0x%08X", m_chunks[indexes[k]].id,
                                              unsigned(offset))
                            + backupLine);
            }
        }
    }
    m_observer.ShowControl(kDownloadVerifyDone);
    return true;
}
