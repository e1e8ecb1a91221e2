// Every node of a database with every field by name, as JSON (the stable machine format) or CSV.
#pragma once

#include "layout/NodeKind.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

class CChannelDb;

class DatabaseDump
{
public:
    explicit DatabaseDump(const CChannelDb &db) : m_db(db) {}

    // {"satellites":[...],"transponders":[...],"programs":[...],"favourites":{...}|null}
    QJsonDocument Json() const;
    // One object {"slot":n,"fields":{name:text|[texts]}} per live slot of the kind, in slot order.
    QJsonArray Nodes(NodeKind kind) const;
    QJsonValue Favourites() const;
    // A header row "slot" and the field names, then one row per live slot of the kind.
    QByteArray Csv(NodeKind kind) const;

private:
    const CChannelDb &m_db;
};
