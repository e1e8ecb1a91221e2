// Seeded fault decisions; every unit draws the same number of values so runs stay in step.
#include "FaultInjector.h"

FaultInjector::FaultInjector(uint64_t seed, const FaultRates &rates)
    : m_rates(rates), m_txRng(seed), m_rxRng(seed ^ 0x9E3779B97F4A7C15ull)
{
}

double FaultInjector::Uniform(std::mt19937_64 &rng)
{
    // 53 random bits; std::uniform_real_distribution differs between libraries.
    return double(rng() >> 11) * (1.0 / 9007199254740992.0);
}

bool FaultInjector::Damage(std::mt19937_64 &rng, std::vector<uint8_t> &bytes, double corrupt, double drop)
{
    const double corruptDraw = Uniform(rng);
    const uint64_t corruptPos = rng();
    const uint8_t mask = uint8_t(1u + rng() % 255u);   // never 0: the byte really changes
    const double dropDraw = Uniform(rng);
    const uint64_t dropPos = rng();
    if (bytes.empty())
        return false;
    bool damaged = false;
    if (corruptDraw < corrupt) {
        bytes[corruptPos % bytes.size()] ^= mask;
        damaged = true;
    }
    if (dropDraw < drop) {
        bytes.erase(bytes.begin() + std::ptrdiff_t(dropPos % bytes.size()));
        damaged = true;
    }
    return damaged;
}

int FaultInjector::ApplyTx(std::vector<uint8_t> &bytes)
{
    if (Damage(m_txRng, bytes, m_rates.corrupt, m_rates.drop))
        ++m_txFaults;
    const double delayDraw = Uniform(m_txRng);
    return delayDraw < m_rates.delay ? m_rates.delayMs : 0;
}

bool FaultInjector::ApplyRx(std::vector<uint8_t> &bytes)
{
    const bool damaged = Damage(m_rxRng, bytes, m_rates.rxCorrupt, m_rates.rxDrop);
    if (damaged)
        ++m_rxFaults;
    return damaged;
}
