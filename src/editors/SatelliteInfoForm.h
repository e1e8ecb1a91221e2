// The satellite dialog without its window: loading, the LNB rules, validation and writing.
#pragma once

#include "editors/FieldProblem.h"

#include <QString>

#include <cstdint>
#include <vector>

class CChannelDb;
struct NavNode;

enum class SatelliteInfoMode : int {
    New = 0,
    Edit = 1,
};

// What the dialog's controls show. A row of -1 is a list without a selection; such a field is
// left as stored on OK.
struct SatelliteInfoValues
{
    QString name;
    bool selected = false;
    int tunerRow = -1;
    int lnbTypeRow = -1;
    int firstFrequencyRow = -1;
    bool secondFrequencyFilled = false;  // Second Frequency holds the frequency rows
    bool secondFrequencyEnabled = true;
    int secondFrequencyRow = -1;
    int32_t position = 0;
    double longitude = 0.0;
    int eastWestRow = -1;
    int diseqcRow = -1;
    int k22Row = -1;
    int v12Row = -1;
    int toneburstRow = -1;
    bool inputsEnabled = true;  // false for the terrestrial satellite, shown read-only
};

// The control a validation failure points at.
// The controls a refused value puts the focus on, by their control ids.
enum class SatelliteInfoControl : int {
    None = 0,
    Name = 1035,
    Position = 1036,
    Longitude = 1037,
};

// The result of writing: which record changed, and its bytes before, for the undo command.
struct SatelliteWriteOutcome
{
    bool written = false;
    bool created = false;            // new mode: the record was allocated in `slot`
    int slot = -1;
    std::vector<uint8_t> before;     // edit mode: the record before the writes
    QString message;                 // why nothing was written
};

class SatelliteInfoForm
{
public:
    static constexpr int kMaxNameCharacters = 17;
    static constexpr int kTerrestrialSatId = 255;
    static constexpr int kMinPosition = 0;
    static constexpr int kMaxPosition = 59;
    static constexpr double kMaxLongitude = 180.0;

    // Values of a new satellite: "New Satellite", Standard LNB at 5150 MHz, East 0.0 and so on.
    static void Prepare(SatelliteInfoValues &values);
    // Values of the node's satellite record (edit mode). Fields the layout lacks, or that cannot
    // be read, leave their value as it was; a stored value in no row leaves its list without a
    // selection. `orbitOutOfRange` is set when "sat_orbit" is above 3600 ("BUG" is shown).
    static void Load(const CChannelDb &db, const NavNode &node, SatelliteInfoValues &values, bool &orbitOutOfRange);
    // A new LNB Type row: the frequency lists are refilled and preselected by the row.
    static void ChooseLnbType(SatelliteInfoValues &values, int row);

    // Most UTF-16 units a name may have: 17, and no more than the "satname" field holds.
    static int NameCapacity(const CChannelDb &db);

    // The OK checks in order: the numbers as typed, the name, the position and longitude ranges.
    // On success the numbers are stored in `values`.
    static std::optional<FieldProblem> Validate(const QString &positionText, const QString &longitudeText, int nameCapacity,
                                       SatelliteInfoValues &values);

    // Empty when a new satellite can be created; otherwise the message saying why not.
    static QString CheckNewSatellite(const CChannelDb &db);
    // Writes the values into the satellite record; in new mode creates the record first and makes
    // the node a complete satellite node (a satellite node with index and sat id). The node's label becomes the name.
    // Nothing is written (and the node is untouched) when no record can be created.
    static SatelliteWriteOutcome Write(CChannelDb &db, NavNode &node, SatelliteInfoMode mode,
                                       const SatelliteInfoValues &values);

    // "sat_orbit": tenths of a degree on a 0..3600 circle, West counted back from 3600.
    static int EncodeOrbit(double longitude, bool west);
    // False for a value above 3600.
    static bool DecodeOrbit(int orbit, double &longitude, bool &west);
    // The longitude text of control 1037: "%-5.1f" without its trailing blanks.
    static QString FormatLongitude(double longitude);
};
