// The command line's UserPrompt: messages go to stderr, questions are answered by a flag.
#pragma once

#include "core/UserPrompt.h"

class ConsolePrompt : public UserPrompt
{
public:
    // yes: every question is answered Yes (the --yes flag); otherwise No.
    explicit ConsolePrompt(bool yes = false) : m_yes(yes) {}

    void ShowMessageBox(const Message &message) override;
    Answer AskYesNo(const QString &text) override;
    Answer AskYesNoCancel(const QString &text) override;

    // True once a question has been answered No: the operation that asked did nothing.
    bool Declined() const { return m_declined; }
    // Number of messages shown so far.
    int MessageCount() const { return m_messages; }

private:
    Answer Answered(const QString &text);

    bool m_yes;
    bool m_declined = false;
    int m_messages = 0;
};
