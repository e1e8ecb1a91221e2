// Satellite record <-> dialog values, the LNB rules, the OK checks and the writing sequence.
#include "editors/SatelliteInfoForm.h"

#include "core/IntegerEntry.h"
#include "core/Utf8Text.h"
#include "database/CChannelDb.h"
#include "database/NodeFields.h"
#include "document/NavNode.h"
#include "editors/SatelliteInfoTables.h"
#include "layout/FieldDesc.h"
#include "layout/LayoutSet.h"
#include "layout/TemplateNumber.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace {

constexpr int kOrbitCircle = 3600;
constexpr int kOrbitHalf = 1800;

// A number of the satellite record as the template reads numbers; nullopt when the layout lacks
// the field or the read fails.
std::optional<int32_t> ReadNumber(const CChannelDb &db, int slot, const char *name, FieldOrder order = PositionOrder)
{
    const std::optional<std::string> text = GetNodeTextByName(db, KindSatellite, slot, name, order);
    if (!text)
        return std::nullopt;
    return ParseTemplateNumber(*text);
}

// Numbers are stored as their decimal text; a field the layout lacks is skipped.
void WriteNumber(CChannelDb &db, int slot, const char *name, int value, FieldOrder order = PositionOrder)
{
    SetNodeTextByName(db, KindSatellite, slot, name, std::to_string(value), order);
}

// A list row's value written only when the list has a selection, so an unmatched stored value stays.
void WriteRow(CChannelDb &db, int slot, const char *name, const SatelliteListTable &table, int row)
{
    if (row >= 0 && size_t(row) < table.size())
        WriteNumber(db, slot, name, table[size_t(row)].value);
}

// Filling the lists clears every selection the fill touches; Tuner and Second Frequency keep theirs.
void FillLists(SatelliteInfoValues &values)
{
    values.lnbTypeRow = -1;
    values.firstFrequencyRow = -1;
    values.eastWestRow = -1;
    values.diseqcRow = -1;
    values.k22Row = -1;
    values.v12Row = -1;
    values.toneburstRow = -1;
}

void ClearSecondFrequency(SatelliteInfoValues &values)
{
    values.secondFrequencyFilled = false;
    values.secondFrequencyRow = -1;
    values.secondFrequencyEnabled = false;
}

int FrequencyRow(std::optional<int32_t> mhz)
{
    return mhz ? RowOfValue(LnbFrequencyTable(), *mhz) : -1;
}

bool ParseInteger(const QString &text, int32_t &out)
{
    const std::optional<int32_t> value = ParseSignedEntry(text);
    if (value)
        out = *value;
    return value.has_value();
}

bool ParseDecimal(const QString &text, double &out)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (ok)
        out = value;
    return ok;
}

} // namespace

void SatelliteInfoForm::Prepare(SatelliteInfoValues &values)
{
    FillLists(values);
    values.name = QStringLiteral("New Satellite");
    values.selected = false;
    values.inputsEnabled = true;
    values.tunerRow = TunerNone;
    values.lnbTypeRow = LnbStandard;
    values.firstFrequencyRow = Frequency5150;
    ClearSecondFrequency(values);
    values.longitude = 0.0;
    values.position = 0;
    values.eastWestRow = RowEast;
    values.diseqcRow = 0;
    values.k22Row = 0;
    values.v12Row = 0;
    values.toneburstRow = 0;
}

void SatelliteInfoForm::Load(const CChannelDb &db, const NavNode &node, SatelliteInfoValues &values,
                             bool &orbitOutOfRange)
{
    orbitOutOfRange = false;
    const int slot = node.index;
    FillLists(values);
    values.name = node.label;

    values.inputsEnabled = node.satId != kTerrestrialSatId;
    values.secondFrequencyEnabled = values.inputsEnabled;

    if (const auto selected = ReadNumber(db, slot, "selected_flag"))
        values.selected = *selected != 0;

    const int32_t tuner1 = ReadNumber(db, slot, "tuner1_valid").value_or(0);
    const int32_t tuner2 = ReadNumber(db, slot, "tuner2_valid").value_or(0);
    values.tunerRow = (tuner2 != 0 ? TunerSecond : 0) + (tuner1 != 0 ? TunerFirst : 0);

    const std::optional<int32_t> lnbType = ReadNumber(db, slot, "lnb_type");
    values.lnbTypeRow = lnbType ? RowOfValue(LnbTypeTable(), *lnbType) : -1;
    if (!lnbType || values.lnbTypeRow == LnbStandard) {
        values.firstFrequencyRow = FrequencyRow(ReadNumber(db, slot, "lnb_low"));
        ClearSecondFrequency(values);
    } else if (values.lnbTypeRow == LnbUser || values.lnbTypeRow == LnbUniversal) {
        values.firstFrequencyRow = FrequencyRow(ReadNumber(db, slot, "lnb_low"));
        values.secondFrequencyFilled = true;
        values.secondFrequencyRow = FrequencyRow(ReadNumber(db, slot, "lnb_high"));
    }
    // A type in no row leaves both frequency lists as they are.

    if (const auto position = ReadNumber(db, slot, "position"))
        values.position = *position;

    if (const auto orbit = ReadNumber(db, slot, "sat_orbit")) {
        double longitude = 0.0;
        bool west = false;
        if (DecodeOrbit(*orbit, longitude, west)) {
            values.eastWestRow = west ? RowWest : RowEast;
            values.longitude = longitude;
        } else {
            orbitOutOfRange = true;
        }
    }

    const int32_t type = ReadNumber(db, slot, "DiSEqC_type").value_or(0) & 0xFF;
    const int32_t port = ReadNumber(db, slot, "DiSEqC_port").value_or(0) & 0xFF;
    values.diseqcRow = RowOfValue(DiseqcTable(), ((type & 7) << 16) | (port & 15));

    if (const auto k22 = ReadNumber(db, slot, "k22"))
        values.k22Row = RowOfValue(K22Table(), *k22);
    if (const auto v12 = ReadNumber(db, slot, "v12"))
        values.v12Row = RowOfValue(V12Table(), *v12);
    if (const auto toneburst = ReadNumber(db, slot, "toneburst"))
        values.toneburstRow = RowOfValue(ToneburstTable(), *toneburst);
}

void SatelliteInfoForm::ChooseLnbType(SatelliteInfoValues &values, int row)
{
    values.lnbTypeRow = row;
    switch (row) {
    case LnbStandard:
        values.firstFrequencyRow = Frequency5150;
        ClearSecondFrequency(values);
        break;
    case LnbUser:
        values.secondFrequencyEnabled = true;
        values.firstFrequencyRow = Frequency5150;
        values.secondFrequencyFilled = true;
        values.secondFrequencyRow = Frequency5750;
        break;
    case LnbUniversal:
        values.secondFrequencyEnabled = true;
        values.firstFrequencyRow = Frequency9750;
        values.secondFrequencyFilled = true;
        values.secondFrequencyRow = Frequency10600;
        break;
    default:
        break;
    }
}

int SatelliteInfoForm::NameCapacity(const CChannelDb &db)
{
    const int field = FindNodeField(db, KindSatellite, "satname", PositionOrder);
    const FieldDesc *desc = field >= 0 ? db.Layouts().Field(KindSatellite, field, PositionOrder) : nullptr;
    if (!desc || desc->kind != FieldKind::String)
        return kMaxNameCharacters;
    return std::max(0, std::min(kMaxNameCharacters, desc->sizeBits / 8 / 2));
}

namespace {

FieldProblem Refusal(SatelliteInfoControl control, const QString &message)
{
    return FieldProblem{static_cast<int>(control), message};
}

}

std::optional<FieldProblem> SatelliteInfoForm::Validate(const QString &positionText, const QString &longitudeText,
                                                        int nameCapacity, SatelliteInfoValues &values)
{
    // The values as typed, in control order; a refused entry keeps the dialog open on its field.
    if (values.name.size() > nameCapacity)
        return Refusal(SatelliteInfoControl::Name, QStringLiteral("Enter no more than %1 characters.").arg(nameCapacity));
    int32_t position = 0;
    if (!ParseInteger(positionText, position))
        return Refusal(SatelliteInfoControl::Position, QStringLiteral("Please enter an integer."));
    double longitude = 0.0;
    if (!ParseDecimal(longitudeText, longitude))
        return Refusal(SatelliteInfoControl::Longitude, QStringLiteral("Please enter a number."));
    values.position = position;
    values.longitude = longitude;

    if (values.name.isEmpty())
        return Refusal(SatelliteInfoControl::Name, QStringLiteral("Empty satellite name!"));
    if (position < kMinPosition || position > kMaxPosition)
        return Refusal(SatelliteInfoControl::Position, QStringLiteral("Satellite Position: [0,  59]"));
    // Written so that NaN counts as outside.
    if (!(longitude >= 0.0 && longitude <= kMaxLongitude))
        return Refusal(SatelliteInfoControl::Longitude, QStringLiteral("Satellite Longitude: [0.0,  180.0]"));
    return std::nullopt;
}

QString SatelliteInfoForm::CheckNewSatellite(const CChannelDb &db)
{
    const int id = db.FindFreeId(KindSatellite);
    if (id < 0)
        return QStringLiteral("No satellite can be added: the database has no satellite layout.");
    if (id == 0)
        return QStringLiteral("No satellite can be added: all 254 satellite ids are in use.");
    if (db.LiveCount(KindSatellite) >= CChannelDb::MaxNodes(KindSatellite))
        return QStringLiteral("The database is full: it already holds %1 satellites, the most a file can take.")
            .arg(CChannelDb::MaxNodes(KindSatellite));
    return QString();
}

SatelliteWriteOutcome SatelliteInfoForm::Write(CChannelDb &db, NavNode &node, SatelliteInfoMode mode,
                                               const SatelliteInfoValues &values)
{
    SatelliteWriteOutcome outcome;
    int slot = node.index;
    if (mode == SatelliteInfoMode::New) {
        outcome.message = CheckNewSatellite(db);
        if (!outcome.message.isEmpty())
            return outcome;
        const int id = db.FindFreeId(KindSatellite);
        slot = db.AllocateNode(KindSatellite);
        if (slot < 0) {
            outcome.message =
                QStringLiteral("No satellite can be added: the satellite table or the database memory is full.");
            return outcome;
        }
        outcome.created = true;
        node.kind = NavSatellite;
        node.index = slot;
        node.satId = id;
        WriteNumber(db, slot, "sat_id", id);
    } else {
        outcome.before = db.RecordBytes(KindSatellite, slot);
        if (outcome.before.empty()) {
            outcome.message = QStringLiteral("The satellite record no longer exists; nothing was written.");
            return outcome;
        }
    }
    outcome.slot = slot;
    outcome.written = true;

    node.label = values.name;
    if (FindNodeField(db, KindSatellite, "satname", PositionOrder) >= 0) {
        const std::string name = values.name.toStdString();
        // "name_len" is the byte length of the stored UTF-16 name.
        WriteNumber(db, slot, "name_len", int(2 * Utf16Length(name)), DeclarationOrder);
        SetNodeTextByName(db, KindSatellite, slot, "satname", name, PositionOrder);
    }
    WriteNumber(db, slot, "selected_flag", values.selected ? 1 : 0);
    if (values.tunerRow >= TunerNone && values.tunerRow <= TunerBoth) {
        WriteNumber(db, slot, "tuner1_valid", (values.tunerRow & 1) != 0 ? 1 : 0);
        WriteNumber(db, slot, "tuner2_valid", (values.tunerRow & 2) != 0 ? 1 : 0);
    }
    WriteRow(db, slot, "lnb_type", LnbTypeTable(), values.lnbTypeRow);
    WriteRow(db, slot, "lnb_low", LnbFrequencyTable(), values.firstFrequencyRow);
    if (values.secondFrequencyFilled)
        WriteRow(db, slot, "lnb_high", LnbFrequencyTable(), values.secondFrequencyRow);
    WriteNumber(db, slot, "position", values.position);
    if (values.eastWestRow == RowEast || values.eastWestRow == RowWest)
        WriteNumber(db, slot, "sat_orbit", EncodeOrbit(values.longitude, values.eastWestRow == RowWest));
    const int diseqc = ValueOfRow(DiseqcTable(), values.diseqcRow);
    if (diseqc >= 0) {
        WriteNumber(db, slot, "DiSEqC_type", (diseqc >> 16) & 7);
        WriteNumber(db, slot, "DiSEqC_port", diseqc & 15);
    }
    WriteRow(db, slot, "k22", K22Table(), values.k22Row);
    WriteRow(db, slot, "v12", V12Table(), values.v12Row);
    WriteRow(db, slot, "toneburst", ToneburstTable(), values.toneburstRow);
    return outcome;
}

int SatelliteInfoForm::EncodeOrbit(double longitude, bool west)
{
    const int tenths = int(longitude * 10.0 + 0.01);
    return west ? kOrbitCircle - tenths : tenths;
}

bool SatelliteInfoForm::DecodeOrbit(int orbit, double &longitude, bool &west)
{
    if (orbit < 0 || orbit > kOrbitCircle)
        return false;
    west = orbit > kOrbitHalf;
    longitude = (west ? kOrbitCircle - orbit : orbit) / 10.0;
    return true;
}

QString SatelliteInfoForm::FormatLongitude(double longitude)
{
    QString text = QString::asprintf("%-5.1f", longitude);
    while (!text.isEmpty() && (text.back() == QLatin1Char(' ') || text.back() == QLatin1Char('\t')))
        text.chop(1);
    return text;
}
