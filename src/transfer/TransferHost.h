// What the transfer commands need of the editor's window, and nothing more.
#pragma once

class QString;
class QWidget;
class UserPrompt;

// Implemented by the main frame. A download of the open file saves it first (the save prompt);
// an upload closes the open file and offers to open the one it stored.
class TransferHost
{
public:
    virtual ~TransferHost() = default;
    virtual QWidget *Window() = 0;
    virtual UserPrompt &Prompt() = 0;
    virtual bool IsFileOpen() const = 0;
    virtual QString CurrentPath() const = 0;
    // True to go on (saved, or not wanted); false to abandon (Cancel, failed save).
    virtual bool QuerySaveModified() = 0;
    // True when closed or nothing was open.
    virtual bool CloseDatabaseFile() = 0;
    virtual bool OpenDatabaseFile(const QString &path) = 0;
};
