// CUpgradeLink: reading the STB's flash back in the packet, whole-dump and block-dump forms.
#include "link/CUpgradeLink.h"

#include "link/LinkCrc.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstring>

namespace {

std::string FormatDump(uint32_t start, uint32_t count)
{
    char text[64];
    std::snprintf(text, sizeof text, "dump %u %u\r", start, count);
    return text;
}

void Tell(const LinkProgress &progress, uint64_t done, uint64_t total)
{
    if (progress && total > 0)
        progress(int(std::min<uint64_t>(done * 100 / total, 100)));
}

const char kBlankMark[] = "BLANKPCK";

// The block-dump header checks: the CRC of the number's four bytes in little-endian order.
uint32_t HeaderCheck(uint32_t value)
{
    uint8_t le[4];
    ByteOrder::WriteLe32(le, value);
    return LinkCrc(kCrcStart, le, 4);
}

} // namespace

int CUpgradeLink::DumpFlash(uint8_t *destination, size_t destinationSize, uint32_t &length,
                            const LinkProgress &progress, const LinkCancel &cancel, uint32_t startAddress,
                            uint32_t dumpLength)
{
    if (PacketForm())
        return DumpPacketForm(destination, destinationSize, length, progress, cancel, startAddress, dumpLength);
    if (m_version < 0x20)
        return DumpWhole(destination, destinationSize, length, progress, cancel);
    return DumpBlocks(destination, destinationSize, length, progress, cancel, startAddress, dumpLength);
}

int CUpgradeLink::DumpPacketForm(uint8_t *dst, size_t dstSize, uint32_t &length, const LinkProgress &progress,
                                 const LinkCancel &cancel, uint32_t start, uint32_t count)
{
    uint8_t statusByte = 0;
    int status = ExecuteCommand(FormatDump(start, count), 1000, statusByte);
    if (status != kLinkOk)
        return status;
    uint64_t total = 0x200000;
    uint64_t received = 0;
    uint32_t k = 0;
    int misses = 0;
    MarkProgress();
    while (received < total) {
        if (cancel && cancel()) {
            SendStatusPacket(4, 0); // tell the STB to abandon
            return kLinkUserCanceled;
        }
        if (StallExpired()) {
            SendStatusPacket(4, 0);
            return kLinkTimeout;
        }
        if (misses > 0)
            LinkPurgeTx();
        if (SendRequestPacket(k) != kLinkOk)
            return kLinkSendPacketError;
        LinkPacket reply;
        int rc = ReceivePacket(reply, 2000);
        const bool current = rc == kLinkOk && reply.sequence == m_sequence;
        if (current && reply.type == kPacketData && reply.length >= 4) {
            if (k == 0 && reply.PacketNumber() == 0 && reply.length >= 8) {
                total = ByteOrder::ReadBe32(reply.data.data() + 4);
                length = uint32_t(total);
                if (total == 0)
                    return kLinkGenericError;
                if (total > dstSize)
                    return kLinkDumpLength;
                k = 1;
                MarkProgress();
                continue;
            }
            if (k > 0 && reply.PacketNumber() == k) {
                const size_t payload = reply.length - 4;
                if (received + payload > dstSize)
                    return kLinkDumpLength;
                std::copy_n(reply.data.begin() + 4, payload, dst + received);
                received += payload;
                ++k;
                Tell(progress, received, total);
                MarkProgress();
                if (misses >= 3) {
                    Report(2, "%s", "OK");
                    misses = 0;
                }
                continue;
            }
        } else if (current && reply.type == kPacketStatus) {
            if (reply.StatusByte() == 1)
                return reply.StatusCode() == 0 ? kLinkGenericError : int(reply.StatusCode());
            if (reply.StatusByte() == 3)
                return kLinkStbNotDumpAll;
        }
        ++misses;
        if (misses == 3)
            Report(2, "\r\n->Warning:dump packet:%u Error! Retry.", k);
        else if (misses > 3)
            Report(2, "%s", ".");
    }
    return kLinkOk;
}

int CUpgradeLink::DumpWhole(uint8_t *dst, size_t dstSize, uint32_t &length, const LinkProgress &progress,
                            const LinkCancel &cancel)
{
    int status = CharCommand("dump\r", true, -1);
    if (status != kLinkOk)
        return status;
    uint8_t word[4];
    if (LinkReadExact(word, 4, 1000) != 0)
        return kLinkTimeout;
    const int32_t announced = int32_t(ByteOrder::ReadBe32(word));
    if (announced < 0 || size_t(announced) > dstSize)
        return kLinkDumpLength;
    const uint32_t total = uint32_t(announced);
    length = total;
    if (!LinkWriteByte('O'))
        return kLinkTargetError;
    m_stalled = false;
    for (uint32_t i = 0; i < total; ++i) {
        if (cancel && cancel())
            return kLinkUserCanceled;
        if (LinkReadExact(dst + i, 1, 500) != 0)
            return kLinkTimeout;
        if (i % 1024 == 0 || i + 1 == total)
            Tell(progress, uint64_t(i) + 1, total);
    }
    uint8_t crc[4];
    // Data whose CRC never came is unverified: a time-out, not a success.
    if (LinkReadExact(crc, 4, 1000) != 0)
        return kLinkTimeout;
    if (LinkCrc(kCrcStart, dst, total) != ByteOrder::ReadBe32(crc))
        return kLinkReadDataError;
    return kLinkOk;
}

bool CUpgradeLink::ReadDumpBlock(uint8_t *block, uint32_t n)
{
    if (n + 4 >= 12) {
        if (LinkReadExact(block, 12, 1000) != 0)
            return false;
        if (std::memcmp(block, kBlankMark, 8) == 0) {
            // An erased block: only the mark and its CRC travel.
            if (LinkCrc(kCrcStart, block, 8) != ByteOrder::ReadBe32(block + 8))
                return false;
            std::fill_n(block, n, uint8_t(0xFF));
            return true;
        }
        if (n >= 12) {
            if (LinkReadExact(block + 12, n - 12, 2000) != 0 || LinkReadExact(block + n, 4, 1000) != 0)
                return false;
        } else if (LinkReadExact(block + 12, n + 4 - 12, 1000) != 0) {
            return false; // the first 12 bytes already held the data and part of its CRC
        }
        return LinkCrc(kCrcStart, block, n) == ByteOrder::ReadBe32(block + n);
    }
    // A block shorter than the blank mark: n bytes and the CRC, or the 12-byte blank answer.
    const size_t whole = n + 4;
    if (LinkReadExact(block, whole, 1000) != 0)
        return false;
    if (LinkCrc(kCrcStart, block, n) == ByteOrder::ReadBe32(block + n))
        return true;
    if (std::memcmp(block, kBlankMark, whole) != 0 || LinkReadExact(block + whole, 12 - whole, 1000) != 0)
        return false;
    if (std::memcmp(block, kBlankMark, 8) != 0 || LinkCrc(kCrcStart, block, 8) != ByteOrder::ReadBe32(block + 8))
        return false;
    std::fill_n(block, n, uint8_t(0xFF));
    return true;
}

int CUpgradeLink::DumpBlocks(uint8_t *dst, size_t dstSize, uint32_t &length, const LinkProgress &progress,
                             const LinkCancel &cancel, uint32_t start, uint32_t count)
{
    int status = CharCommand(FormatDump(start, count), true, -1);
    if (status != kLinkOk)
        return status;
    int64_t announced = count;
    if (count == 0 || m_version == 0x20) {
        uint8_t word[4];
        if (LinkReadExact(word, 4, 1000) != 0)
            return kLinkTimeout;
        announced = int32_t(ByteOrder::ReadBe32(word));
    }
    if (announced < 0 || uint64_t(announced) > dstSize)
        return kLinkDumpLength;
    const uint64_t total = uint64_t(announced);
    length = uint32_t(total);
    if (total == 0)
        return kLinkOk;

    // A block the STB sends again after its 'O' was lost must not be counted twice.
    std::vector<bool> stored(dstSize / kBlockSize + 1, false);
    uint64_t received = 0;
    std::array<uint8_t, kBlockSize + 4> block {};
    m_stalled = false;
    MarkProgress();
    while (received < total) {
        if (cancel && cancel())
            return kLinkUserCanceled;
        // Damaged headers and blocks are asked for again, but not for ever.
        if (StallExpired())
            return kLinkTimeout;
        if (!LinkWriteByte('H'))
            return kLinkSendDataError;
        uint8_t word[4];
        if (LinkReadExact(word, 4, 1000) != 0)
            return kLinkTimeout;
        const uint32_t number = ByteOrder::ReadBe32(word);
        if (LinkReadExact(word, 4, 1000) != 0)
            return kLinkTimeout;
        const uint32_t n = ByteOrder::ReadBe32(word);
        if (m_version >= 0x21) {
            uint8_t checks[8];
            if (LinkReadExact(checks, 4, 1000) != 0 || LinkReadExact(checks + 4, 4, 2000) != 0)
                return kLinkTimeout;
            // A damaged header is asked for again by the 'H' that starts the next round.
            if (ByteOrder::ReadBe32(checks) != HeaderCheck(number)
                || ByteOrder::ReadBe32(checks + 4) != HeaderCheck(n)) {
                DiscardInput(SIZE_MAX, 1000);
                continue;
            }
            if (!LinkWriteByte('G'))
                return kLinkSendDataError;
        }

        bool good = false;
        if (n == 0 || n > kBlockSize) {
            // Larger than the block buffer: let the block go by and refuse it.
            DiscardInput(size_t(std::min<uint64_t>(uint64_t(n) + 4, kBlockSize * 64)), 2000);
        } else if (uint64_t(number) * kBlockSize + n > dstSize) {
            return kLinkDumpLength;
        } else {
            good = ReadDumpBlock(block.data(), n);
            if (good) {
                std::copy_n(block.begin(), n, dst + uint64_t(number) * kBlockSize);
                if (!stored[number]) {
                    stored[number] = true;
                    received += n;
                    MarkProgress();
                }
                Tell(progress, received, total);
            } else {
                DiscardInput(SIZE_MAX, 1000); // the rest of a damaged block must not start the next answer
            }
        }
        uint8_t answer[9];
        answer[0] = good ? 'O' : 'E';
        ByteOrder::WriteBe32(answer + 1, number);
        ByteOrder::WriteBe32(answer + 5, LinkCrc(kCrcStart, answer, 5));
        if (LinkWrite(answer, sizeof answer) != int(sizeof answer))
            return kLinkSendDataError;
    }
    return kLinkOk;
}
