// CUpgradeLink: loading data into the STB's SDRAM and burning it into flash.
#include "link/CUpgradeLink.h"

#include "link/LinkCrc.h"
#include "link/TransferCompressor.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string FormatCommand(const char *format, uint32_t a, uint32_t b = 0)
{
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

void Tell(const LinkProgress &progress, uint64_t done, uint64_t total)
{
    if (progress && total > 0)
        progress(int(done * 100 / total));
}

} // namespace

int BurnPercent(uint32_t kilobytes, uint32_t total)
{
    if (total == 0)
        return kilobytes > 0 ? 100 : 0;
    uint64_t percent = uint64_t(kilobytes) * 102400u / total;
    return int(std::min<uint64_t>(percent, 100));
}

int CUpgradeLink::TransferData(uint8_t *data, uint32_t count, const LinkProgress &progress,
                               const LinkCancel &cancel)
{
    return PacketForm() ? TransferPacketForm(data, count, progress, cancel)
                        : TransferCharForm(data, count, progress, cancel);
}

int CUpgradeLink::TransferPacketForm(uint8_t *data, uint32_t count, const LinkProgress &progress,
                                     const LinkCancel &cancel)
{
    size_t compressed = count;
    const bool encoded = CompressForTransfer(data, count, compressed) == 0;
    const std::string command = encoded ? FormatCommand("transfer -z %d %d\r", count, uint32_t(compressed))
                                        : FormatCommand("transfer %d\r", count);
    const uint64_t total = encoded ? compressed : count;

    uint8_t statusByte = 0;
    int status = ExecuteCommand(command, 1000, statusByte);
    if (status != kLinkOk)
        return status;
    if (total == 0)
        return kLinkOk;

    uint32_t k = 1;
    uint64_t sent = 0;
    int misses = 0;
    bool ask = false;
    MarkProgress();
    while (sent < total) {
        if (cancel && cancel()) {
            SendStatusPacket(4, 0); // tell the STB to abandon
            return kLinkUserCanceled;
        }
        if (StallExpired()) {
            SendStatusPacket(4, 0); // a receiver that comes back must not wait for the rest
            return kLinkTimeout;
        }
        if (misses > 0)
            LinkPurgeTx();
        const size_t block = size_t(std::min<uint64_t>(kBlockSize, total - sent));
        int sendStatus = ask ? SendRequestPacket(k) : SendDataPacket(k, data + sent, block);
        if (sendStatus != kLinkOk)
            return kLinkSendPacketError;
        LinkPacket reply;
        int rc = ReceivePacket(reply, 1500);
        bool current = rc == kLinkOk && reply.type == kPacketStatus && reply.sequence == m_sequence;
        if (current && reply.StatusByte() == 0) {
            ask = false;
            if (reply.StatusCode() == k) {
                sent += block;
                ++k;
                Tell(progress, sent, total);
                MarkProgress();
            }
            if (misses >= 3) {
                Report(2, "%s", "OK");
                misses = 0;
            }
            continue;
        }
        if (current && reply.StatusByte() == 3) {
            if (progress)
                progress(100);
            return kLinkOk;
        }
        if (current && reply.StatusByte() == 1 && reply.StatusCode() >= kFinalStatusBase)
            return int(reply.StatusCode());
        ++misses;
        ask = true;
        if (misses == 3)
            Report(2, "\r\n->Warning:download packet:%u Error! Retry.", k);
        else if (misses > 3)
            Report(2, "%s", ".");
    }
    return kLinkOk;
}

int CUpgradeLink::TransferCharForm(const uint8_t *data, uint32_t count, const LinkProgress &progress,
                                   const LinkCancel &cancel)
{
    int status = CharCommand(FormatCommand("transferraw %d\r", count), true, 1000);
    if (status != kLinkOk)
        return status;
    uint64_t delivered = 0;
    int refusals = 0;
    m_stalled = false;
    MarkProgress();
    while (delivered < count) {
        if (refusals >= 5)
            return kLinkOverrunRetry;
        if (cancel && cancel())
            return kLinkUserCanceled;
        if (StallExpired())
            return kLinkTimeout;
        const size_t block = size_t(std::min<uint64_t>(kBlockSize, count - delivered));
        uint8_t crc[4];
        ByteOrder::WriteBe32(crc, LinkCrc(kCrcStart, data + delivered, block));
        if (LinkWrite(data + delivered, block) != int(block) || LinkWrite(crc, 4) != 4)
            return kLinkSendDataError;
        uint8_t answer = 0;
        if (LinkReadExact(&answer, 1, 10000) != 0)
            return kLinkTimeout;
        if (answer == 'O') {
            delivered += block;
            refusals = 0;
            Tell(progress, delivered, count);
            MarkProgress();
        } else if (answer == 'E') {
            ++refusals;
        } else {
            return kLinkNotRecognized;
        }
    }
    return refusals >= 5 ? kLinkOverrunRetry : kLinkOk;
}

int CUpgradeLink::BurnFlash(uint32_t total, const LinkProgress &progress)
{
    return PacketForm() ? BurnPacketForm(total, progress) : BurnCharForm(total, progress);
}

namespace {

// Four decimal digits of kilobytes; reading stops at the first non-digit.
uint32_t Kilobytes(const uint8_t *digits)
{
    uint32_t value = 0;
    for (int i = 0; i < 4 && digits[i] >= '0' && digits[i] <= '9'; ++i)
        value = value * 10 + uint32_t(digits[i] - '0');
    return value;
}

} // namespace

int CUpgradeLink::BurnPacketForm(uint32_t total, const LinkProgress &progress)
{
    uint8_t statusByte = 0;
    int status = ExecuteCommand("burn\r", 2000, statusByte);
    if (status != kLinkOk)
        return status;
    int misses = 0;
    MarkProgress();
    bool stalled = false;
    while (misses < 5) {
        // A receiver silent for the whole deadline is asked once more, as after five misses.
        if (StallExpired()) {
            stalled = true;
            break;
        }
        LinkPacket report;
        int rc = ReceivePacket(report, 10000);
        if (rc != kLinkOk || report.sequence != m_sequence) {
            ++misses;
            continue;
        }
        if (report.type == kPacketStatus) {
            if (report.StatusByte() == 3) {
                if (progress)
                    progress(100);
                return kLinkOk;
            }
            if (report.StatusByte() == 1)
                return report.StatusCode() == 0 ? kLinkGenericError : int(report.StatusCode());
            if (report.StatusByte() == 2) {
                misses = 0;
                MarkProgress();
                continue;
            }
        } else if (report.type == kPacketData && report.length >= 5) {
            uint8_t what = report.data[4];
            if (what == 'B') {
                if (progress)
                    progress(BurnPercent(Kilobytes(report.data.data() + 5), total));
                misses = 1;
                MarkProgress();
                continue;
            }
            if (what == 'F') {
                if (progress)
                    progress(100);
                return kLinkOk;
            }
            if (what == 'E')
                return kLinkBurnError;
        }
        ++misses;
    }
    status = ConfirmCommand("burn\r", 2000, statusByte);
    if (status == kLinkOk && progress)
        progress(100);
    if (status != kLinkOk && stalled) {
        m_stalled = true;
        return kLinkTimeout;
    }
    return status;
}

int CUpgradeLink::BurnCharForm(uint32_t total, const LinkProgress &progress)
{
    int status = CharCommand("burn\r", true, 1000);
    if (status != kLinkOk)
        return status;
    m_stalled = false;
    MarkProgress();
    for (;;) {
        // Bytes other than the reports are ignored, but not for ever.
        if (StallExpired())
            return kLinkTimeout;
        uint8_t b = 0;
        if (LinkReadExact(&b, 1, 30000) != 0)
            return kLinkTimeout;
        if (b == 'B') {
            uint8_t digits[6];
            if (LinkReadExact(digits, sizeof digits, 1000) != 0)
                return kLinkTimeout;
            if (progress)
                progress(BurnPercent(Kilobytes(digits), total));
            MarkProgress();
        } else if (b == 'F') {
            if (progress)
                progress(100);
            return kLinkOk;
        } else if (b == 'E') {
            uint8_t rest[8];
            return LinkReadExact(rest, sizeof rest, 1000) == 0 ? kLinkBurnError : kLinkTimeout;
        }
    }
}
