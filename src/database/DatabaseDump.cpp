// Reads every field through GetNodeData so that the export shows exactly what the editor sees.
#include "database/DatabaseDump.h"

#include "database/CChannelDb.h"
#include "database/NodeTable.h"
#include "layout/LayoutSet.h"

#include <QJsonObject>
#include <QSet>

namespace {

// The elements of an IntArray field; 0 for other kinds.
int ElementCount(const FieldDesc &field)
{
    if (field.kind != FieldKind::IntArray || field.bitWidth <= 0)
        return 0;
    return field.sizeBits / field.bitWidth;
}

QString FieldText(const CChannelDb &db, NodeKind kind, int slot, int index, int element, bool &ok)
{
    std::string text;
    ok = db.GetNodeData(kind, slot, index, text, element, DeclarationOrder);
    return QString::fromStdString(text);
}

bool NeedsQuotes(const char *data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == ',' || c == '"' || c == '\n' || c == '\r')
            return true;
    }
    return false;
}

void AppendCell(QByteArray &out, const std::string &utf8)
{
    if (!NeedsQuotes(utf8.data(), utf8.size())) {
        out.append(utf8.data(), qsizetype(utf8.size()));
        return;
    }
    out += '"';
    for (const char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

QByteArray CsvCell(const std::string &utf8)
{
    QByteArray out;
    AppendCell(out, utf8);
    return out;
}

QByteArray CsvCell(const QString &text)
{
    return CsvCell(text.toStdString());
}

QJsonObject DatabaseDump::NodeObject(NodeKind kind, int slot) const
{
    const std::vector<FieldDesc> *fields = m_db.Layouts().Declarations(kind);
    QJsonObject values;
    for (size_t i = 0; fields && i < fields->size(); ++i) {
        const FieldDesc &field = (*fields)[i];
        const QString name = QString::fromStdString(field.name);
        // A name that appears twice is found by name as its first field only.
        if (values.contains(name))
            continue;
        bool ok = false;
        if (field.kind == FieldKind::IntArray) {
            QJsonArray elements;
            for (int e = 0; e < ElementCount(field); ++e) {
                const QString text = FieldText(m_db, kind, slot, int(i), e, ok);
                elements.append(ok ? QJsonValue(text) : QJsonValue());
            }
            values.insert(name, elements);
        } else {
            const QString text = FieldText(m_db, kind, slot, int(i), 0, ok);
            values.insert(name, ok ? QJsonValue(text) : QJsonValue());
        }
    }
    QJsonObject node;
    node.insert(QStringLiteral("slot"), slot);
    node.insert(QStringLiteral("fields"), values);
    return node;
}

QJsonArray DatabaseDump::Nodes(NodeKind kind) const
{
    QJsonArray nodes;
    for (int slot = 0; slot < m_db.Count(kind); ++slot) {
        if (m_db.IsUsed(kind, slot))
            nodes.append(NodeObject(kind, slot));
    }
    return nodes;
}

QJsonValue DatabaseDump::Favourites() const
{
    const FavouriteRecord *record = m_db.Favourites();
    if (!record)
        return QJsonValue(QJsonValue::Null);
    QJsonArray groups;
    for (const std::string &name : record->names)
        groups.append(QString::fromUtf8(name.data(), qsizetype(name.size())));
    QJsonObject favourites;
    favourites.insert(QStringLiteral("title"), QString::fromStdString(record->typeName));
    favourites.insert(QStringLiteral("nameLength"), int(record->nameLength));
    favourites.insert(QStringLiteral("extra"), int(record->extra));
    favourites.insert(QStringLiteral("groups"), groups);
    return favourites;
}

QJsonDocument DatabaseDump::Json(const std::vector<int32_t> *programSlots) const
{
    QJsonObject root;
    root.insert(QStringLiteral("satellites"), Nodes(KindSatellite));
    root.insert(QStringLiteral("transponders"), Nodes(KindTransponder));
    if (programSlots) {
        QJsonArray programs;
        for (const int32_t slot : *programSlots) {
            if (m_db.IsUsed(KindProgram, slot))
                programs.append(NodeObject(KindProgram, slot));
        }
        root.insert(QStringLiteral("programs"), programs);
    } else {
        root.insert(QStringLiteral("programs"), Nodes(KindProgram));
    }
    root.insert(QStringLiteral("favourites"), Favourites());
    return QJsonDocument(root);
}

void DatabaseDump::AppendCsvRow(QByteArray &out, NodeKind kind, int slot) const
{
    const std::vector<FieldDesc> *fields = m_db.Layouts().Declarations(kind);
    out += QByteArray::number(slot);
    std::string text;
    for (size_t i = 0; fields && i < fields->size(); ++i) {
        const FieldDesc &field = (*fields)[i];
        out += ',';
        if (field.kind == FieldKind::IntArray) {
            std::string cell;
            for (int e = 0; e < ElementCount(field); ++e) {
                if (e > 0)
                    cell += ';';
                text.clear();
                m_db.GetNodeData(kind, slot, int(i), text, e, DeclarationOrder);
                cell += text;
            }
            AppendCell(out, cell);
        } else {
            text.clear();
            m_db.GetNodeData(kind, slot, int(i), text, 0, DeclarationOrder);
            AppendCell(out, text);
        }
    }
    out += "\r\n";
}

QByteArray DatabaseDump::Csv(NodeKind kind, const std::vector<int32_t> &slots) const
{
    const std::vector<FieldDesc> *fields = m_db.Layouts().Declarations(kind);
    QByteArray out = "slot";
    for (size_t i = 0; fields && i < fields->size(); ++i) {
        out += ',';
        AppendCell(out, (*fields)[i].name);
    }
    out += "\r\n";
    // Rows are rarely longer than 200 bytes; one reservation saves the regrowth of a large export.
    out.reserve(out.size() + qsizetype(slots.size()) * 200);
    for (const int32_t slot : slots) {
        if (m_db.IsUsed(kind, slot))
            AppendCsvRow(out, kind, slot);
    }
    return out;
}

QByteArray DatabaseDump::Csv(NodeKind kind) const
{
    std::vector<int32_t> slots;
    for (int slot = 0; slot < m_db.Count(kind); ++slot) {
        if (m_db.IsUsed(kind, slot))
            slots.push_back(slot);
    }
    return Csv(kind, slots);
}
