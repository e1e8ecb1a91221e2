// Parses and documents the command line of stb-sim.
#include "StbOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool ParseUnsigned(const char *text, uint64_t max, uint64_t &out)
{
    if (!text || !*text || *text == '-')
        return false;
    errno = 0;
    char *end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 0);
    if (errno != 0 || *end != '\0' || v > max)
        return false;
    out = v;
    return true;
}

bool ParseRate(const char *text, double &out)
{
    if (!text || !*text)
        return false;
    char *end = nullptr;
    const double v = std::strtod(text, &end);
    if (*end != '\0' || !(v >= 0.0 && v <= 1.0))
        return false;
    out = v;
    return true;
}

} // namespace

std::string StbOptions::HelpText()
{
    return
        "Usage: stb-sim [options]\n"
        "Simulated set-top box on a pseudo-terminal. Prints \"DEVICE <slave path>\" and serves\n"
        "the line until SIGTERM/SIGINT (or the first reboot with --exit-after-reboot).\n"
        "\n"
        "  --proto V              protocol generation: 0x10, 0x20, 0x21..0x2F (character level)\n"
        "                         or 0x30 (packets); default 0x30\n"
        "  --flash FILE.abs       flash image to load, written back after every burn\n"
        "  --create               with --flash: make a fresh 2 MiB image when FILE does not exist\n"
        "  --link PATH            also create a symlink PATH to the slave device\n"
        "  --exit-after-reboot    end after the first \"reboot\" command\n"
        "  --seed N               seed of every random fault decision (default 1)\n"
        "  --corrupt-rate R       per answer, probability that one sent byte is flipped\n"
        "  --drop-rate R          per answer, probability that one sent byte is lost\n"
        "  --delay-rate R         per answer, probability that it is held back first\n"
        "  --delay-ms M           how long a held-back answer waits (default 0)\n"
        "  --rx-corrupt-rate R    per received packet/block, probability that one byte is flipped\n"
        "  --rx-drop-rate R       per received packet/block, probability that one byte is lost\n"
        "  --refuse-blocks K      character-level transfer answers 'E' to the first K attempts\n"
        "                         of every block\n"
        "  --final-refusal CODE   answer the command named by --refuse-command with status 1\n"
        "  --refuse-command WORD  and CODE (packet form) or 'E' (character level)\n"
        "  --silent               never answer anything (a dead line)\n"
        "  --freeze-after N       stop answering for good after N received packets, commands\n"
        "                         or transfer blocks (a receiver that hangs with its line held)\n"
        "  --freeze-at WORD       stop answering for good when the command WORD arrives\n"
        "  --foreign-after N      after N received packets another exchange takes the box over:\n"
        "                         the running one is dropped and stray answers of the other\n"
        "                         exchange come instead (packet form)\n"
        "  --corrupt-burn OFFSET  every burn complements the flash byte at OFFSET from the header\n"
        "                         of the first chunk loaded by a transfer (clamped to the chunk), as a failing\n"
        "                         flash would; the verify after a download must see it\n"
        "  --line-rate BPS        pace both directions at 11 bits per byte at BPS bit/s\n"
        "  --verbose              log every command to stderr\n"
        "  --help                 this text\n";
}

bool StbOptions::Parse(int argc, char **argv, StbOptions &o, std::string &error)
{
    bool haveRefusal = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char *value = (i + 1 < argc) ? argv[i + 1] : nullptr;
        auto needValue = [&]() {
            if (!value) {
                error = "option " + arg + " needs a value";
                return false;
            }
            ++i;
            return true;
        };
        uint64_t u = 0;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--create") {
            o.create = true;
        } else if (arg == "--exit-after-reboot") {
            o.exitAfterReboot = true;
        } else if (arg == "--silent") {
            o.silent = true;
        } else if (arg == "--verbose") {
            o.verbose = true;
        } else if (arg == "--proto") {
            if (!needValue())
                return false;
            if (!ParseUnsigned(value, 0xFF, u) || !(u == 0x10 || (u >= 0x20 && u <= 0x2F) || u == 0x30)) {
                error = "--proto takes 0x10, 0x20, 0x21..0x2F or 0x30";
                return false;
            }
            o.proto = uint32_t(u);
        } else if (arg == "--flash") {
            if (!needValue())
                return false;
            o.flashPath = value;
        } else if (arg == "--link") {
            if (!needValue())
                return false;
            o.linkPath = value;
        } else if (arg == "--seed") {
            if (!needValue() || !ParseUnsigned(value, UINT64_MAX, o.seed)) {
                error = "--seed takes an unsigned number";
                return false;
            }
        } else if (arg == "--corrupt-rate" || arg == "--drop-rate" || arg == "--delay-rate"
                   || arg == "--rx-corrupt-rate" || arg == "--rx-drop-rate") {
            double *target = arg == "--corrupt-rate"      ? &o.corruptRate
                           : arg == "--drop-rate"         ? &o.dropRate
                           : arg == "--delay-rate"        ? &o.delayRate
                           : arg == "--rx-corrupt-rate"   ? &o.rxCorruptRate
                                                          : &o.rxDropRate;
            if (!needValue() || !ParseRate(value, *target)) {
                error = arg + " takes a probability between 0 and 1";
                return false;
            }
        } else if (arg == "--delay-ms") {
            if (!needValue() || !ParseUnsigned(value, 600000, u)) {
                error = "--delay-ms takes milliseconds";
                return false;
            }
            o.delayMs = int(u);
        } else if (arg == "--refuse-blocks") {
            if (!needValue() || !ParseUnsigned(value, 1000000, u)) {
                error = "--refuse-blocks takes a count";
                return false;
            }
            o.refuseBlocks = int(u);
        } else if (arg == "--final-refusal") {
            if (!needValue() || !ParseUnsigned(value, UINT32_MAX, u) || u == 0) {
                error = "--final-refusal takes a non-zero status code";
                return false;
            }
            o.finalRefusal = uint32_t(u);
            haveRefusal = true;
        } else if (arg == "--refuse-command") {
            if (!needValue())
                return false;
            o.refuseCommand = value;
        } else if (arg == "--freeze-after" || arg == "--foreign-after") {
            if (!needValue() || !ParseUnsigned(value, UINT32_MAX, u) || u == 0) {
                error = arg + " takes a count above 0";
                return false;
            }
            (arg == "--freeze-after" ? o.freezeAfter : o.foreignAfter) = uint32_t(u);
        } else if (arg == "--freeze-at") {
            if (!needValue())
                return false;
            o.freezeAt = value;
        } else if (arg == "--corrupt-burn") {
            if (!needValue() || !ParseUnsigned(value, UINT32_MAX, u)) {
                error = "--corrupt-burn takes a byte offset";
                return false;
            }
            o.corruptBurn = true;
            o.corruptBurnOffset = uint32_t(u);
        } else if (arg == "--line-rate") {
            if (!needValue() || !ParseUnsigned(value, 100000000, u) || u == 0) {
                error = "--line-rate takes bits per second";
                return false;
            }
            o.lineRate = uint32_t(u);
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (haveRefusal != !o.refuseCommand.empty()) {
        error = "--final-refusal and --refuse-command go together";
        return false;
    }
    if (o.create && o.flashPath.empty()) {
        error = "--create needs --flash FILE";
        return false;
    }
    return true;
}
