// The rows of the Statistics window, without a window.
#pragma once

#include "database/DatabaseStatistics.h"

#include <QString>

#include <vector>

struct StatisticsRow
{
    QString section;  // "Programs", "Satellites", "Transponders", "Favourite groups", "Duplicates", "Room"
    QString label;
    QString value;
};

// Every figure of ComputeStatistics as a labelled row, grouped by section in that order.
std::vector<StatisticsRow> StatisticsRows(const DatabaseStatistics &statistics);
