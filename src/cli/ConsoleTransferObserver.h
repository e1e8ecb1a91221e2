// The command line's view of a transfer job: step lines, a progress bar, Ctrl+C as Cancel.
#pragma once

#include "link/TransferObserver.h"

#include <QString>
#include <chrono>
#include <set>

class ConsoleTransferObserver : public TransferObserver
{
public:
    // bar: draw progress bars (stderr is a terminal).
    explicit ConsoleTransferObserver(bool bar);
    ~ConsoleTransferObserver() override;

    void ShowControl(int controlId) override;
    void SetControlText(int controlId, const QString &text) override;
    void SetProgress(int barId, int labelId, int percent) override;
    void SetCaption(const QString &caption) override;
    void SetButtonEnabled(int, bool) override {}
    void RequestClose() override {}
    bool CancelRequested() override;
    // Redraws the bar with the rate line after the percentage; at most four times a second
    // unless the percentage moved.
    void SetRateText(int barId, const QString &text) override;

    // Ctrl+C, SIGTERM and SIGHUP set the cancel flag like the Cancel button; the same signal a
    // second time ends the program.
    static void InstallInterruptHandler();
    static bool Interrupted();
    // Ends the line of a progress bar that is being drawn, so that what follows starts a line of
    // its own; every message on stderr calls it first.
    static void EndProgressLine();

private:
    void Line(const QString &text);
    void EndBar();

    void DrawBar(int percent, const QString &tail);

    bool m_bar;
    int m_lastPercent = -1;
    int m_ratePercent = -1;
    int m_rateWidth = 0;
    std::chrono::steady_clock::time_point m_rateDrawn {};
    std::set<int> m_shown;
};
