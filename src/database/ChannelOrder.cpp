// The common orders of a channel list and the natural order of names.
#include "database/ChannelOrder.h"

#include "database/CChannelDb.h"
#include "database/NodeFields.h"
#include "database/ProgramPlaces.h"

#include <QString>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace {

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Compares two digit runs by value: leading zeros skipped, then length, then the digits.
int CompareNumbers(QStringView a, QStringView b)
{
    auto skipZeros = [](QStringView s) {
        qsizetype i = 0;
        while (i + 1 < s.size() && s[i] == QLatin1Char('0'))
            ++i;
        return s.mid(i);
    };
    const QStringView x = skipZeros(a);
    const QStringView y = skipZeros(b);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    return x.compare(y);
}

int32_t IntOf(const CChannelDb &db, int slot, const char *name)
{
    return GetNodeIntOrZero(db, KindProgram, slot, name, PositionOrder);
}

// The natural comparison of two texts, their letters folded here (kFold) or already folded by the
// caller; 0 when they are equal as read.
template <bool kFold>
int NaturalWalk(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            qsizetype endA = i;
            while (endA < a.size() && IsDigit(a[endA]))
                ++endA;
            qsizetype endB = j;
            while (endB < b.size() && IsDigit(b[endB]))
                ++endB;
            if (const int c = CompareNumbers(a.mid(i, endA - i), b.mid(j, endB - j)))
                return c;
            i = endA;
            j = endB;
            continue;
        }
        const QChar x = kFold ? a[i].toCaseFolded() : a[i];
        const QChar y = kFold ? b[j].toCaseFolded() : b[j];
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return 0;
}

}

int NaturalCompare(QStringView a, QStringView b)
{
    if (const int c = NaturalWalk<true>(a, b))
        return c;
    // Equal as read ("Rai 07" and "rai 7"): the exact texts decide, so the order is total.
    return a.compare(b);
}

int CompareCellTexts(QStringView a, QStringView b)
{
    bool numberA = false;
    bool numberB = false;
    const qlonglong x = a.toLongLong(&numberA);
    const qlonglong y = b.toLongLong(&numberB);
    if (numberA && numberB)
        return x < y ? -1 : x > y ? 1 : 0;
    return NaturalCompare(a, b);
}

CellSortKey MakeCellSortKey(QString text)
{
    CellSortKey key;
    key.number = QStringView(text).toLongLong(&key.isNumber);
    // Folded letter by letter, as NaturalCompare folds them (digits fold to themselves).
    key.folded.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        key.folded[i] = text[i].toCaseFolded();
    key.text = std::move(text);
    return key;
}

int CompareCellKeys(const CellSortKey &a, const CellSortKey &b)
{
    if (a.isNumber && b.isNumber)
        return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
    if (const int c = NaturalWalk<false>(a.folded, b.folded))
        return c;
    return QStringView(a.text).compare(QStringView(b.text));
}

SlotList OrderedSlots(const CChannelDb &db, const SlotList &slots, ChannelOrder order)
{
    SlotList live;
    SlotList rest;
    for (int32_t slot : slots)
        (slot >= 0 && db.IsUsed(KindProgram, slot) ? live : rest).push_back(slot);

    switch (order) {
    case ChannelOrder::ByName: {
        std::vector<std::pair<QString, int32_t>> keyed;
        keyed.reserve(live.size());
        for (int32_t slot : live)
            keyed.emplace_back(QString::fromStdString(
                                   GetNodeTextByName(db, KindProgram, slot, "Service Name", PositionOrder).value_or("")),
                               slot);
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto &a, const auto &b) { return NaturalCompare(a.first, b.first) < 0; });
        for (size_t i = 0; i < keyed.size(); ++i)
            live[i] = keyed[i].second;
        break;
    }
    case ChannelOrder::ByServiceId: {
        std::vector<std::pair<uint32_t, int32_t>> keyed;
        for (int32_t slot : live)
            keyed.emplace_back(uint32_t(IntOf(db, slot, "Service ID")), slot);
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        for (size_t i = 0; i < keyed.size(); ++i)
            live[i] = keyed[i].second;
        break;
    }
    case ChannelOrder::TvBeforeRadio:
        // "Service Type" 1 is TV; everything else follows in its order.
        std::stable_partition(live.begin(), live.end(),
                              [&db](int32_t slot) { return IntOf(db, slot, "Service Type") == 1; });
        break;
    case ChannelOrder::BySatelliteAndTransponder: {
        const ProgramPlaces places(db);
        std::vector<std::pair<std::pair<int, int>, int32_t>> keyed;
        for (int32_t slot : live) {
            const int32_t sat = IntOf(db, slot, "sat_id");
            const int32_t tp = IntOf(db, slot, "tp_id");
            keyed.push_back({{places.SatellitePlace(sat), places.TransponderPlace(sat, tp)}, slot});
        }
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        for (size_t i = 0; i < keyed.size(); ++i)
            live[i] = keyed[i].second;
        break;
    }
    case ChannelOrder::Reverse:
        std::reverse(live.begin(), live.end());
        break;
    }
    live.insert(live.end(), rest.begin(), rest.end());
    return live;
}
