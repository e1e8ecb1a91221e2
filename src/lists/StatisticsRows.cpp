// The Statistics window's rows.
#include "lists/StatisticsRows.h"

namespace {

QString Number(int value) { return QString::number(value); }

QString Room(const KindRoom &room)
{
    return QStringLiteral("%1 used, %2 rows free, %3 ids free").arg(room.used).arg(room.freeRows).arg(room.freeIds);
}

} // namespace

std::vector<StatisticsRow> StatisticsRows(const DatabaseStatistics &s)
{
    std::vector<StatisticsRow> rows;
    const QString programs = QStringLiteral("Programs");
    rows.push_back({programs, QStringLiteral("All"), Number(s.programs)});
    rows.push_back({programs, QStringLiteral("TV"), Number(s.tv)});
    rows.push_back({programs, QStringLiteral("Radio"), Number(s.radio)});
    rows.push_back({programs, QStringLiteral("Scrambled"), Number(s.scrambled)});
    rows.push_back({programs, QStringLiteral("Free-to-air"), Number(s.freeToAir)});

    const QString satellites = QStringLiteral("Satellites");
    for (const SatelliteFigures &sat : s.satellites) {
        rows.push_back({satellites, QStringLiteral("%1 (id %2)").arg(QString::fromStdString(sat.name)).arg(sat.satId),
                        QStringLiteral("%1 transponders, %2 programs (%3 TV, %4 radio, %5 scrambled)")
                            .arg(sat.transponders)
                            .arg(sat.programs)
                            .arg(sat.tv)
                            .arg(sat.radio)
                            .arg(sat.scrambled)});
    }
    const QString transponders = QStringLiteral("Transponders");
    for (const TransponderFigures &tp : s.transponders) {
        QString label = QStringLiteral("sat %1 / tp %2").arg(tp.satId).arg(tp.tpId);
        if (tp.frequency >= 0)
            label += QStringLiteral(" (%1)").arg(tp.frequency);
        rows.push_back({transponders, label, QStringLiteral("%1 programs").arg(tp.programs)});
    }
    const QString groups = QStringLiteral("Favourite groups");
    for (size_t g = 0; g < s.groupMembers.size(); ++g) {
        const QString name = g < s.groupNames.size() ? QString::fromStdString(s.groupNames[g]) : QString();
        if (name.isEmpty() && s.groupMembers[g] == 0)
            continue;
        rows.push_back({groups, QStringLiteral("%1 %2").arg(g + 1).arg(name).trimmed(),
                        QStringLiteral("%1 members").arg(s.groupMembers[g])});
    }
    const QString duplicates = QStringLiteral("Duplicates");
    rows.push_back({duplicates, QStringLiteral("Groups"),
                    QStringLiteral("%1 (%2 same service)").arg(s.duplicateGroups).arg(s.sameServiceGroups)});
    rows.push_back({duplicates, QStringLiteral("Programs to delete"), Number(s.duplicatePrograms)});
    const QString room = QStringLiteral("Room");
    rows.push_back({room, QStringLiteral("Satellites"), Room(s.satelliteRoom)});
    rows.push_back({room, QStringLiteral("Transponders"), Room(s.transponderRoom)});
    rows.push_back({room, QStringLiteral("Programs"), Room(s.programRoom)});
    return rows;
}
