// The box's end of the serial line: a pseudo-terminal master with deadlines and line-rate pacing.
#pragma once

#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class PtyLine {
public:
    using Clock = std::chrono::steady_clock;

    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine &) = delete;
    PtyLine &operator=(const PtyLine &) = delete;

    // Opens the pseudo-terminal in raw mode; the slave stays open here too so that the
    // master never sees a hang-up while no PC program has the device open.
    bool Open(std::string &error);
    const std::string &SlavePath() const { return m_slavePath; }

    // 0 = full speed; otherwise every byte takes 11 bits at this rate in both directions.
    void SetLineRate(uint32_t bitsPerSecond);
    // Waits end early once *flag is set (by the signal handler).
    void SetStopFlag(const volatile std::sig_atomic_t *flag) { m_stop = flag; }
    // When fd (stdout) is a pipe, waits also end once nobody reads it any more (checked when
    // idle), so that a box left behind by a killed test does not run forever.
    void WatchOutput(int fd);
    bool Stopping() const { return (m_stop && *m_stop) || m_orphaned; }

    // Next received byte within timeoutMs, or -1.
    int ReadByte(int timeoutMs);
    // Exactly n bytes within timeoutMs; on failure the bytes that did arrive are consumed.
    bool ReadExact(uint8_t *buffer, size_t n, int timeoutMs);
    // Reads until `gapMs` pass without a byte or n bytes arrived; returns the count read.
    size_t ReadWithGap(uint8_t *buffer, size_t n, int firstMs, int gapMs);
    // Gives one byte back; the next read returns it first.
    void Unread(uint8_t byte);
    // Drops everything received so far.
    void DiscardInput();
    // Writes all bytes (paced); false when the PC side stopped reading for 2 s.
    bool Write(const uint8_t *bytes, size_t n);
    bool Write(const std::vector<uint8_t> &bytes) { return Write(bytes.data(), bytes.size()); }

    // Milliseconds the line needs for n bytes (0 at full speed).
    int TransferMs(size_t n) const;

private:
    void Pump(int waitMs);
    Clock::duration ByteTime() const;
    void IdleChecks();
    void ReleaseStaleExclusive();
    bool SlaveOpenElsewhere() const;

    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
    uint32_t m_lineRate = 0;
    const volatile std::sig_atomic_t *m_stop = nullptr;
    std::deque<uint8_t> m_rx;
    std::deque<Clock::time_point> m_rxAt;   // when each queued byte has fully arrived
    Clock::time_point m_rxFreeAt{};
    Clock::time_point m_txFreeAt{};
    Clock::time_point m_idleCheckedAt{};
    int m_watchedOutput = -1;
    bool m_orphaned = false;
};
