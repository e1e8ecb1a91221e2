// What every command handler of the simulated box shares: line, faults, flash, SDRAM, options.
#pragma once

#include "FaultInjector.h"
#include "FlashImage.h"
#include "PtyLine.h"
#include "SdramImage.h"
#include "StbOptions.h"

#include <cstdint>
#include <string>
#include <vector>

class StbContext {
public:
    StbContext(const StbOptions &options, PtyLine &line, FlashImage &flash);

    const StbOptions &Options() const { return m_options; }
    PtyLine &Line() { return m_line; }
    FlashImage &Flash() { return m_flash; }
    SdramImage &Sdram() { return m_sdram; }
    FaultInjector &Faults() { return m_faults; }

    // Sends one answer (a packet, an echo, a reply byte or block) through the fault injector.
    void Send(std::vector<uint8_t> bytes);
    void SendByte(uint8_t byte) { Send(std::vector<uint8_t>{byte}); }

    // The refusal code configured for this command word, or 0.
    uint32_t RefusalFor(const std::string &word) const;

    // Writes the flash back to its file after a burn; logs a failure and keeps it dirty.
    void SaveFlash();
    // Reboot: SDRAM forgotten; with --exit-after-reboot the serving loop ends.
    void Reboot();
    bool ExitRequested() const { return m_exitRequested; }
    bool Done() const { return m_exitRequested || m_line.Stopping(); }

    // Fault options on the flow: counts one received unit (packet, command, transfer block);
    // true once the box is frozen and must neither act nor answer.
    bool CountReceived();
    // True (once) when the unit just counted is the one after which a foreign exchange starts.
    bool ForeignDue() const { return m_options.foreignAfter != 0 && m_received == m_options.foreignAfter; }
    // Freezes at a command whose word is the one of --freeze-at; true when it did.
    bool FreezeAt(const std::string &word);
    bool Frozen() const { return m_frozen; }

    void Log(const char *format, ...) const __attribute__((format(printf, 2, 3)));

private:
    const StbOptions &m_options;
    PtyLine &m_line;
    FlashImage &m_flash;
    SdramImage m_sdram;
    FaultInjector m_faults;
    bool m_exitRequested = false;
    bool m_frozen = false;
    uint64_t m_received = 0;
};
