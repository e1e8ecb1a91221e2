// The program values the program dialog accepts, for every other writer of program fields too.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ProgramValueRules {

// The PID a receiver reads as "no PID".
constexpr int32_t kNullPid = 8191;
// The most characters a program name takes, whatever its field holds.
constexpr int kNameMaxChars = 17;

struct PidRule
{
    int32_t low = 0;
    int32_t high = 0;
    bool zeroAllowed = false;  // 0: the PID is not in use
    bool Allows(int64_t value) const { return (zeroAllowed && value == 0) || (value >= low && value <= high); }
};

// The range of a PID field ("Video Pid", "Audio Pid1".."Audio Pid3", "PCR Pid") for a TV or a
// radio program; nullopt for any other field.
std::optional<PidRule> PidRuleOf(std::string_view field, bool tv);

} // namespace ProgramValueRules
