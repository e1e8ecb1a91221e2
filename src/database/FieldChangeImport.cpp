// Turns CSV rows into checked field changes of the programs they name.
#include "database/FieldChangeImport.h"

#include "core/IntegerEntry.h"
#include "core/Utf8Text.h"
#include "database/CChannelDb.h"
#include "database/CsvReader.h"
#include "database/FieldRange.h"
#include "database/ProgramKey.h"
#include "database/ProgramValueRules.h"
#include "layout/FieldDesc.h"
#include "layout/LayoutSet.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace {

// What a CSV column stands for.
enum class ColumnRole { Slot, Id, Length, Array, Text, Number };

struct Column
{
    qsizetype cell = -1;
    int field = -1;            // declaration-order index
    ColumnRole role = ColumnRole::Number;
    int lengthField = -1;      // Text: the length field that precedes it, -1 without one
    QString name;
};

bool IsIdName(const std::string &name)
{
    return name == "sat_id" || name == "tp_id" || name == "prog_id";
}

// The length field of a text: the 16-bit integer right before it whose name ends in "len".
int LengthFieldOf(const std::vector<FieldDesc> &fields, size_t text)
{
    if (text == 0)
        return -1;
    const FieldDesc &before = fields[text - 1];
    const std::string &name = before.name;
    if (before.kind == FieldKind::Integer && name.size() >= 3 && name.compare(name.size() - 3, 3, "len") == 0)
        return int(text - 1);
    return -1;
}

uint64_t KeyOf(const ProgramKey &key)
{
    return (uint64_t(uint16_t(key.satId)) << 32) | (uint64_t(uint16_t(key.tpId)) << 16) | uint16_t(key.progId);
}

struct Reader
{
    const CChannelDb &db;
    QString Text(int32_t slot, int field) const
    {
        std::string text;
        db.GetNodeData(KindProgram, slot, field, text, 0, DeclarationOrder);
        return QString::fromStdString(text);
    }
    QString Elements(int32_t slot, int field) const
    {
        const FieldDesc *desc = db.Layouts().Field(KindProgram, field, DeclarationOrder);
        const int count = desc && desc->bitWidth > 0 ? desc->sizeBits / desc->bitWidth : 0;
        QStringList elements;
        for (int e = 0; e < count; ++e) {
            std::string text;
            db.GetNodeData(KindProgram, slot, field, text, e, DeclarationOrder);
            elements << QString::fromStdString(text);
        }
        return elements.join(QLatin1Char(';'));
    }
    std::optional<int32_t> Int(int32_t slot, int field) const
    {
        int32_t value = 0;
        if (field < 0 || !db.GetNodeInt(KindProgram, slot, field, value, 0, DeclarationOrder))
            return std::nullopt;
        return value;
    }
};

// The number a cell holds for an integer field; the reason when it holds none that fits.
std::optional<int64_t> CellNumber(const CChannelDb &db, const Column &column, const QString &cell, QString &reason)
{
    const std::optional<FieldRange> range = IntegerFieldRangeAt(db, KindProgram, column.field);
    if (!range) {
        reason = QStringLiteral("%1 is no number field").arg(column.name);
        return std::nullopt;
    }
    std::optional<int64_t> value;
    if (const std::optional<uint32_t> u = ParseUnsignedEntry(cell))
        value = *u;
    else if (const std::optional<int32_t> s = ParseSignedEntry(cell))
        value = *s;
    if (!value) {
        reason = QStringLiteral("%1: \"%2\" is not a whole number").arg(column.name, cell);
        return std::nullopt;
    }
    if (!range->Holds(*value)) {
        reason = QStringLiteral("%1: %2 does not fit; the field holds %3 to %4")
                     .arg(column.name)
                     .arg(*value)
                     .arg(range->low)
                     .arg(range->high);
        return std::nullopt;
    }
    return value;
}

} // namespace

FieldImport PlanFieldImport(const CChannelDb &db, const QByteArray &csv)
{
    FieldImport result;
    const std::vector<FieldDesc> *fields = db.Layouts().Declarations(KindProgram);
    if (!fields) {
        result.error = QStringLiteral("the layouts have no programs");
        return result;
    }
    const CsvTable table = ReadCsv(csv);
    if (!table.Ok()) {
        result.error = table.error;
        return result;
    }

    std::vector<Column> columns;
    qsizetype slotCell = -1;
    qsizetype idCells[3] = {-1, -1, -1};
    QHash<QString, qsizetype> seen;
    for (qsizetype c = 0; c < table.header.size(); ++c) {
        const QString &name = table.header[c];
        if (seen.contains(name)) {
            result.error = QStringLiteral("line 1: the column \"%1\" is there twice").arg(name);
            return result;
        }
        seen.insert(name, c);
        if (name == QLatin1String("slot")) {
            slotCell = c;
            continue;
        }
        Column column;
        column.cell = c;
        column.name = name;
        column.field = db.Layouts().FindField(KindProgram, name.toStdString(), DeclarationOrder);
        if (column.field < 0) {
            result.error = QStringLiteral("line 1: \"%1\" is no program field of this template").arg(name);
            return result;
        }
        const FieldDesc &field = (*fields)[size_t(column.field)];
        if (IsIdName(field.name)) {
            column.role = ColumnRole::Id;
            idCells[field.name == "sat_id" ? 0 : field.name == "tp_id" ? 1 : 2] = c;
        } else if (field.kind == FieldKind::IntArray) {
            column.role = ColumnRole::Array;
        } else if (field.kind == FieldKind::String) {
            column.role = ColumnRole::Text;
            column.lengthField = LengthFieldOf(*fields, size_t(column.field));
        } else {
            column.role = ColumnRole::Number;
        }
        columns.push_back(column);
    }
    // A length column follows its text, so it is only compared when no text column sets it.
    for (Column &column : columns) {
        if (column.role != ColumnRole::Number)
            continue;
        for (const Column &text : columns) {
            if (text.role == ColumnRole::Text && text.lengthField == column.field)
                column.role = ColumnRole::Length;
        }
    }
    const bool byIds = idCells[0] >= 0 && idCells[1] >= 0 && idCells[2] >= 0;
    if (slotCell < 0 && !byIds) {
        result.error = QStringLiteral("line 1: a \"slot\" column, or \"sat_id\", \"tp_id\" and \"prog_id\", must name "
                                      "the programs");
        return result;
    }

    const ProgramKeyReader keys(db);
    std::unordered_map<uint64_t, int32_t> slotOfKey;
    for (int slot = 0; slot < db.Count(KindProgram); ++slot) {
        if (const std::optional<ProgramKey> key = keys.Read(slot))
            slotOfKey.emplace(KeyOf(*key), slot);
    }
    const int typeField = db.Layouts().FindField(KindProgram, "Service Type", DeclarationOrder);
    const Reader reader {db};
    std::unordered_map<int32_t, int> lineOfSlot;

    for (const CsvRecord &record : table.records) {
        auto refuse = [&](const QString &reason) { result.refused.push_back({record.line, reason}); };
        // The program the row names.
        int32_t slot = -1;
        std::optional<ProgramKey> rowKey;
        if (byIds) {
            ProgramKey key;
            int32_t *parts[3] = {&key.satId, &key.tpId, &key.progId};
            bool ok = true;
            for (int i = 0; i < 3 && ok; ++i) {
                const std::optional<uint32_t> v = ParseUnsignedEntry(record.cells[idCells[i]]);
                ok = v && *v <= 0xFFFF;
                if (ok)
                    *parts[i] = int32_t(*v);
            }
            if (ok)
                rowKey = key;
            else if (slotCell < 0) {
                refuse(QStringLiteral("the ids are not numbers"));
                continue;
            }
        }
        if (slotCell >= 0 && !record.cells[slotCell].trimmed().isEmpty()) {
            const std::optional<uint32_t> v = ParseUnsignedEntry(record.cells[slotCell]);
            if (!v || !db.IsUsed(KindProgram, int(std::min<uint32_t>(*v, INT32_MAX)))) {
                refuse(QStringLiteral("slot %1 holds no program").arg(record.cells[slotCell].trimmed()));
                continue;
            }
            slot = int32_t(*v);
            if (rowKey && keys.Read(slot) != rowKey) {
                refuse(QStringLiteral("the ids are not those of the program in slot %1").arg(slot));
                continue;
            }
        } else if (rowKey) {
            const auto found = slotOfKey.find(KeyOf(*rowKey));
            if (found == slotOfKey.end()) {
                refuse(QStringLiteral("no program has the ids %1/%2/%3").arg(rowKey->satId).arg(rowKey->tpId).arg(rowKey->progId));
                continue;
            }
            slot = found->second;
        } else {
            refuse(QStringLiteral("neither a slot nor ids name the program"));
            continue;
        }
        if (const auto earlier = lineOfSlot.find(slot); earlier != lineOfSlot.end()) {
            refuse(QStringLiteral("line %1 already names this program").arg(earlier->second));
            continue;
        }

        // The type the program will have decides its video PID range.
        bool tv = reader.Int(slot, typeField).value_or(0) == 1;
        for (const Column &column : columns) {
            if (column.field == typeField) {
                if (const std::optional<uint32_t> t = ParseUnsignedEntry(record.cells[column.cell]))
                    tv = *t == 1;
            }
        }

        std::vector<FieldChange> changes;
        QString reason;
        for (const Column &column : columns) {
            const QString &cell = record.cells[column.cell];
            // Made only for a cell that changes its field: most cells of an export change nothing.
            const auto newChange = [&](const QString &before) {
                return FieldChange {record.line, slot, column.field, column.name, before, {}, false, {}, 0};
            };
            switch (column.role) {
            case ColumnRole::Slot:
            case ColumnRole::Id:
            case ColumnRole::Length:
                continue;
            case ColumnRole::Array: {
                // The export joins the elements with ';'. They are not imported: they describe the
                // stream (audio types and languages, CA systems) as the receiver found it.
                if (cell.trimmed() == reader.Elements(slot, column.field))
                    continue;
                reason = QStringLiteral("%1: a list field cannot be changed by an import").arg(column.name);
                break;
            }
            case ColumnRole::Text: {
                const FieldDesc &field = (*fields)[size_t(column.field)];
                size_t capacity = size_t(std::max(field.sizeBits / 16, 0));
                if (field.name == "Service Name" || column.name == QLatin1String("Service Name"))
                    capacity = std::min(capacity, size_t(ProgramValueRules::kNameMaxChars));
                const std::string text = CutUtf16Units(cell.toStdString(), capacity);
                const QString after = QString::fromStdString(text);
                const QString before = reader.Text(slot, column.field);
                if (after == before)
                    continue;
                if (text.empty() && column.name == QLatin1String("Service Name")) {
                    reason = QStringLiteral("Service Name: a program needs a name");
                    break;
                }
                FieldChange change = newChange(before);
                change.after = after;
                change.isText = true;
                change.text = text;
                changes.push_back(std::move(change));
                if (column.lengthField >= 0) {
                    const uint32_t length = uint32_t(2 * Utf16Length(text));
                    FieldChange lengthChange {record.line, slot, column.lengthField,
                                              QString::fromStdString((*fields)[size_t(column.lengthField)].name),
                                              reader.Text(slot, column.lengthField), QString::number(length),
                                              false, {}, length};
                    if (lengthChange.before != lengthChange.after)
                        changes.push_back(lengthChange);
                }
                continue;
            }
            case ColumnRole::Number: {
                // Compared as numbers: " 5" and "5" are no change.
                const std::optional<int64_t> value = CellNumber(db, column, cell, reason);
                if (!value)
                    break;
                if (const std::optional<int32_t> current = reader.Int(slot, column.field);
                    current && uint32_t(*current) == uint32_t(*value))
                    continue;
                if (const auto pid = ProgramValueRules::PidRuleOf(column.name.toStdString(), tv);
                    pid && !pid->Allows(*value)) {
                    reason = QStringLiteral("%1: %2 is outside %3%4 to %5")
                                 .arg(column.name)
                                 .arg(*value)
                                 .arg(pid->zeroAllowed ? QStringLiteral("0 and ") : QString())
                                 .arg(pid->low)
                                 .arg(pid->high);
                    break;
                }
                if (column.field == typeField && *value != 0 && *value != 1) {
                    reason = QStringLiteral("Service Type: %1 is neither 1 (TV) nor 0 (radio)").arg(*value);
                    break;
                }
                FieldChange change = newChange(reader.Text(slot, column.field));
                change.after = QString::number(*value);
                change.value = uint32_t(*value);
                changes.push_back(std::move(change));
                continue;
            }
            }
            break;  // a refused cell refuses its line
        }
        if (!reason.isEmpty()) {
            refuse(reason);
            continue;
        }
        // Only an accepted line claims its program: a refused one may be put right further down.
        lineOfSlot.emplace(slot, record.line);
        if (changes.empty())
            ++result.unchangedLines;
        result.changes.insert(result.changes.end(), changes.begin(), changes.end());
    }
    return result;
}

bool ApplyFieldChanges(CChannelDb &db, const std::vector<FieldChange> &changes)
{
    for (const FieldChange &change : changes) {
        if (!db.IsUsed(KindProgram, change.slot) || !db.Layouts().Field(KindProgram, change.field, DeclarationOrder))
            return false;
    }
    for (const FieldChange &change : changes) {
        if (change.isText)
            db.SetNodeData(KindProgram, change.slot, change.field, change.text, DeclarationOrder);
        else
            db.SetNodeInt(KindProgram, change.slot, change.field, change.value, DeclarationOrder);
    }
    return true;
}
