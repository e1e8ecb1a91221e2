// The logic of the "TP Information" dialog: loading, validating and writing one transponder record.
#pragma once

#include "editors/FieldProblem.h"
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class CChannelDb;
struct NavNode;

// The dialog's two modes, as the navigator passes them.
enum class TpInfoMode : int {
    TpInfoNew = 0,
    TpInfoEdit = 1,
};
using enum TpInfoMode;

// Control ids of dialog 142.
enum TpInfoControl : int {
    TpNameControl = 1047,
    PolarizationControl = 1048,
    FrequencyControl = 1049,
    SecondValueControl = 1050,
    ResetControl = 1051,
    SecondLabelControl = 1080,
};

struct PolarizationRow
{
    const char *text;
    int32_t value;   // the stored "pol"
};
inline constexpr std::array<PolarizationRow, 2> PolarizationTable {{
    {"Horizontal", 0},
    {"Vertical", 1},
}};

// The row of PolarizationTable that has this stored value, -1 when none has.
int PolarizationRowOf(int32_t value);

// Which pair of value fields the loaded transponder uses.
enum class TpValueFields {
    Unchosen,      // the layout has no "sat_id": the two values are not read
    Satellite,     // "frq" and "sym", edited
    Terrestrial,   // "dvbt_frq" and "bandwidth", shown read-only
};

// What the controls show and give back.
struct TpInfoValues
{
    QString label;                 // TP Name
    int32_t frequency = 0;
    int32_t secondValue = 0;       // symbol rate, or the bandwidth of a terrestrial transponder
    int polarizationRow = 0;       // row of PolarizationTable, -1 for none
};

struct LoadedTransponder
{
    TpInfoValues values;
    TpValueFields fields = TpValueFields::Unchosen;
};

// A field the dialog refuses: the control to focus and the message.
using TpInfoProblem = FieldProblem;

// What writing did: on success the slot and, for an edit, the record before it; otherwise the
// reason (nothing was created then).
struct TpWriteOutcome
{
    bool written = false;
    bool created = false;
    int slot = -1;
    std::vector<uint8_t> before;
    QString message;
};

class TpInfoForm
{
public:
    static constexpr int32_t kTerrestrialSatId = 255;

    // The integer of a value edit: optional blanks, an optional sign and decimal digits that fit
    // 32 bits signed; nullopt for anything else.
    static std::optional<int32_t> ParseInteger(const QString &text);
    static QString IntegerMessage();

    // A new transponder: "[ ordinal ]  TP_0_H_0", zero values, "Horizontal". The node keeps a
    // copy of the label.
    static TpInfoValues PrepareNew(NavNode &node, int ordinal);
    // The transponder of node.index as stored; the label is the node's.
    static LoadedTransponder Load(const CChannelDb &db, const NavNode &node);

    // The first refused value of a satellite transponder (the terrestrial one takes any value).
    static std::optional<TpInfoProblem> Validate(const TpInfoValues &values, int32_t nodeSatId);
    // After Validate: the two numbers must fit the fields they go into (a terrestrial
    // transponder's bandwidth field is narrow), or they would be stored cut.
    static std::optional<TpInfoProblem> CheckFits(const CChannelDb &db, const TpInfoValues &values, int32_t nodeSatId);

    // Id and room for a new transponder under the node's satellite; the refusal text, or empty.
    static QString CheckRoomForNew(const CChannelDb &db, int32_t satId);

    // Writes the values into the transponder record. New mode first allocates the record, takes
    // the first free tp_id and makes the node a transponder node (a transponder node with index and tp id); both modes
    // give the node its new label. A polarization without a row keeps the stored "pol".
    static TpWriteOutcome Write(CChannelDb &db, NavNode &node, TpInfoMode mode, const TpInfoValues &values);

    // The tail of a transponder label: "TP_f_s" (terrestrial), "TP_f_V_s" or "TP_f_H_s".
    static QString LabelTail(bool terrestrial, int32_t polarization, int32_t frequency, int32_t secondValue);
    // The label's ordinal prefix (the part before "TP", empty without one) followed by the tail.
    static QString RelabelWithTail(const QString &label, const QString &tail);
};
