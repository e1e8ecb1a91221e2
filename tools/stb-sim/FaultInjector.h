// Deterministic line faults: corrupted, lost and delayed bytes, one decision per packet or answer.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

struct FaultRates {
    double corrupt = 0.0;
    double drop = 0.0;
    double delay = 0.0;
    int delayMs = 0;
    double rxCorrupt = 0.0;
    double rxDrop = 0.0;
};

class FaultInjector {
public:
    FaultInjector(uint64_t seed, const FaultRates &rates);

    // Damages one answer of the box before it goes out; returns the milliseconds to hold it back.
    int ApplyTx(std::vector<uint8_t> &bytes);
    // Damages one unit the PC sent (a packet, a data block) as the line would have.
    // Returns true when a byte was flipped or lost.
    bool ApplyRx(std::vector<uint8_t> &bytes);

    uint64_t TxFaults() const { return m_txFaults; }
    uint64_t RxFaults() const { return m_rxFaults; }

private:
    double Uniform(std::mt19937_64 &rng);
    bool Damage(std::mt19937_64 &rng, std::vector<uint8_t> &bytes, double corrupt, double drop);

    FaultRates m_rates;
    // Separate streams, so that the number of received units never shifts the answers' faults.
    std::mt19937_64 m_txRng;
    std::mt19937_64 m_rxRng;
    uint64_t m_txFaults = 0;
    uint64_t m_rxFaults = 0;
};
