// Splitting and checking the words of a command line.
#include "StbCommand.h"

#include <cctype>

StbCommand StbCommand::Parse(const std::string &text)
{
    StbCommand c;
    std::string word;
    auto flush = [&]() {
        if (word.empty())
            return;
        if (c.m_word.empty())
            c.m_word = word;
        else
            c.m_args.push_back(word);
        word.clear();
    };
    for (char ch : text) {
        if (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n')
            flush();
        else
            word += ch;
    }
    flush();
    return c;
}

bool StbCommand::Number(size_t i, uint32_t &out) const
{
    if (i >= m_args.size() || m_args[i].empty() || m_args[i].size() > 10)
        return false;
    uint64_t v = 0;
    for (char ch : m_args[i]) {
        if (!std::isdigit(static_cast<unsigned char>(ch)))
            return false;
        v = v * 10 + uint64_t(ch - '0');
    }
    if (v > UINT32_MAX)
        return false;
    out = uint32_t(v);
    return true;
}

std::string StbCommand::Text() const
{
    std::string t = m_word;
    for (const auto &a : m_args)
        t += " " + a;
    return t;
}
