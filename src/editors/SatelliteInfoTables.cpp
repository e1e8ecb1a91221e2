// The satellite dialog's tables, built once.
#include "editors/SatelliteInfoTables.h"

const SatelliteListTable &TunerTable()
{
    static const SatelliteListTable table {
        {QStringLiteral("None"), 0}, {QStringLiteral("Tuner1_valid"), 1},
        {QStringLiteral("Tuner2_valid"), 2}, {QStringLiteral("Both"), 3}};
    return table;
}

const SatelliteListTable &LnbTypeTable()
{
    static const SatelliteListTable table {
        {QStringLiteral("Standard"), 0}, {QStringLiteral("User"), 16}, {QStringLiteral("Universal"), 32}};
    return table;
}

const SatelliteListTable &LnbFrequencyTable()
{
    static const SatelliteListTable table = [] {
        SatelliteListTable rows;
        for (int mhz : {5150, 5750, 5950, 9750, 10000, 10050, 10450, 10600, 10700, 10750, 11250, 11300})
            rows.push_back({QStringLiteral("%1 MHz").arg(mhz), mhz});
        return rows;
    }();
    return table;
}

const SatelliteListTable &EastWestTable()
{
    static const SatelliteListTable table {{QStringLiteral("East"), 0}, {QStringLiteral("West"), 8388608}};
    return table;
}

const SatelliteListTable &DiseqcTable()
{
    static const SatelliteListTable table = [] {
        SatelliteListTable rows {{QStringLiteral("Disable"), 0}};
        for (int type = 1; type <= 4; ++type) {
            const int ports = 1 << type;
            for (int port = 1; port <= ports; ++port)
                rows.push_back({QStringLiteral("%1/%2").arg(port).arg(ports), (type << 16) | (port - 1)});
        }
        return rows;
    }();
    return table;
}

const SatelliteListTable &K22Table()
{
    static const SatelliteListTable table {{QStringLiteral("OFF"), 0}, {QStringLiteral("ON"), 1}};
    return table;
}

const SatelliteListTable &V12Table()
{
    static const SatelliteListTable table {{QStringLiteral("0 V"), 0}, {QStringLiteral("12 V"), 1}};
    return table;
}

const SatelliteListTable &ToneburstTable()
{
    static const SatelliteListTable table {
        {QStringLiteral("OFF"), 0}, {QStringLiteral("A"), 1}, {QStringLiteral("B"), 2}};
    return table;
}

int RowOfValue(const SatelliteListTable &table, int value)
{
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].value == value)
            return int(i);
    }
    return -1;
}

int ValueOfRow(const SatelliteListTable &table, int row, int fallback)
{
    if (row < 0 || size_t(row) >= table.size())
        return fallback;
    return table[size_t(row)].value;
}
