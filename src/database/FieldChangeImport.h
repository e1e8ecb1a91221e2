// Field changes read from a program CSV: matched, checked and listed before anything is written.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class CChannelDb;

// One field of one program that the import changes.
struct FieldChange
{
    int line = 0;             // the CSV line it came from
    int32_t slot = -1;        // the program
    int field = -1;           // declaration-order index
    QString fieldName;
    QString before;           // the text the field shows now
    QString after;            // the text it will show
    bool isText = false;      // a String field: `text` is stored; else `value`
    std::string text;
    uint32_t value = 0;
};

struct RefusedLine
{
    int line = 0;
    QString reason;
};

struct FieldImport
{
    std::vector<FieldChange> changes;   // in line order; a text's length field follows the text
    std::vector<RefusedLine> refused;   // a refused line changes nothing
    int unchangedLines = 0;             // lines that match their program already
    QString error;                      // the whole file is refused (nothing is changed)
    bool Ok() const { return error.isEmpty(); }
};

// Reads a program CSV as `dravel-cli dump --format csv` writes it (any subset of its columns, in
// any order). A row names its program by "slot" (and, when given, the ids must agree) or else by
// "sat_id", "tp_id" and "prog_id". Each cell that differs from the program is checked as the
// program dialog checks it: a whole decimal number within the field's width and the PID ranges,
// "Service Type" 0 or 1, a name not empty and cut to what the field holds (at most 17
// characters for "Service Name"); the ids, the length of a text (which follows the text) and
// array fields cannot be changed. A line with any bad cell is refused as a whole. The file is
// refused when it is no CSV, a column is no program field or a line has another field count.
FieldImport PlanFieldImport(const CChannelDb &db, const QByteArray &csv);

// Writes the changes. False, with nothing written, when one names a free slot or a bad field.
bool ApplyFieldChanges(CChannelDb &db, const std::vector<FieldChange> &changes);
