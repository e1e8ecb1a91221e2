// Prints the system's messages on stderr and answers its questions from the --yes flag.
#include "cli/ConsolePrompt.h"

#include "cli/ConsoleTransferObserver.h"

#include <QStringList>

#include <cstdio>

namespace {

// Some messages end in a line feed of their own; the console adds exactly one.
QString Trimmed(const QString &text)
{
    QString trimmed = text;
    while (trimmed.endsWith(QLatin1Char('\n')))
        trimmed.chop(1);
    return trimmed;
}

} // namespace

void ConsolePrompt::Print(const QString &text)
{
    ConsoleTransferObserver::EndProgressLine();
    const QStringList lines = Trimmed(text).split(QLatin1Char('\n'));
    std::fprintf(stderr, "dravel-cli: %s\n", lines.first().toUtf8().constData());
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!lines[i].isEmpty())
            std::fprintf(stderr, "  %s\n", lines[i].toUtf8().constData());
    }
    std::fflush(stderr);
}

void ConsolePrompt::PrintDetail(const QString &text)
{
    ConsoleTransferObserver::EndProgressLine();
    std::fprintf(stderr, "  %s\n", Trimmed(text).toUtf8().constData());
    std::fflush(stderr);
}

void ConsolePrompt::ShowMessageBox(const Message &message)
{
    ++m_messages;
    m_lastMessage = message.text;
    // A caption of its own ("Warning") leads the line, as it heads the box in the window.
    if (message.caption.isEmpty())
        Print(message.text);
    else
        Print(Trimmed(message.caption) + QStringLiteral(": ") + message.text);
}

UserPrompt::Answer ConsolePrompt::Answered(const QString &text)
{
    ConsoleTransferObserver::EndProgressLine();
    std::fprintf(stderr, "dravel-cli: %s %s\n", Trimmed(text).toUtf8().constData(),
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
