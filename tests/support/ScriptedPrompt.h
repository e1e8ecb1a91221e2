// A UserPrompt for tests: records every message and answers questions from a script.
#pragma once

#include "core/UserPrompt.h"

#include <QStringList>
#include <deque>

class ScriptedPrompt : public UserPrompt
{
public:
    QStringList messages;          // every message shown, in order
    QStringList questions;         // every question asked, in order
    std::deque<Answer> answers;    // answers to give; No once the script runs out

    void ShowMessage(const QString &text) override { messages << text; }
    Answer AskYesNo(const QString &text) override { return Next(text); }
    Answer AskYesNoCancel(const QString &text) override { return Next(text); }

private:
    Answer Next(const QString &text)
    {
        questions << text;
        if (answers.empty())
            return No;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};
