// Loading, validating and writing a transponder record for the "TP Information" dialog.
#include "editors/TpInfoForm.h"

#include "core/IntegerEntry.h"
#include "database/CChannelDb.h"
#include "database/NodeFields.h"
#include "document/NavNode.h"
#include "layout/FieldDesc.h"

#include <string>

namespace {

constexpr int32_t kMinFrequency = 3000;
constexpr int32_t kMaxFrequency = 13450;
constexpr int32_t kMinSymbolRate = 1000;
constexpr int32_t kMaxSymbolRate = 45000;

struct FieldNames
{
    const char *frequency;
    const char *secondValue;
};

FieldNames NamesFor(bool terrestrial)
{
    return terrestrial ? FieldNames{"dvbt_frq", "bandwidth"} : FieldNames{"frq", "sym"};
}

bool HasField(const CChannelDb &db, const char *name)
{
    return FindNodeField(db, KindTransponder, name, DeclarationOrder) >= 0;
}

bool WriteNumber(CChannelDb &db, int slot, const char *name, int32_t value)
{
    return SetNodeTextByName(db, KindTransponder, slot, name, std::to_string(value), DeclarationOrder);
}

} // namespace

int PolarizationRowOf(int32_t value)
{
    for (size_t row = 0; row < PolarizationTable.size(); ++row) {
        if (PolarizationTable[row].value == value)
            return int(row);
    }
    return -1;
}

std::optional<int32_t> TpInfoForm::ParseInteger(const QString &text)
{
    return ParseSignedEntry(text);
}

QString TpInfoForm::IntegerMessage()
{
    return QStringLiteral("Please enter an integer.");
}

TpInfoValues TpInfoForm::PrepareNew(NavNode &node, int ordinal)
{
    TpInfoValues values;
    values.label = QStringLiteral("[ %1 ]  TP_0_H_0").arg(ordinal);
    values.polarizationRow = 0;
    node.label = values.label;
    return values;
}

LoadedTransponder TpInfoForm::Load(const CChannelDb &db, const NavNode &node)
{
    LoadedTransponder loaded;
    loaded.values.label = node.label;
    loaded.values.polarizationRow = -1;
    const int slot = node.index;
    if (HasField(db, "sat_id")) {
        const std::optional<int32_t> satId =
            GetNodeIntByName(db, KindTransponder, slot, "sat_id", DeclarationOrder);
        const bool terrestrial = satId && *satId == kTerrestrialSatId;
        loaded.fields = terrestrial ? TpValueFields::Terrestrial : TpValueFields::Satellite;
        const FieldNames names = NamesFor(terrestrial);
        if (auto value = GetNodeIntByName(db, KindTransponder, slot, names.frequency, DeclarationOrder))
            loaded.values.frequency = *value;
        if (auto value = GetNodeIntByName(db, KindTransponder, slot, names.secondValue, DeclarationOrder))
            loaded.values.secondValue = *value;
    }
    if (auto pol = GetNodeIntByName(db, KindTransponder, slot, "pol", DeclarationOrder))
        loaded.values.polarizationRow = PolarizationRowOf(*pol);
    return loaded;
}

std::optional<TpInfoProblem> TpInfoForm::Validate(const TpInfoValues &values, int32_t nodeSatId)
{
    if (nodeSatId == kTerrestrialSatId)
        return std::nullopt;
    if (values.frequency < kMinFrequency || values.frequency > kMaxFrequency)
        return TpInfoProblem{FrequencyControl, QStringLiteral("Frequency: [3000,  13450]")};
    if (values.secondValue < kMinSymbolRate || values.secondValue > kMaxSymbolRate)
        return TpInfoProblem{SecondValueControl, QStringLiteral("Symbol Rate: [1000,  45000]")};
    return std::nullopt;
}

std::optional<TpInfoProblem> TpInfoForm::CheckFits(const CChannelDb &db, const TpInfoValues &values, int32_t nodeSatId)
{
    const bool terrestrial = nodeSatId == kTerrestrialSatId;
    const FieldNames names = NamesFor(terrestrial);
    if (auto problem = CheckFieldFits(db, KindTransponder, names.frequency, values.frequency,
                                      QStringLiteral("Frequency"),
                                      FrequencyControl))
        return problem;
    return CheckFieldFits(db, KindTransponder, names.secondValue, values.secondValue,
                          terrestrial ? QStringLiteral("Band Width") : QStringLiteral("Symbol Rate"),
                          SecondValueControl);
}

QString TpInfoForm::CheckRoomForNew(const CChannelDb &db, int32_t satId)
{
    const int id = db.FindFreeId(KindTransponder, satId);
    if (id < 0)
        return QStringLiteral("No transponder can be added: the database has no transponder layout.");
    if (id == 0)
        return QStringLiteral("No transponder can be added: all 1023 transponder ids of this satellite are in use.");
    // A file with more transponders than this can be neither saved nor opened again.
    if (db.LiveCount(KindTransponder) >= CChannelDb::MaxNodes(KindTransponder))
        return QStringLiteral("The database is full: it already holds %1 transponders, the most a file can take.")
            .arg(CChannelDb::MaxNodes(KindTransponder));
    return QString();
}

TpWriteOutcome TpInfoForm::Write(CChannelDb &db, NavNode &node, TpInfoMode mode, const TpInfoValues &values)
{
    TpWriteOutcome outcome;
    int slot = node.index;
    if (mode == TpInfoNew) {
        // Id first, then the record: a refusal leaves the tables exactly as they were.
        outcome.message = CheckRoomForNew(db, node.satId);
        if (!outcome.message.isEmpty())
            return outcome;
        const int tpId = db.FindFreeId(KindTransponder, node.satId);
        slot = db.AllocateNode(KindTransponder);
        if (slot < 0) {
            outcome.message = QStringLiteral(
                "No transponder can be added: the database has no room for another transponder record.");
            return outcome;
        }
        outcome.created = true;
        node.kind = NavTransponder;
        node.index = slot;
        node.tpId = tpId;
        WriteNumber(db, slot, "sat_id", node.satId);
        WriteNumber(db, slot, "tp_id", tpId);
    } else {
        if (!db.IsUsed(KindTransponder, slot)) {
            outcome.message = QStringLiteral("This transponder is no longer in the database.");
            return outcome;
        }
        outcome.before = db.RecordBytes(KindTransponder, slot);
    }
    outcome.slot = slot;

    const bool terrestrial = node.satId == kTerrestrialSatId;
    const FieldNames names = NamesFor(terrestrial);
    WriteNumber(db, slot, names.frequency, values.frequency);

    int32_t polarization = 0;
    if (HasField(db, "pol")) {
        if (values.polarizationRow >= 0 && values.polarizationRow < int(PolarizationTable.size())) {
            polarization = PolarizationTable[size_t(values.polarizationRow)].value;
            WriteNumber(db, slot, "pol", polarization);
        } else {
            // No row matched the stored value: it stays, and the tail letter follows it.
            polarization = GetNodeIntOrZero(db, KindTransponder, slot, "pol", DeclarationOrder);
        }
    }
    WriteNumber(db, slot, names.secondValue, values.secondValue);

    // The tail shows what the record now holds, as the tree built from the file will: a value the
    // field cannot hold (a negative or too wide terrestrial entry) is shown as stored.
    const int32_t frequency =
        GetNodeIntByName(db, KindTransponder, slot, names.frequency, DeclarationOrder).value_or(values.frequency);
    const int32_t secondValue =
        GetNodeIntByName(db, KindTransponder, slot, names.secondValue, DeclarationOrder).value_or(values.secondValue);
    node.label = RelabelWithTail(values.label, LabelTail(terrestrial, polarization, frequency, secondValue));
    outcome.written = true;
    return outcome;
}

QString TpInfoForm::LabelTail(bool terrestrial, int32_t polarization, int32_t frequency, int32_t secondValue)
{
    if (terrestrial)
        return QStringLiteral("TP_%1_%2").arg(frequency).arg(secondValue);
    return QStringLiteral("TP_%1_%2_%3")
        .arg(frequency)
        .arg(polarization != 0 ? QStringLiteral("V") : QStringLiteral("H"))
        .arg(secondValue);
}

QString TpInfoForm::RelabelWithTail(const QString &label, const QString &tail)
{
    const qsizetype at = label.indexOf(QStringLiteral("TP"));
    return (at < 0 ? QString() : label.left(at)) + tail;
}
