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
    // When set, the target is checked before the port is opened and the chooser is not asked
    // (the command line knows its target up front); empty: the chooser names it after the
    // version query, as the dialog's save prompt does.
    QString targetPath;
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

    // The whole upload; true when the file was written. SavedPath() names it. When the file
    // cannot be written after the dump, the data is written next to it (RecoveredPath) or, when
    // that fails too, into the temporary folder, and the message says where.
    bool Run(const UploadOptions &options, const SavePathChooser &choosePath);
    const QString &SavedPath() const { return m_savedPath; }
    const QString &RecoveredPath() const { return m_recoveredPath; }
    // What a front end may add below a failure message (the reason a target or a write was
    // refused); empty when there is nothing to add.
    const QString &FailureDetail() const { return m_failureDetail; }
    // The link status of the call that failed the run, 0 when no link call failed.
    int FailureStatus() const { return m_failureStatus; }
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
    // The local checks of a completed target path: an ending ChooseRange knows ("Incorrect File
    // Name.") and a place where the file can be written ("Can not open file!", with the reason in
    // detail). Returns an empty string when the target is usable, else the message.
    static QString CheckTarget(const QString &path, QString &detail);
    // "x.recovered.ddf" beside "x.ddf" (numbered when taken), for data that cannot go to path.
    static QString RecoveryPathFor(const QString &path);

private:
    bool Steps(const UploadOptions &options, const SavePathChooser &choosePath);
    bool Fail(const QString &message);
    bool LinkFail(int status, const QString &message);
    // Steps 10 to 14: the dump of range, the restart and the file. The whole dump (versions
    // below 0x20) has no range: a database range is cut out of the whole flash.
    bool DumpAndWrite(uint8_t version, const UploadRange &range);
    // Writes the dumped bytes to the saved path, or keeps them elsewhere and says where.
    bool WriteResult(const uint8_t *bytes, size_t count);

    CUpgradeLink &m_link;
    UserPrompt &m_prompt;
    TransferObserver &m_observer;
    QString m_savedPath;
    QString m_recoveredPath;
    QString m_failureDetail;
    int m_failureStatus = 0;
    int m_startDelayMs = 300;
    uint32_t m_flashSize = 0; // from the receiver's flash type, for the dump's rate line
};
