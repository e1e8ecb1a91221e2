// The command line's UserPrompt: messages go to stderr, questions are answered by a flag.
#pragma once

#include "core/UserPrompt.h"

class ConsolePrompt : public UserPrompt
{
public:
    // yes: every question is answered Yes (the --yes flag); otherwise No.
    explicit ConsolePrompt(bool yes = false) : m_yes(yes) {}

    // A message's first line is the system's text, after "dravel-cli: "; further lines (the
    // reason the system gave) follow indented. An open progress bar is ended first.
    void ShowMessageBox(const Message &message) override;
    Answer AskYesNo(const QString &text) override;
    Answer AskYesNoCancel(const QString &text) override;

    // True once a question has been answered No: the operation that asked did nothing.
    bool Declined() const { return m_declined; }
    // Number of messages shown so far.
    int MessageCount() const { return m_messages; }
    // The text of the last message shown (empty before the first).
    const QString &LastMessage() const { return m_lastMessage; }

    // Prints a message of the command line itself in the same form.
    static void Print(const QString &text);
    // Prints one more indented line under the message just shown: what the command line knows
    // about it (a limit, a reason).
    static void PrintDetail(const QString &text);

private:
    Answer Answered(const QString &text);

    bool m_yes;
    bool m_declined = false;
    int m_messages = 0;
    QString m_lastMessage;
};
