// Preview texts of the Apply Order From window.
#include "lists/ReferenceOrderRows.h"

#include "lists/DuplicateRows.h"

QStringList ReferenceColumnTitles()
{
    return {QStringLiteral("Reference #"), QStringLiteral("Reference name"), QStringLiteral("Our Index"),
            QStringLiteral("Our name"), QStringLiteral("Matched by")};
}

QString MatchKindText(MatchKind kind)
{
    switch (kind) {
    case MatchKind::Position:
        return QStringLiteral("position");
    case MatchKind::ServiceId:
        return QStringLiteral("id");
    case MatchKind::Name:
        return QStringLiteral("name");
    case MatchKind::None:
        break;
    }
    return QStringLiteral("no match");
}

std::vector<ReferencePreviewRow> ReferencePreviewRows(const std::vector<ProgramFacts> &ours,
                                                      const std::vector<ProgramFacts> &reference,
                                                      const ReferenceMatching &matching)
{
    const std::unordered_map<int32_t, int> numbers = ChannelNumbers(ours);
    auto ourCells = [&](int32_t slot, QStringList &cells) {
        const auto number = numbers.find(slot);
        if (number == numbers.end()) {
            cells << QStringLiteral("-") << QString();
            return;
        }
        cells << QString::number(number->second) << QString::fromStdString(ours[size_t(number->second - 1)].name);
    };
    std::vector<ReferencePreviewRow> rows;
    rows.reserve(matching.rows.size() + matching.unmatchedOurs.size());
    for (const ReferenceMatch &match : matching.rows) {
        ReferencePreviewRow row;
        const bool known = match.referenceIndex >= 0 && size_t(match.referenceIndex) < reference.size();
        row.cells << QString::number(match.referenceIndex + 1)
                  << (known ? QString::fromStdString(reference[size_t(match.referenceIndex)].name) : QString());
        if (match.how == MatchKind::None || match.ourSlot < 0) {
            row.kind = ReferenceRowKind::ReferenceOnly;
            row.cells << QStringLiteral("-") << QString();
        } else {
            ourCells(match.ourSlot, row.cells);
        }
        row.cells << MatchKindText(match.how);
        rows.push_back(std::move(row));
    }
    for (const int32_t slot : matching.unmatchedOurs) {
        ReferencePreviewRow row;
        row.kind = ReferenceRowKind::OursOnly;
        row.cells << QStringLiteral("-") << QString();
        ourCells(slot, row.cells);
        row.cells << QStringLiteral("not in the reference");
        rows.push_back(std::move(row));
    }
    return rows;
}

QString ReferenceSummary(const ReferenceMatching &matching)
{
    int byKind[4] = {0, 0, 0, 0};
    for (const ReferenceMatch &row : matching.rows) {
        const int kind = int(row.how);
        if (kind >= 0 && kind < 4)
            ++byKind[kind];
    }
    return QStringLiteral("%1 of %2 reference programs matched (%3 by position, %4 by id, %5 by name); "
                          "%6 without a match; %7 of ours not in the reference")
        .arg(matching.matchedCount)
        .arg(matching.rows.size())
        .arg(byKind[int(MatchKind::Position)])
        .arg(byKind[int(MatchKind::ServiceId)])
        .arg(byKind[int(MatchKind::Name)])
        .arg(byKind[int(MatchKind::None)])
        .arg(matching.unmatchedOurs.size());
}
