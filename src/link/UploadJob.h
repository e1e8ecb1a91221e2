// The upload (STB to PC) without any window: test, chunk table, range choice, dump, file.
#pragma once

#include "link/LinkPortSettings.h"
#include "link/StbInfo.h"

#include <QString>
#include <functional>
#include <optional>

class CUpgradeLink;
class TransferObserver;
class UserPrompt;

struct UploadOptions {
    LinkPortSettings port;
    int transferFormat = 1;
};

// Asks where to save: gets the file filter text, returns the path or nothing (cancelled).
using SavePathChooser = std::function<std::optional<QString>(const QString &filter)>;

// The flash range one upload reads.
struct UploadRange {
    uint32_t start = 0;
    uint32_t length = 0; // 0: the whole flash, the STB names the total
};

class UploadJob
{
public:
    UploadJob(CUpgradeLink &link, UserPrompt &prompt, TransferObserver &observer);

    // The whole upload; true when the file was written. SavedPath() names it.
    bool Run(const UploadOptions &options, const SavePathChooser &choosePath);
    const QString &SavedPath() const { return m_savedPath; }
    // The pause before the port is opened (300 ms, as the dialog needs to appear first).
    void SetStartDelayMs(int ms) { m_startDelayMs = ms; }

    static const char *const kCaption;
    static constexpr size_t kBufferSize = 0x800000;

    static QString FilterFor(uint8_t version);
    // Appends ".abs" to a name of four characters or fewer.
    static QString CompleteSavedPath(const QString &path);
    // Chooses the range by the path's last four characters. Returns an empty string on
    // success, else the message to show.
    static QString ChooseRange(const QString &path, const StbInfo &info, UploadRange &range);

private:
    bool Steps(const UploadOptions &options, const SavePathChooser &choosePath);
    bool Fail(const QString &message);

    CUpgradeLink &m_link;
    UserPrompt &m_prompt;
    TransferObserver &m_observer;
    QString m_savedPath;
    int m_startDelayMs = 300;
};
