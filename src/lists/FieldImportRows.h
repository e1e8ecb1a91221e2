// The texts of the Import Field Changes window's lists, without a window.
#pragma once

#include "database/FieldChangeImport.h"
#include "database/ProgramFacts.h"

#include <QStringList>

#include <vector>

enum class FieldChangeColumn { Line, Channel, Field, Change, Count };
enum class RefusedColumn { Line, Reason, Count };

QStringList FieldChangeColumnTitles();
QStringList RefusedColumnTitles();

// One row per change: CSV line, the channel (its Index in channel order and name), the field, and
// "old → new".
std::vector<QStringList> FieldChangeRows(const std::vector<ProgramFacts> &programs, const FieldImport &import);
std::vector<QStringList> RefusedRows(const FieldImport &import);

// "5 changes in 3 programs; 2 lines refused; 4 lines unchanged"
QString FieldImportSummary(const FieldImport &import);
