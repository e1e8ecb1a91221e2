// The figures of a channel database: programs per satellite and transponder, types, groups, room.
#pragma once

#include <QJsonObject>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CChannelDb;

struct SatelliteFigures
{
    int32_t satId = 0;
    std::string name;
    int transponders = 0;
    int programs = 0;
    int tv = 0;
    int radio = 0;
    int scrambled = 0;
};

struct TransponderFigures
{
    int32_t satId = 0;
    int32_t tpId = 0;
    int32_t frequency = -1;      // MHz, or kHz for a terrestrial one
    int32_t polarisation = -1;
    int programs = 0;
};

// Room left in a table: rows up to the most a file may hold, and ids still free under the parents
// there are (satellite ids 1..254; transponder ids 1..1023 per satellite; program ids 1..1023 per
// transponder).
struct KindRoom
{
    int used = 0;
    int freeRows = 0;
    int freeIds = 0;
};

struct DatabaseStatistics
{
    int programs = 0;
    int tv = 0;
    int radio = 0;
    int scrambled = 0;
    int freeToAir = 0;
    std::vector<SatelliteFigures> satellites;      // in table order
    std::vector<TransponderFigures> transponders;  // in table order
    std::vector<std::string> groupNames;           // the favourite groups there are
    std::array<int, 32> groupMembers {};           // members of group g at g - 1
    int duplicateGroups = 0;
    int sameServiceGroups = 0;                     // of them, the certain ones
    int duplicatePrograms = 0;                     // programs that "first in order" would delete
    KindRoom satelliteRoom;
    KindRoom transponderRoom;
    KindRoom programRoom;
};

DatabaseStatistics ComputeStatistics(const CChannelDb &db);
// The figures as one JSON object (the form `dravel-cli info --format json` prints under "statistics").
QJsonObject StatisticsJson(const DatabaseStatistics &statistics);
