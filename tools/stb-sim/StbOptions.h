// Command-line options of the simulated set-top box.
#pragma once

#include <cstdint>
#include <string>

struct StbOptions {
    uint32_t proto = 0x30;          // protocol generation the box speaks
    std::string flashPath;          // ".abs" image; empty keeps a default image in memory only
    bool create = false;            // make a fresh image when flashPath does not exist
    std::string linkPath;           // optional symlink to the slave device
    bool exitAfterReboot = false;
    uint64_t seed = 1;
    double corruptRate = 0.0;       // per answer: one byte flipped
    double dropRate = 0.0;          // per answer: one byte lost
    double delayRate = 0.0;         // per answer: held back delayMs first
    int delayMs = 0;
    double rxCorruptRate = 0.0;     // per received packet/block: one byte flipped
    double rxDropRate = 0.0;        // per received packet/block: one byte lost
    int refuseBlocks = 0;           // character-level transfer: 'E' to the first K attempts of a block
    uint32_t finalRefusal = 0;      // code answered to refuseCommand
    std::string refuseCommand;
    bool silent = false;
    uint32_t freezeAfter = 0;       // stop answering for good after this many received units
    std::string freezeAt;           // stop answering for good at the first command of this word
    uint32_t foreignAfter = 0;      // after this many received units another exchange takes over
    uint32_t lineRate = 0;          // bit/s, 0 = full speed
    bool corruptBurn = false;       // every burn leaves one flash byte unlike what was loaded
    uint32_t corruptBurnOffset = 0; // that byte, from the header of the first chunk a transfer loaded
    bool verbose = false;
    bool help = false;

    // Fills options from argv; false with a message in error on bad usage.
    static bool Parse(int argc, char **argv, StbOptions &options, std::string &error);
    static std::string HelpText();
};
