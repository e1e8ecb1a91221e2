// The one channel through which the core tells the user something or asks a question.
#pragma once

#include <QString>

class UserPrompt
{
public:
    enum Answer { Yes, No, Cancel };

    virtual ~UserPrompt() = default;
    // A plain message with an OK button.
    virtual void ShowMessage(const QString &text) = 0;
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
    void ShowMessage(const QString &) override {}
    Answer AskYesNo(const QString &) override { return m_answer; }
    Answer AskYesNoCancel(const QString &) override { return m_answer; }

private:
    Answer m_answer;
};
