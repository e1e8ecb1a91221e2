// StepMeter: one step's percentage and rate line from the progress of its link calls.
#include "link/StepMeter.h"

#include "core/TransferRate.h"
#include "link/TransferObserver.h"

#include <algorithm>

StepMeter::StepMeter(TransferObserver &observer, int barId, int labelId, uint64_t totalBytes)
    : m_observer(observer), m_barId(barId), m_labelId(labelId), m_total(totalBytes),
      m_start(std::chrono::steady_clock::now())
{
}

double StepMeter::ElapsedSeconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

LinkProgress StepMeter::Part(uint64_t partBytes)
{
    m_partStart = m_done;
    const uint64_t start = m_partStart;
    return [this, start, partBytes](int percent) {
        // Rounded up, so that a part as large as the step gives back the very percentage.
        const uint64_t part = (partBytes * uint64_t(std::clamp(percent, 0, 100)) + 99) / 100;
        m_done = std::max(m_done, std::min(m_total, start + part));
        Report();
    };
}

void StepMeter::Done(uint64_t bytes)
{
    m_done = std::min(m_total, std::max(m_done, bytes));
    Report();
}

void StepMeter::Report()
{
    const int percent = m_total == 0 ? 100 : int(m_done * 100 / m_total);
    // The rate line changes with time even when the percentage does not; both are cheap.
    if (percent != m_lastPercent)
        m_observer.SetProgress(m_barId, m_labelId, percent);
    m_lastPercent = percent;
    m_observer.SetRateText(m_barId, FormatTransferRate(m_done, m_total, ElapsedSeconds()));
}
