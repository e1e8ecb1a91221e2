// Databases on the bundled template with satellites, transponders and programs given field by field.
#pragma once

#include "editorcore/EditorCoreSupport.h"

#include <string>

struct ListsDb : EditorDb
{
    int AddSatellite(int satId, int orbit)
    {
        return Add(KindSatellite, {{"sat_id", std::to_string(satId)}, {"sat_orbit", std::to_string(orbit)}});
    }
    // A terrestrial transponder keeps its kHz in "dvbt_frq".
    int AddTerrestrialTransponder(int tpId, int khz)
    {
        return Add(KindTransponder, {{"sat_id", "255"}, {"tp_id", std::to_string(tpId)},
                                     {"frq", std::to_string(khz / 1000)}, {"dvbt_frq", std::to_string(khz)}});
    }
    struct Program
    {
        int satId = 1;
        int tpId = 1;
        int progId = 1;
        int serviceId = 0;
        std::string name;
        bool tv = true;
        bool scrambled = false;
        uint32_t groups = 0;
    };
    int AddProgram(const Program &p)
    {
        return Add(KindProgram, {{"sat_id", std::to_string(p.satId)},
                                 {"tp_id", std::to_string(p.tpId)},
                                 {"prog_id", std::to_string(p.progId)},
                                 {"Service ID", std::to_string(p.serviceId)},
                                 {"Service Name", p.name},
                                 {"name_len", std::to_string(2 * p.name.size())},
                                 {"Service Type", p.tv ? "1" : "0"},
                                 {"Scramble", p.scrambled ? "1" : "0"},
                                 {"Video Pid", p.tv ? "100" : "0"},
                                 {"Audio Pid1", "101"},
                                 {"PCR Pid", "100"},
                                 {"Favorite Group", std::to_string(p.groups)}});
    }
    std::string Name(int slot) { return Get(KindProgram, slot, "Service Name"); }
};
