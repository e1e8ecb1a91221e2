// Shared services of the command handlers: faulty sending, refusals, saving, logging.
#include "StbContext.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <thread>

namespace {

FaultRates RatesOf(const StbOptions &o)
{
    FaultRates r;
    r.corrupt = o.corruptRate;
    r.drop = o.dropRate;
    r.delay = o.delayRate;
    r.delayMs = o.delayMs;
    r.rxCorrupt = o.rxCorruptRate;
    r.rxDrop = o.rxDropRate;
    return r;
}

} // namespace

StbContext::StbContext(const StbOptions &options, PtyLine &line, FlashImage &flash)
    : m_options(options), m_line(line), m_flash(flash), m_sdram(flash), m_faults(options.seed, RatesOf(options))
{
    if (options.corruptBurn)
        m_sdram.SetCorruptBurn(options.corruptBurnOffset);
}

void StbContext::Send(std::vector<uint8_t> bytes)
{
    if (m_options.silent || m_frozen)
        return;
    const int delayMs = m_faults.ApplyTx(bytes);
    if (delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    m_line.Write(bytes);
}

uint32_t StbContext::RefusalFor(const std::string &word) const
{
    return (!m_options.refuseCommand.empty() && word == m_options.refuseCommand) ? m_options.finalRefusal : 0;
}

bool StbContext::CountReceived()
{
    ++m_received;
    if (!m_frozen && m_options.freezeAfter != 0 && m_received >= m_options.freezeAfter) {
        Log("frozen after %llu received units", static_cast<unsigned long long>(m_received));
        m_frozen = true;
    }
    return m_frozen;
}

bool StbContext::FreezeAt(const std::string &word)
{
    if (m_options.freezeAt.empty() || word != m_options.freezeAt)
        return false;
    Log("frozen at \"%s\"", word.c_str());
    m_frozen = true;
    return true;
}

void StbContext::SaveFlash()
{
    std::string error;
    if (!m_flash.Save(error))
        std::fprintf(stderr, "stb-sim: %s\n", error.c_str());
}

void StbContext::Reboot()
{
    m_sdram.Reset();
    if (m_options.exitAfterReboot)
        m_exitRequested = true;
}

void StbContext::Log(const char *format, ...) const
{
    if (!m_options.verbose)
        return;
    va_list args;
    va_start(args, format);
    static const auto start = std::chrono::steady_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "stb-sim [%lld.%03lld]: ", static_cast<long long>(ms / 1000), static_cast<long long>(ms % 1000));
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}
