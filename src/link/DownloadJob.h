// The download (PC to STB) without any window: test, chunk table, data, load, burn, restart.
#pragma once

#include "core/SafetySettings.h"
#include "link/ChunkHeader.h"
#include "link/LinkPortSettings.h"
#include "link/StbInfo.h"

#include <QString>
#include <array>
#include <vector>

class CUpgradeLink;
class TransferObserver;
class UserPrompt;

struct DownloadOptions {
    LinkPortSettings port;
    int transferFormat = 1;    // 1 or 2, used when the STB names no version
    bool loadDefaultDb = true; // ".abs" files only
    bool loadUserDb = false;   // ".abs" files only
    // Before anything is loaded into the STB, the chunks the download replaces are dumped into
    // an ".abs" backup in backupFolder (empty: FlashBackup::DefaultFolder()).
    bool backup = false;
    QString backupFolder;
    // After the burn, the burnt ranges are read back and compared with what was sent.
    bool verify = false;

    // The job does only what it is asked; a front end asks for what the user's settings say
    // (both on unless turned off: SafetySettings).
    void ApplySafety(const SafetySettings &safety)
    {
        backup = safety.backup;
        backupFolder = safety.backupFolder;
        verify = safety.verify;
    }
};

// What the header bytes of a burnt chunk may hold that differs from what was sent: the receiver
// may write its own CRC (bytes 12 to 15) and its own data in the part the PC does not interpret
// (bytes 64 to 127). Every other header byte and every content byte must come back as sent.
bool VerifyIgnoresHeaderByte(size_t offset);

// Runs on the worker thread of the download dialog or in the command-line tool. Messages go
// through the UserPrompt, steps and progress through the TransferObserver.
class DownloadJob
{
public:
    DownloadJob(CUpgradeLink &link, UserPrompt &prompt, TransferObserver &observer);

    // The whole download of the file at path; true when the STB burnt it. CheckFile runs
    // first: a file it refuses never opens the port.
    bool Run(const QString &path, const DownloadOptions &options);

    // The local checks, before anything is sent: the ending is "abs", "ddf" or "udf"; the file
    // is a regular file that can be read; a ".ddf" or ".udf" passes CheckDatabaseContainer (the
    // job has no layouts, and the receiver does not use them); an ".abs" walks with good CRCs
    // and holds the database chunks the options ask for. False with the message shown.
    bool CheckFile(const QString &path);
    // What a front end may add below a failure message: the reason of a local refusal, or the
    // failing chunk of an ".abs" walk; empty when there is nothing to add.
    const QString &FailureDetail() const { return m_failureDetail; }
    // The link status of the call that failed the run, 0 when no link call failed.
    int FailureStatus() const { return m_failureStatus; }
    // The backup this run wrote (empty when none was made).
    const QString &BackupPath() const { return m_backupPath; }
    // True once BurnFlash succeeded: a later failure (verify) leaves the new flash in place.
    bool Burnt() const { return m_burnt; }

    // The steps, public so that they can be checked one by one.
    // Copies the STB's chunk table and finds its two database chunks; refuses (with a
    // message) a table without either of them.
    bool TakeStbTable(const StbInfo &info);
    // Builds the new contents of the database chunks from the file (".abs", ".ddf", ".udf").
    bool PrepareDownloadData(const QString &path);
    // Loads every chunk into SDRAM: new data with TransferData, the rest with MoveChunk.
    int LoadToSdram();
    // Dumps the chunks that have new data into an ".abs" backup and checks it; false (with the
    // message shown and the reason in FailureDetail) when it cannot be made.
    bool BackupChunks();
    // A ".udf" written behind the receiver's first 0x20000 bytes of user data needs those bytes:
    // from the backup when there is one, else dumped. False with the message shown.
    bool FillUserHead();
    // Reads the burnt ranges back and compares them with what was sent.
    bool VerifyBurn();
    // True when the user database chunk takes a ".udf" behind the receiver's head.
    bool UserHeadWanted() const { return m_userHeadWanted; }

    const std::vector<ChunkInfo> &Chunks() const { return m_chunks; }
    int DefaultDbIndex() const { return m_defaultIndex; }
    int UserDbIndex() const { return m_userIndex; }
    uint32_t StbDefaultSize() const;
    uint64_t StbUserSize() const;
    void SetOptions(const DownloadOptions &options) { m_options = options; }

    static const char *const kCaption;
    // Largest database chunk this program builds in memory.
    static constexpr uint64_t kMaxChunkBytes = 0x1000000;
    // A ".udf" holds the user database chunk's contents from this offset on (the upload skips
    // the header and these bytes).
    static constexpr uint32_t kUdfContentOffset = 0x20000;
    // The space of the receiver's user database that a ".udf" upload gives: user size - 0x20080.
    uint64_t StbUserArea() const;

private:
    bool Fail(const QString &message);
    bool Refuse(const QString &message, const QString &detail);
    // Records the status of a failed link call and fails with message.
    bool LinkFail(int status, const QString &message);
    bool Cancelled() const;
    void FreeBuffers();
    bool PrepareAbs(const QString &path);
    bool PrepareDatabaseFile(const QString &path, bool userDb);
    // Fails with message and detail after a link call of the safety steps.
    bool SafetyFail(int status, const QString &message);

    CUpgradeLink &m_link;
    UserPrompt &m_prompt;
    TransferObserver &m_observer;
    DownloadOptions m_options;
    std::vector<ChunkInfo> m_chunks;
    int m_defaultIndex = -1;
    int m_userIndex = -1;
    std::array<uint8_t, kChunkHeaderSize> m_defaultHeader {};
    std::array<uint8_t, kChunkHeaderSize> m_userHeader {};
    QString m_failureDetail;
    int m_failureStatus = 0;
    QString m_backupPath;
    bool m_burnt = false;
    bool m_userHeadWanted = false;
    // The user database chunk as the backup dumped it (for the ".udf" head).
    std::vector<uint8_t> m_backupUserChunk;
};

// "%s (Transfer protocol version: %d.%d)"
QString CaptionWithVersion(const QString &caption, uint8_t version);
// A version of 0 from the STB: 0x20 for transfer format 2, else 0x10.
uint8_t EffectiveVersion(uint32_t reported, int transferFormat);
