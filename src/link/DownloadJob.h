// The download (PC to STB) without any window: test, chunk table, data, load, burn, restart.
#pragma once

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
};

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

    // The steps, public so that they can be checked one by one.
    // Copies the STB's chunk table and finds its two database chunks; refuses (with a
    // message) a table without either of them.
    bool TakeStbTable(const StbInfo &info);
    // Builds the new contents of the database chunks from the file (".abs", ".ddf", ".udf").
    bool PrepareDownloadData(const QString &path);
    // Loads every chunk into SDRAM: new data with TransferData, the rest with MoveChunk.
    int LoadToSdram();

    const std::vector<ChunkInfo> &Chunks() const { return m_chunks; }
    int DefaultDbIndex() const { return m_defaultIndex; }
    int UserDbIndex() const { return m_userIndex; }
    uint32_t StbDefaultSize() const;
    uint64_t StbUserSize() const;
    void SetOptions(const DownloadOptions &options) { m_options = options; }

    static const char *const kCaption;
    // Largest database chunk this program builds in memory.
    static constexpr uint64_t kMaxChunkBytes = 0x1000000;

private:
    bool Fail(const QString &message);
    bool Refuse(const QString &message, const QString &detail);
    // Records the status of a failed link call and fails with message.
    bool LinkFail(int status, const QString &message);
    bool Cancelled() const;
    void FreeBuffers();
    bool PrepareAbs(const QString &path);
    bool PrepareDatabaseFile(const QString &path, bool userDb);

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
};

// "%s (Transfer protocol version: %d.%d)"
QString CaptionWithVersion(const QString &caption, uint8_t version);
// A version of 0 from the STB: 0x20 for transfer format 2, else 0x10.
uint8_t EffectiveVersion(uint32_t reported, int transferFormat);
