// The common orders of a channel list (Channel → Sort…) and the natural order of names.
#pragma once

#include "database/SlotLists.h"

#include <QString>
#include <QStringView>

class CChannelDb;

enum class ChannelOrder {
    ByName,                     // natural order: "Rai 2" before "Rai 10"
    ByServiceId,
    TvBeforeRadio,              // TV, then radio, each keeping its order
    BySatelliteAndTransponder,  // the navigator's order of satellites and their transponders
    Reverse,
};

// Compares names as people read them: case-insensitive, runs of digits by their value ("2" before
// "10", "007" equal to "7" and then ordered by length). Negative, zero or positive.
int NaturalCompare(QStringView a, QStringView b);

// Compares two cells of a list column: numbers by value when both are whole decimal numbers,
// any other texts in natural order.
int CompareCellTexts(QStringView a, QStringView b);

// A cell read once for sorting many: CompareCellKeys(MakeCellSortKey(a), MakeCellSortKey(b)) is
// CompareCellTexts(a, b), without parsing and folding the texts again at every comparison.
struct CellSortKey
{
    QString text;
    QString folded;
    bool isNumber = false;
    qlonglong number = 0;
};
CellSortKey MakeCellSortKey(QString text);
int CompareCellKeys(const CellSortKey &a, const CellSortKey &b);

// The given program slots in the chosen order. Stable: programs that compare equal keep their order
// in `slots`, and a slot that is not a live program stays where its neighbours put it (last).
SlotList OrderedSlots(const CChannelDb &db, const SlotList &slots, ChannelOrder order);
