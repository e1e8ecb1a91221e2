// The generator's random numbers: std::mt19937 with distributions of our own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

// std::mt19937 produces the same numbers everywhere; the standard distributions do not, so the
// generator draws through these few helpers of its own.
class GeneratorRandom
{
public:
    explicit GeneratorRandom(uint32_t seed) : m_engine(seed) {}

    // Uniform in 0..n-1 (n >= 1), by rejection so that no value is favoured.
    uint32_t Below(uint32_t n)
    {
        if (n <= 1)
            return 0;
        const uint32_t limit = uint32_t((uint64_t(1) << 32) - ((uint64_t(1) << 32) % n));
        uint32_t v = 0;
        do {
            v = uint32_t(m_engine());
        } while (limit != 0 && v >= limit);
        return v % n;
    }
    int Between(int low, int high) { return low + int(Below(uint32_t(high - low + 1))); }
    bool Chance(int percent) { return int(Below(100)) < percent; }
    template <typename T, size_t N>
    const T &Pick(const T (&table)[N]) { return table[Below(uint32_t(N))]; }

private:
    std::mt19937 m_engine;
};
