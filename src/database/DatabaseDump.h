// The export formats: every node with every field by name, as JSON (the stable machine format) or CSV.
#pragma once

#include "layout/FieldDesc.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QString>

#include <cstdint>
#include <vector>

class CChannelDb;

// `dravel-cli dump` prints these, File → Export writes them, and a reference list or a field
// import reads them back. CSV: UTF-8, CRLF, a header row "slot" and the field names in
// declaration order, an IntArray's elements joined by ';', a cell with a comma, quote or line
// break quoted.
class DatabaseDump
{
public:
    explicit DatabaseDump(const CChannelDb &db) : m_db(db) {}

    // {"satellites":[...],"transponders":[...],"programs":[...],"favourites":{...}|null}; with
    // programSlots, "programs" holds those programs in that order (the other kinds stay whole,
    // so that a reader finds each program's transponder and satellite).
    QJsonDocument Json(const std::vector<int32_t> *programSlots = nullptr) const;
    // One object {"slot":n,"fields":{name:text|[texts]}} per live slot of the kind, in slot order.
    QJsonArray Nodes(NodeKind kind) const;
    QJsonValue Favourites() const;
    // A header row "slot" and the field names, then one row per live slot of the kind.
    QByteArray Csv(NodeKind kind) const;
    // The same for the given slots in their order (free or unknown slots are left out).
    QByteArray Csv(NodeKind kind, const std::vector<int32_t> &slots) const;

private:
    QJsonObject NodeObject(NodeKind kind, int slot) const;
    void AppendCsvRow(QByteArray &out, NodeKind kind, int slot) const;

    const CChannelDb &m_db;
};

// One CSV cell: UTF-8, quoted when it holds a comma, a quote or a line break.
QByteArray CsvCell(const QString &text);
QByteArray CsvCell(const std::string &utf8);
