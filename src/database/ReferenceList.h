// The programs of a reference list: another database file, or the export's CSV or JSON.
#pragma once

#include "database/ProgramFacts.h"

#include <QByteArray>
#include <QString>

#include <vector>

class LayoutSet;
class UserPrompt;

struct ReferenceList
{
    std::vector<ProgramFacts> programs;  // in the reference's order; slot is the row's own slot
    QString error;                       // why the reference cannot be used; empty when it can
    bool Ok() const { return error.isEmpty(); }
};

// A ".usd", ".ddf" or ".udf" is loaded with the given layouts (the loader's messages go to the
// prompt); ".csv" and ".json" are read as `dravel-cli dump` writes them. Any other name, an
// unreadable file, a column or field the program layout does not have (a list of another
// template) or a value that is not a number gives an error.
ReferenceList ReadReferenceFile(const QString &path, const LayoutSet &layouts, UserPrompt &prompt);
// A program CSV: "slot" and program field names as the header.
ReferenceList ReferenceFromCsv(const QByteArray &text, const LayoutSet &layouts);
// The JSON dump: "programs", and "transponders" and "satellites" for the frequencies and positions.
ReferenceList ReferenceFromJson(const QByteArray &text, const LayoutSet &layouts);
