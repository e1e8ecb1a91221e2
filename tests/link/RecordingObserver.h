// Test helper: a TransferObserver that records what a job showed.
#pragma once

#include "link/TransferObserver.h"

#include <QStringList>
#include <atomic>
#include <map>
#include <mutex>
#include <vector>

class RecordingObserver : public TransferObserver
{
public:
    std::vector<int> shown;
    std::map<int, QStringList> texts;
    std::map<int, std::vector<int>> progress; // by bar
    QString caption;
    std::map<int, bool> buttons;
    int closeRequests = 0;
    std::atomic<bool> cancel {false};

    void ShowControl(int id) override { Lock(), shown.push_back(id); }
    void SetControlText(int id, const QString &text) override { Lock(), texts[id] << text; }
    void SetProgress(int bar, int label, int percent) override
    {
        auto lock = Lock();
        progress[bar].push_back(percent);
        texts[label] << QString::number(percent) + "%";
    }
    void SetCaption(const QString &text) override { Lock(), caption = text; }
    void SetButtonEnabled(int id, bool enabled) override { Lock(), buttons[id] = enabled; }
    void RequestClose() override { Lock(), ++closeRequests; }
    bool CancelRequested() override { return cancel.load(); }

    bool WasShown(int id)
    {
        auto lock = Lock();
        return std::find(shown.begin(), shown.end(), id) != shown.end();
    }

private:
    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(m_mutex); }
    std::mutex m_mutex;
};
