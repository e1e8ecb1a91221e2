// PID ranges of the program fields.
#include "database/ProgramValueRules.h"

namespace ProgramValueRules {

std::optional<PidRule> PidRuleOf(std::string_view field, bool tv)
{
    // A TV program's video PID cannot be the null PID; a radio program's may.
    if (field == "Video Pid")
        return PidRule {32, tv ? 8190 : 8191, false};
    if (field == "Audio Pid1")
        return PidRule {32, 65535, false};
    if (field == "Audio Pid2" || field == "Audio Pid3")
        return PidRule {32, 65535, true};
    if (field == "PCR Pid")
        return PidRule {32, 8191, false};
    return std::nullopt;
}

} // namespace ProgramValueRules
