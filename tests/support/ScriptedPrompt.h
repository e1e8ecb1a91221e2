// A UserPrompt for tests: records every message and answers questions from a script.
#pragma once

#include "core/UserPrompt.h"

#include <QStringList>
#include <deque>
#include <vector>

class ScriptedPrompt : public UserPrompt
{
public:
    QStringList messages;          // every message shown, in order
    QStringList questions;         // every question asked, in order
    std::deque<Answer> answers;    // answers to give; No once the script runs out
    QStringList captions;          // the caption of each message (empty: the program's own)
    std::vector<Icon> icons;       // the icon of each message
    QStringList details;           // the detail of each message (empty: none)

    void ShowMessageBox(const Message &message) override
    {
        messages << message.text;
        captions << message.caption;
        icons.push_back(message.icon);
        details << message.detail;
    }
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
