// Reads every field through GetNodeData so that the dump shows exactly what the editor sees.
#include "cli/DatabaseDump.h"

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

QByteArray CsvCell(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

} // namespace

QJsonArray DatabaseDump::Nodes(NodeKind kind) const
{
    QJsonArray nodes;
    const std::vector<FieldDesc> *fields = m_db.Layouts().Declarations(kind);
    for (int slot = 0; slot < m_db.Count(kind); ++slot) {
        if (!m_db.IsUsed(kind, slot))
            continue;
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
        nodes.append(node);
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

QJsonDocument DatabaseDump::Json() const
{
    QJsonObject root;
    root.insert(QStringLiteral("satellites"), Nodes(KindSatellite));
    root.insert(QStringLiteral("transponders"), Nodes(KindTransponder));
    root.insert(QStringLiteral("programs"), Nodes(KindProgram));
    root.insert(QStringLiteral("favourites"), Favourites());
    return QJsonDocument(root);
}

QByteArray DatabaseDump::Csv(NodeKind kind) const
{
    const std::vector<FieldDesc> *fields = m_db.Layouts().Declarations(kind);
    QByteArray out = "slot";
    for (size_t i = 0; fields && i < fields->size(); ++i)
        out += ',' + CsvCell(QString::fromStdString((*fields)[i].name));
    out += "\r\n";
    for (int slot = 0; slot < m_db.Count(kind); ++slot) {
        if (!m_db.IsUsed(kind, slot))
            continue;
        out += QByteArray::number(slot);
        for (size_t i = 0; fields && i < fields->size(); ++i) {
            const FieldDesc &field = (*fields)[i];
            bool ok = false;
            QString cell;
            if (field.kind == FieldKind::IntArray) {
                QStringList elements;
                for (int e = 0; e < ElementCount(field); ++e)
                    elements << FieldText(m_db, kind, slot, int(i), e, ok);
                cell = elements.join(';');
            } else {
                cell = FieldText(m_db, kind, slot, int(i), 0, ok);
            }
            out += ',' + CsvCell(cell);
        }
        out += "\r\n";
    }
    return out;
}
