// The texts of the Apply Order From window's preview, without a window.
#pragma once

#include "database/ReferenceMatcher.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <unordered_map>
#include <vector>

enum class ReferenceColumn { Place, ReferenceName, OurIndex, OurName, How, Count };

// What a preview row stands for; the window colours the rows by it.
enum class ReferenceRowKind { Matched, ReferenceOnly, OursOnly };

struct ReferencePreviewRow
{
    ReferenceRowKind kind = ReferenceRowKind::Matched;
    QStringList cells;  // in ReferenceColumn order
};

QStringList ReferenceColumnTitles();

// "id", "position", "name" as the preview shows them; "no match" for none.
QString MatchKindText(MatchKind kind);

// The reference's programs in its order, each with ours that matched it (Index in our channel
// order, name) and how; then our programs the reference does not hold, in our order.
std::vector<ReferencePreviewRow> ReferencePreviewRows(const std::vector<ProgramFacts> &ours,
                                                      const std::vector<ProgramFacts> &reference,
                                                      const ReferenceMatching &matching);

// "12 of 14 reference programs matched (10 by position, 1 by id, 1 by name); 2 without a match;
// 3 of ours not in the reference"
QString ReferenceSummary(const ReferenceMatching &matching);
