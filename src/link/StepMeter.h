// Progress of one long transfer step: the bar's percentage and the rate line, over several calls.
#pragma once

#include "link/CUpgradeLink.h"

#include <chrono>
#include <cstdint>

class TransferObserver;

// A step moves totalBytes in one or more link calls (a backup dumps two chunks, a load sends
// several). Part() gives the progress function of one call that moves partBytes of them; its
// percentages become the step's own and the observer gets the bar and the rate line.
class StepMeter
{
public:
    StepMeter(TransferObserver &observer, int barId, int labelId, uint64_t totalBytes);

    // Progress function for the call that moves the next partBytes of the step.
    LinkProgress Part(uint64_t partBytes);
    // The bytes of the step done so far (the end of the last part's progress).
    void Done(uint64_t bytes);
    uint64_t BytesDone() const { return m_done; }
    double ElapsedSeconds() const;

private:
    void Report();

    TransferObserver &m_observer;
    int m_barId;
    int m_labelId;
    uint64_t m_total;
    uint64_t m_partStart = 0;
    uint64_t m_done = 0;
    int m_lastPercent = -1;
    std::chrono::steady_clock::time_point m_start;
};
