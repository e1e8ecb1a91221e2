// The serial upgrade protocol to the set-top box: port, packets, commands and bulk transfers.
#pragma once

#include "link/CSerialPort.h"
#include "link/LinkPacket.h"
#include "link/LinkStatus.h"
#include "link/StbInfo.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// printf-style checking of the diagnostic formats where the compiler has it (not MSVC).
#if defined(__GNUC__) || defined(__clang__)
#define DRAVEL_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define DRAVEL_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// A percentage 0..100 (the attempt number during the connection test).
using LinkProgress = std::function<void(int)>;
// True when the user asked to stop.
using LinkCancel = std::function<bool()>;
// Optional diagnostics: a level and the formatted text.
using MessageSink = std::function<void(int level, const std::string &text)>;

// One link to one STB. Owns the port, the protocol version (0x20 at start) and the packet
// sequence and retry counters, which run on across transfers. Every call returns a status
// number (LinkStatus.h), 0 for success. Used by one thread at a time.
//
// Besides the per-packet time-outs every exchange has a deadline without progress (the stall
// time-out, 30 s unless set otherwise): a command whose attempts have taken that long, and a
// transfer, burn or dump that has not moved on for that long (a frozen or unplugged receiver,
// or one that answers another exchange), ends with 8 ("Time out when read data!") and Stalled()
// becomes true. Packets of another exchange never count as progress. A burn that stalls still
// asks once more ("burn" confirmed, at most 5 x 2 s) before it gives up.
class CUpgradeLink
{
public:
    CUpgradeLink();

    static constexpr int kDefaultStallTimeoutMs = 30000;
    void SetStallTimeoutMs(int ms) { m_stallTimeoutMs = ms > 0 ? ms : kDefaultStallTimeoutMs; }
    int StallTimeoutMs() const { return m_stallTimeoutMs; }
    // True when the last command or bulk call ended because the receiver made no progress.
    bool Stalled() const { return m_stalled; }

    static const char *GetLibraryVersion();
    void SetProtocolVersion(uint8_t version) { m_version = version; }
    uint8_t ProtocolVersion() const { return m_version; }
    void SetMessageSink(MessageSink sink) { m_sink = std::move(sink); }
    uint32_t Sequence() const { return m_sequence; }
    uint8_t Retry() const { return m_retry; }
    CSerialPort &Port() { return m_port; }
    const CSerialPort &Port() const { return m_port; }

    // Port level.
    int LinkOpenPort(int portNumber, int bitRate, int parity, int stopBits);
    int LinkOpenPort(const std::string &devicePath, int bitRate, int parity, int stopBits);
    int LinkClosePort();
    int LinkReadAvailable(uint8_t *buffer, size_t count);
    // 0 when exactly count bytes came within the time-out, else 1.
    int LinkReadExact(uint8_t *buffer, size_t count, int timeoutMs);
    int LinkWrite(const uint8_t *bytes, size_t count);
    int LinkWriteByte(uint8_t byte);
    int LinkPurge();
    int LinkPurgeTx();
    // Sends text one byte at a time, each echoed by the STB: 0, 3, 23 or 4.
    int LinkSendEchoed(const char *text, size_t count, int timeoutMs);

    // Packet layer.
    int SendPacket(const LinkPacket &packet);
    int ReceivePacket(LinkPacket &packet, int timeoutMs);
    int SendCommandPacket(const std::string &text, bool resend);
    int SendDataPacket(uint32_t packetNumber, const uint8_t *bytes, size_t count);
    int SendRequestPacket(uint32_t packetNumber);
    int SendStatusPacket(uint8_t statusByte, uint32_t code);
    int ExecuteCommand(const std::string &text, int timeoutMs, uint8_t &statusByte);
    int QueryCommand(const std::string &text, int timeoutMs, uint8_t &statusByte, uint32_t &length,
                     std::vector<uint8_t> &data);
    int ConfirmCommand(const std::string &text, int timeoutMs, uint8_t &statusByte);

    // Command set.
    int TestConnection(uint32_t &version, const LinkProgress &progress, const LinkCancel &cancel);
    int GetStbInfo(uint32_t &version, StbInfo &info);
    int SetAddress(uint32_t address);
    int MoveChunk(uint32_t chunkId, uint32_t size);
    int Reboot();

    // Bulk commands. TransferData may overwrite data with its compressed form.
    int TransferData(uint8_t *data, uint32_t count, const LinkProgress &progress, const LinkCancel &cancel);
    int BurnFlash(uint32_t total, const LinkProgress &progress);
    // Reads flash into destination (destinationSize bytes); length receives the total. Data
    // the STB would place beyond the destination is refused with 14.
    int DumpFlash(uint8_t *destination, size_t destinationSize, uint32_t &length, const LinkProgress &progress,
                  const LinkCancel &cancel, uint32_t startAddress, uint32_t dumpLength);

private:
    bool PacketForm() const { return m_version >= 0x30; }
    // Character-level exchange: optional 100 ms pause, purge, echoed text, then the 'O'
    // answer unless okTimeoutMs is negative.
    int CharCommand(const std::string &text, bool pauseFirst, int okTimeoutMs);
    int CommandWithStatus(const std::string &text, int timeoutMs, uint8_t &statusByte, bool alwaysResend,
                          bool report);
    int ReadStbInfoChar(uint32_t &version, StbInfo &info);
    int ReadStbInfoPacket(uint32_t &version, StbInfo &info);
    int TransferPacketForm(uint8_t *data, uint32_t count, const LinkProgress &progress, const LinkCancel &cancel);
    int TransferCharForm(const uint8_t *data, uint32_t count, const LinkProgress &progress, const LinkCancel &cancel);
    int BurnPacketForm(uint32_t total, const LinkProgress &progress);
    int BurnCharForm(uint32_t total, const LinkProgress &progress);
    int DumpPacketForm(uint8_t *dst, size_t dstSize, uint32_t &length, const LinkProgress &progress,
                       const LinkCancel &cancel, uint32_t start, uint32_t count);
    int DumpWhole(uint8_t *dst, size_t dstSize, uint32_t &length, const LinkProgress &progress,
                  const LinkCancel &cancel);
    int DumpBlocks(uint8_t *dst, size_t dstSize, uint32_t &length, const LinkProgress &progress,
                   const LinkCancel &cancel, uint32_t start, uint32_t count);
    // One block of at most 1024 bytes (after its header) into block; false when it must be
    // answered 'E'.
    bool ReadDumpBlock(uint8_t *block, uint32_t n);
    // Reads and drops up to count bytes until the line is quiet or the deadline passes, then
    // clears what is left, so that a refused block does not become the start of the next answer.
    void DiscardInput(size_t count, int timeoutMs);
    // The sink's words for a failed command attempt: the reason first, a dot for each retry.
    void ReportFailedAttempt(int attempt, int status, const std::string &text);
    void Report(int level, const char *format, ...) DRAVEL_PRINTF_FORMAT(3, 4);
    // The stall deadline: restarted at the beginning of an exchange and at each sign of progress.
    void MarkProgress();
    bool StallExpired();

    int m_stallTimeoutMs = kDefaultStallTimeoutMs;
    bool m_stalled = false;
    std::chrono::steady_clock::time_point m_lastProgress {};

    CSerialPort m_port;
    uint8_t m_version = 0x20;
    uint32_t m_sequence = 0;
    uint8_t m_retry = 0;
    MessageSink m_sink;
};

// Burn percentage from the kilobytes the STB reports, limited to 0..100.
int BurnPercent(uint32_t kilobytes, uint32_t total);
