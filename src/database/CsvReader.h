// Reading the CSV the export writes (RFC 4180: commas, quotes, CRLF or LF; UTF-8) with line numbers.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

struct CsvRecord
{
    int line = 0;        // the file line the record starts on, from 1
    QStringList cells;
};

struct CsvTable
{
    QStringList header;
    std::vector<CsvRecord> records;  // blank lines are left out
    QString error;                   // empty when the whole text was read
    bool Ok() const { return error.isEmpty(); }
};

// Reads the text; the first record is the header. An error names its line: a quote left open, a
// character after a closing quote, bytes that are not UTF-8, a record with another number of
// cells than the header.
CsvTable ReadCsv(const QByteArray &text);
