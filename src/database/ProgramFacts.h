// What the list tools compare of a program: ids, service, name, flags, groups and its transponder.
#pragma once

#include "database/ProgramKey.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CChannelDb;

// One program as the duplicate finder, the reference matcher and the statistics see it. The
// transponder and satellite parts are -1 when the program's parents are unknown (a reference
// read from a program-only CSV) or lack the field.
struct ProgramFacts
{
    int32_t slot = -1;            // node index in the program table; -1 for a row of another list
    ProgramKey key;
    int32_t serviceId = 0;
    std::string name;             // UTF-8, as stored
    bool tv = false;              // "Service Type" 1
    bool scrambled = false;
    uint32_t groups = 0;          // "Favorite Group" bits
    int32_t videoPid = 0;
    int32_t audioPid = 0;
    int32_t pcrPid = 0;
    int32_t frequency = -1;       // MHz for a satellite transponder, kHz for a terrestrial one
    int32_t polarisation = -1;
    int32_t orbit = -1;           // "sat_orbit" of the satellite, tenths of a degree
    bool terrestrial = false;     // satellite id 255
};

// Every live program in the order of the program table.
std::vector<ProgramFacts> CollectProgramFacts(const CChannelDb &db);

// The form in which two names count as the same: trimmed and case-folded.
QString NameKey(std::string_view name);

// Number of favourite groups a program belongs to.
int GroupCount(uint32_t groups);
