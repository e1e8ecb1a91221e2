// The ".bak" rule of the editor: the first save of an editing session keeps the previous file.
#pragma once

#include <QString>

class UserPrompt;

// What BeforeSave did; the save goes on unless Abandon.
enum class BakOutcome {
    Kept,        // the previous file is now NAME.EXT.bak
    NotNeeded,   // not the first save of the session, no previous file, or the rule is off
    KeptOlder,   // a .bak newer than the file was there and the user chose to keep it
    Skipped,     // the copy could not be made and the user chose to save without it
    Abandon,     // the copy could not be made and the user chose not to save
};

// One editing session of one file: Open() when a file is opened (or reverted), BeforeSave()
// before every save replaces it. The first save of the session copies the file as it is on disk
// to NAME.EXT.bak beside it (replaced atomically); a .bak newer than the file (kept from a later
// session, or written by hand) is never replaced without asking through the UserPrompt.
class SessionBackup
{
public:
    explicit SessionBackup(UserPrompt &prompt) : m_prompt(prompt) {}

    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool Enabled() const { return m_enabled; }
    // A new session: the next save of path is its first.
    void Open(const QString &path);
    BakOutcome BeforeSave(const QString &path);

    // "NAME.usd.bak" beside "NAME.usd".
    static QString BakPathFor(const QString &path);
    // True when path has a .bak to revert to.
    static bool HasBak(const QString &path);

private:
    UserPrompt &m_prompt;
    bool m_enabled = true;
    QString m_sessionPath;
    bool m_saved = false;
};
