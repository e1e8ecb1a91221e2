// A text command as the box receives it: the command word and its arguments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class StbCommand {
public:
    static StbCommand Parse(const std::string &text);

    const std::string &Word() const { return m_word; }
    size_t ArgCount() const { return m_args.size(); }
    const std::string &Arg(size_t i) const { return m_args[i]; }
    // Argument i as an unsigned 32-bit decimal number; false when missing or malformed.
    bool Number(size_t i, uint32_t &out) const;
    std::string Text() const;

private:
    std::string m_word;
    std::vector<std::string> m_args;
};
