// DownloadJob: the download sequence and the chunk walk of the SDRAM load.
#include "link/DownloadJob.h"

#include "core/CoreMessages.h"
#include "core/UserPrompt.h"
#include "link/CUpgradeLink.h"
#include "link/LinkFailureDetail.h"
#include "link/StepMeter.h"
#include "link/TransferObserver.h"

#include <chrono>
#include <thread>

using namespace TransferControl;

const char *const DownloadJob::kCaption = "Download (PC --> STB)";

QString CaptionWithVersion(const QString &caption, uint8_t version)
{
    return QString::asprintf("%s (Transfer protocol version: %d.%d)", caption.toUtf8().constData(),
                             version >> 4, version & 15);
}

uint8_t EffectiveVersion(uint32_t reported, int transferFormat)
{
    if (reported == 0)
        return transferFormat == 2 ? 0x20 : 0x10;
    return reported > 0xFF ? 0xFF : uint8_t(reported);
}

DownloadJob::DownloadJob(CUpgradeLink &link, UserPrompt &prompt, TransferObserver &observer)
    : m_link(link), m_prompt(prompt), m_observer(observer)
{
}

bool DownloadJob::Cancelled() const
{
    return m_observer.CancelRequested();
}

bool DownloadJob::Fail(const QString &message)
{
    if (!Cancelled())
        m_prompt.ShowMessageWithDetail(message, m_failureDetail);
    return false;
}

void DownloadJob::FreeBuffers()
{
    for (auto &chunk : m_chunks)
        std::vector<uint8_t>().swap(chunk.data);
}

uint32_t DownloadJob::StbDefaultSize() const
{
    return m_defaultIndex >= 0 ? m_chunks[size_t(m_defaultIndex)].size : 0;
}

uint64_t DownloadJob::StbUserSize() const
{
    return m_userIndex >= 0 ? uint64_t(m_chunks[size_t(m_userIndex)].length) + 16 : 0;
}

uint64_t DownloadJob::StbUserArea() const
{
    const uint64_t skip = kChunkHeaderSize + kUdfContentOffset;
    return StbUserSize() > skip ? StbUserSize() - skip : 0;
}

bool DownloadJob::TakeStbTable(const StbInfo &info)
{
    m_chunks = info.chunks;
    for (auto &chunk : m_chunks)
        chunk.data.clear();
    m_defaultIndex = info.FindChunk(kDefaultDbChunkId);
    m_userIndex = info.FindChunk(kUserDbChunkId);
    // Rebuilding the flash without one of the databases would wipe it: refuse up front.
    if (m_defaultIndex < 0)
        return Fail("The STB reports no default database chunk (0x03FC0100); nothing was sent to it.");
    if (m_userIndex < 0)
        return Fail("The STB reports no user database chunk (0x04FB0100); nothing was sent to it.");
    m_defaultHeader = ChunkHeader::Build(m_chunks[size_t(m_defaultIndex)]);
    m_userHeader = ChunkHeader::Build(m_chunks[size_t(m_userIndex)]);
    return true;
}

bool DownloadJob::LinkFail(int status, const QString &message)
{
    m_failureStatus = status;
    if (m_failureDetail.isEmpty())
        m_failureDetail = LinkFailureDetail(m_link, status);
    return Fail(message);
}

bool DownloadJob::Run(const QString &path, const DownloadOptions &options)
{
    m_options = options;
    m_failureDetail.clear();
    m_failureStatus = 0;
    m_backupPath.clear();
    m_burnt = false;
    if (!CheckFile(path)) {
        m_observer.RequestClose();
        return false;
    }
    if (OpenLinkPort(m_link, options.port) != kLinkOk) {
        m_failureDetail = PortOpenFailureDetail(m_link);
        m_prompt.ShowMessageWithDetail("can not open port", m_failureDetail);
        m_observer.RequestClose();
        return false;
    }
    const LinkCancel cancel = [this] { return Cancelled(); };
    bool ok = [&] {
        m_observer.ShowControl(kDownloadTestStep);
        uint32_t version = 0;
        int status = m_link.TestConnection(version, LinkProgress(), cancel);
        if (status != kLinkOk)
            return LinkFail(status, "Fail to test port.");
        m_link.SetProtocolVersion(uint8_t(version));
        m_observer.ShowControl(kDownloadTestDone);

        m_observer.ShowControl(kDownloadInfoStep);
        StbInfo info;
        status = m_link.GetStbInfo(version, info);
        if (status != kLinkOk) {
            if (info.reportedChunks > kMaxStbChunks)
                return Fail(CoreMessages::TooManyChunks(info.reportedChunks));
            return LinkFail(status, "Fail to get version.");
        }
        const uint8_t effective = EffectiveVersion(version, options.transferFormat);
        m_link.SetProtocolVersion(effective);
        m_observer.SetCaption(CaptionWithVersion(kCaption, effective));
        if (!TakeStbTable(info))
            return false;
        m_observer.ShowControl(kDownloadInfoDone);

        if (!PrepareDownloadData(path))
            return false;
        // Nothing has been loaded into the receiver yet: a backup that fails stops here.
        if (m_options.backup && !BackupChunks())
            return false;
        if (!FillUserHead())
            return false;
        status = m_link.SetAddress(0);
        if (status != kLinkOk) {
            m_failureStatus = status;
            m_failureDetail = LinkFailureDetail(m_link, status);
            m_prompt.ShowMessageWithDetail("Set address fail", m_failureDetail);
            return false;
        }
        status = LoadToSdram();
        if (status != kLinkOk)
            return LinkFail(status, "Download sdram fail.");

        m_observer.ShowControl(kDownloadBurnStep);
        m_observer.ShowControl(kDownloadBurnBar);
        m_observer.ShowControl(kDownloadBurnPercent);
        // The burn reports kilobytes of a 2 MB whole: the rate line counts in the same bytes.
        StepMeter burnMeter(m_observer, kDownloadBurnBar, kDownloadBurnPercent, 0x200000);
        status = m_link.BurnFlash(0x200000, burnMeter.Part(0x200000));
        if (status != kLinkOk)
            return LinkFail(status, "Burn flash fail");
        m_burnt = true;
        m_observer.ShowControl(kDownloadBurnDone);
        return !m_options.verify || VerifyBurn();
    }();

    FreeBuffers();
    m_backupUserChunk.clear();
    if (!ok) {
        m_observer.RequestClose();
        m_link.LinkClosePort();
        return false;
    }
    m_observer.SetButtonEnabled(kCancel, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    m_link.Reboot();
    m_link.LinkClosePort();
    m_observer.SetButtonEnabled(kOk, true);
    return true;
}

int DownloadJob::LoadToSdram()
{
    if (Cancelled())
        return kLinkUserCanceled;
    m_observer.ShowControl(kDownloadLoadStep);
    m_observer.ShowControl(kDownloadLoadBar);
    m_observer.ShowControl(kDownloadLoadPercent);
    m_observer.SetProgress(kDownloadLoadBar, kDownloadLoadPercent, 0);
    uint64_t total = 0;
    for (const ChunkInfo &chunk : m_chunks)
        total += chunk.data.size();
    StepMeter meter(m_observer, kDownloadLoadBar, kDownloadLoadPercent, total);
    const LinkCancel cancel = [this] { return Cancelled(); };
    for (size_t i = 0; i < m_chunks.size(); ++i) {
        if (Cancelled())
            return kLinkUserCanceled;
        ChunkInfo &chunk = m_chunks[i];
        const bool isUser = int(i) == m_userIndex;
        int status;
        if (!chunk.data.empty()) {
            m_observer.SetControlText(kDownloadLoadStep, isUser ? "Download to sdram(User Database)"
                                                                : "Download to sdram(Default Database)");
            // The buffer was made at the STB's size of this chunk. The link may replace what it
            // is given by the compressed form: it gets a copy, and the buffer stays what was
            // sent, for the verify after the burn.
            std::vector<uint8_t> wire = chunk.data;
            status = m_link.TransferData(wire.data(), uint32_t(wire.size()), meter.Part(wire.size()), cancel);
        } else {
            status = m_link.MoveChunk(chunk.id, isUser ? 0 : chunk.size);
        }
        if (status != kLinkOk)
            return status;
    }
    m_observer.ShowControl(kDownloadLoadDone);
    return kLinkOk;
}
