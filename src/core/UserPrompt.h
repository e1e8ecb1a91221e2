// The one channel through which the core tells the user something or asks a question.
#pragma once

#include <QString>

// Threading: a UserPrompt is called on the thread that owns it and blocks that thread until the
// user has answered (a modal box). A transfer job on a worker thread talks to the dialogs on the
// user-interface thread through a CrossThreadPrompt, which blocks the worker until the answer
// comes back; once its owner side abandons (dialog closed or cancelled) a waiting worker is
// released at once with No (Yes/No) or Cancel (Yes/No/Cancel), a message just returns, and later
// calls return the same way without reaching the user.
class UserPrompt
{
public:
    enum Answer { Yes, No, Cancel };
    // The icon of a message box; NoIcon is the plain box.
    enum Icon { NoIcon, Information, Exclamation, Stop };

    // One message box with an OK button. An empty caption is the program's own caption.
    struct Message {
        QString text;
        QString caption;
        Icon icon = NoIcon;
        // What the operation knows beyond the fixed text (the reason of a transfer failure); a
        // message box shows it as its detail, the command line prints it on its own line.
        QString detail;
    };

    virtual ~UserPrompt() = default;

    // A plain message with an OK button.
    void ShowMessage(const QString &text) { ShowMessageBox(Message {text, QString(), NoIcon, QString()}); }
    // A message with its own caption and icon.
    void ShowMessage(const QString &text, const QString &caption, Icon icon)
    {
        ShowMessageBox(Message {text, caption, icon, QString()});
    }

    // A message with the detail of a failure.
    void ShowMessageWithDetail(const QString &text, const QString &detail)
    {
        ShowMessageBox(Message {text, QString(), NoIcon, detail});
    }

    // What every implementer shows; callers use ShowMessage.
    virtual void ShowMessageBox(const Message &message) = 0;
    // A question with Yes and No.
    virtual Answer AskYesNo(const QString &text) = 0;
    // A question with Yes, No and Cancel.
    virtual Answer AskYesNoCancel(const QString &text) = 0;
};

// Says nothing and answers every question with the given answer; for callers that must not talk.
class SilentPrompt : public UserPrompt
{
public:
    explicit SilentPrompt(Answer answer = No) : m_answer(answer) {}
    void ShowMessageBox(const Message &) override {}
    Answer AskYesNo(const QString &) override { return m_answer; }
    Answer AskYesNoCancel(const QString &) override { return m_answer; }

private:
    Answer m_answer;
};
