// Console reporter that keeps each benchmark's real time, for the summary lines printed after a run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class BenchReporter : public benchmark::ConsoleReporter
{
public:
    // Summary labels are left-aligned in a column this wide.
    explicit BenchReporter(int labelWidth) : m_labelWidth(labelWidth) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        // With repetitions the mean, reported after the single runs, is the figure kept.
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean")
                m_times[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // False when the benchmark did not run or failed.
    bool TimeOf(const std::string &name, double &time) const
    {
        const auto t = m_times.find(name);
        if (t == m_times.end())
            return false;
        time = t->second;
        return true;
    }

    // The work's time against the time of its floor, checked against the largest ratio allowed.
    void PrintRatio(const char *what, const std::string &work, const std::string &floor, double target) const
    {
        double w = 0, f = 0;
        if (!TimeOf(work, w) || !TimeOf(floor, f) || f <= 0)
            return;
        const double ratio = w / f;
        std::printf("%-*s %8.3f ms / floor %8.3f ms = %.2fx (target <= %.1fx) %s\n", m_labelWidth, what, w, f, ratio,
                    target, ratio <= target ? "met" : "MISSED");
    }

    // The time against a limit it must stay below.
    void PrintTarget(const char *what, const std::string &name, double targetMs) const
    {
        double t = 0;
        if (!TimeOf(name, t))
            return;
        std::printf("%-*s %8.3f ms (target < %.0f ms) %s\n", m_labelWidth, what, t, targetMs,
                    t < targetMs ? "met" : "MISSED");
    }

private:
    int m_labelWidth;
    std::map<std::string, double> m_times;
};
