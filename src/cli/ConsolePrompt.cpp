// Prints the system's messages on stderr and answers its questions from the --yes flag.
#include "cli/ConsolePrompt.h"

#include <cstdio>

namespace {

// Some messages end in a line feed of their own; the console adds exactly one.
QByteArray Line(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    while (bytes.endsWith('\n'))
        bytes.chop(1);
    return bytes;
}

} // namespace

void ConsolePrompt::ShowMessageBox(const Message &message)
{
    ++m_messages;
    // A caption of its own ("Warning") leads the line, as it heads the box in the window.
    if (message.caption.isEmpty())
        std::fprintf(stderr, "dravel-cli: %s\n", Line(message.text).constData());
    else
        std::fprintf(stderr, "dravel-cli: %s: %s\n", Line(message.caption).constData(), Line(message.text).constData());
    std::fflush(stderr);
}

UserPrompt::Answer ConsolePrompt::Answered(const QString &text)
{
    std::fprintf(stderr, "dravel-cli: %s %s\n", Line(text).constData(),
                 m_yes ? "Yes (--yes)" : "No (give --yes to answer Yes)");
    std::fflush(stderr);
    if (!m_yes)
        m_declined = true;
    return m_yes ? Yes : No;
}

UserPrompt::Answer ConsolePrompt::AskYesNo(const QString &text)
{
    return Answered(text);
}

UserPrompt::Answer ConsolePrompt::AskYesNoCancel(const QString &text)
{
    return Answered(text);
}
