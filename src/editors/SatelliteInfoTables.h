// The drop-down tables of the satellite dialog: rows with their texts and stored values.
#pragma once

#include <QString>

#include <vector>

struct SatelliteListRow
{
    QString text;
    int value = 0;
};

using SatelliteListTable = std::vector<SatelliteListRow>;

// Tuner rows: the row index encodes "tuner1_valid" (bit 0) and "tuner2_valid" (bit 1).
const SatelliteListTable &TunerTable();
// "lnb_type": Standard 0, User 16, Universal 32.
const SatelliteListTable &LnbTypeTable();
// "lnb_low" / "lnb_high" in MHz.
const SatelliteListTable &LnbFrequencyTable();
// East / West; the stored longitude depends on the row, not on these item values.
const SatelliteListTable &EastWestTable();
// "Disable", then for switch type t = 1..4 with n = 2, 4, 8, 16 ports the rows "p/n" with the
// value (t << 16) | (p - 1).
const SatelliteListTable &DiseqcTable();
const SatelliteListTable &K22Table();
const SatelliteListTable &V12Table();
const SatelliteListTable &ToneburstTable();

// The first row holding this value, or -1.
int RowOfValue(const SatelliteListTable &table, int value);
// The row's value; `fallback` for a row outside the table (no selection).
int ValueOfRow(const SatelliteListTable &table, int row, int fallback = -1);

// Rows of the tables the dialog names by text.
enum SatelliteTableRow : int {
    TunerNone = 0,
    TunerFirst = 1,
    TunerSecond = 2,
    TunerBoth = 3,
    LnbStandard = 0,
    LnbUser = 1,
    LnbUniversal = 2,
    Frequency5150 = 0,
    Frequency5750 = 1,
    Frequency9750 = 3,
    Frequency10600 = 7,
    RowEast = 0,
    RowWest = 1,
};
