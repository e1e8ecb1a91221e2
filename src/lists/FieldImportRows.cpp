// Row texts of the Import Field Changes window.
#include "lists/FieldImportRows.h"

#include "lists/DuplicateRows.h"

#include <set>

QStringList FieldChangeColumnTitles()
{
    return {QStringLiteral("Line"), QStringLiteral("Channel"), QStringLiteral("Field"), QStringLiteral("Old \u2192 new")};
}

QStringList RefusedColumnTitles() { return {QStringLiteral("Line"), QStringLiteral("Reason")}; }

std::vector<QStringList> FieldChangeRows(const std::vector<ProgramFacts> &programs, const FieldImport &import)
{
    const std::unordered_map<int32_t, int> numbers = ChannelNumbers(programs);
    std::vector<QStringList> rows;
    rows.reserve(import.changes.size());
    for (const FieldChange &change : import.changes) {
        const auto number = numbers.find(change.slot);
        const QString channel = number == numbers.end()
                                    ? QStringLiteral("slot %1").arg(change.slot)
                                    : QStringLiteral("%1 %2").arg(number->second).arg(
                                          QString::fromStdString(programs[size_t(number->second - 1)].name));
        rows.push_back({QString::number(change.line), channel, change.fieldName,
                        QStringLiteral("%1 \u2192 %2").arg(change.before, change.after)});
    }
    return rows;
}

std::vector<QStringList> RefusedRows(const FieldImport &import)
{
    std::vector<QStringList> rows;
    rows.reserve(import.refused.size());
    for (const RefusedLine &line : import.refused)
        rows.push_back({QString::number(line.line), line.reason});
    return rows;
}

QString FieldImportSummary(const FieldImport &import)
{
    std::set<int32_t> programs;
    for (const FieldChange &change : import.changes)
        programs.insert(change.slot);
    return QStringLiteral("%1 changes in %2 programs; %3 lines refused; %4 lines unchanged")
        .arg(import.changes.size())
        .arg(programs.size())
        .arg(import.refused.size())
        .arg(import.unchangedLines);
}
