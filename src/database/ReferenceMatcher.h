// Matching the programs of a reference list to ours, and the program order that follows from it.
#pragma once

#include "database/ProgramFacts.h"
#include "database/ProgramListEdit.h"

#include <vector>

// How a reference program found ours, from the surest key to the loosest.
enum class MatchKind {
    None,
    Position,   // orbital position, transponder frequency (±2 MHz; terrestrial exact), polarisation, service id
    ServiceId,  // satellite and service id
    Name,       // name (trimmed, case-insensitive) and TV/radio
};

const char *MatchKindName(MatchKind kind);  // "none", "position", "id", "name"

// The transponder frequencies that still count as the same on a satellite, in MHz.
constexpr int32_t kSatelliteFrequencyTolerance = 2;

struct ReferenceMatch
{
    int referenceIndex = -1;  // the reference program, by its place in the reference
    int32_t ourSlot = -1;     // our program, -1 when none matched
    MatchKind how = MatchKind::None;
};

struct ReferenceMatching
{
    std::vector<ReferenceMatch> rows;     // one per reference program, in the reference's order
    std::vector<int32_t> unmatchedOurs;   // our programs no reference program took, in our order
    // Every one of our programs once: the matched ones in the reference's order, then the others
    // in their own order. SlotOrderOfLiveSequence turns it into the new program slot order.
    std::vector<int32_t> newSequence;
    int matchedCount = 0;
};

// Each pass goes through the reference in its order and takes, for each program still unmatched,
// the first of ours still free that agrees on the pass's key. The satellite is compared by its
// orbital position where both sides know it (a terrestrial one by being terrestrial), else by
// satellite id. A service id of 0 and an empty name match nothing.
ReferenceMatching MatchReference(const std::vector<ProgramFacts> &ours, const std::vector<ProgramFacts> &reference);

// The favourite bits our matched programs get when they copy the reference's memberships; only
// programs whose bits change are listed, by their slots before the new order is applied.
std::vector<GroupBitsChange> ReferenceGroupChanges(const std::vector<ProgramFacts> &ours,
                                                   const std::vector<ProgramFacts> &reference,
                                                   const ReferenceMatching &matching);
