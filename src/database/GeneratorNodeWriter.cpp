// Field writes of the generator: integers, arrays and texts with their lengths, by field name.
#include "database/GeneratorNodeWriter.h"

#include "core/ByteOrder.h"
#include "database/CChannelDb.h"
#include "layout/FieldCodec.h"
#include "layout/LayoutSet.h"

#include <QString>

#include <algorithm>

GeneratorNodeWriter::GeneratorNodeWriter(CChannelDb &db, NodeKind kind, int slot)
    : m_db(db), m_layouts(db.Layouts()), m_kind(kind), m_slot(slot)
{
}

bool GeneratorNodeWriter::Has(const char *name) const
{
    return m_layouts.FindField(m_kind, name, DeclarationOrder) >= 0;
}

void GeneratorNodeWriter::Set(const char *name, int64_t value)
{
    const int index = m_layouts.FindField(m_kind, name, DeclarationOrder);
    if (index >= 0)
        m_db.SetNodeData(m_kind, m_slot, index, std::to_string(value), DeclarationOrder);
}

void GeneratorNodeWriter::SetArray(int index, const std::vector<int> &values)
{
    const FieldDesc *field = m_layouts.Field(m_kind, index, DeclarationOrder);
    uint8_t *record = m_db.Record(m_kind, m_slot);
    if (!field || !record || field->kind != FieldKind::IntArray)
        return;
    const int width = field->bitWidth;
    if (width != 8 && width != 16 && width != 32)
        return;
    const size_t count = std::min(values.size(), size_t(field->sizeBits / width));
    std::string bytes(count * size_t(width / 8), '\0');
    uint8_t *p = reinterpret_cast<uint8_t *>(bytes.data());
    for (size_t i = 0; i < count; ++i) {
        if (width == 8)
            p[i] = uint8_t(values[i]);
        else if (width == 16)
            ByteOrder::WriteLe16(p + 2 * i, uint16_t(values[i]));
        else
            ByteOrder::WriteLe32(p + 4 * i, uint32_t(values[i]));
    }
    FieldCodec::WriteRawArray(*field, record, size_t(m_layouts.NodeSize(m_kind)), bytes);
}

void GeneratorNodeWriter::SetArray(const char *name, const std::vector<int> &values)
{
    SetArray(m_layouts.FindField(m_kind, name, DeclarationOrder), values);
}

void GeneratorNodeWriter::SetText(const char *textField, const char *lengthField, const std::string &utf8)
{
    const int index = m_layouts.FindField(m_kind, textField, DeclarationOrder);
    const FieldDesc *field = m_layouts.Field(m_kind, index, DeclarationOrder);
    if (!field || field->kind != FieldKind::String)
        return;
    // A file record keeps at most 32 bytes of a name.
    const int units = std::min(field->sizeBits / 8, 32) / 2;
    QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).left(units);
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    m_db.SetNodeData(m_kind, m_slot, index, text.toStdString(), DeclarationOrder);
    Set(lengthField, 2 * text.size());
}

void GeneratorNodeWriter::SetName(const std::string &utf8)
{
    SetText(Has("Service Name") ? "Service Name" : "satname", "name_len", utf8);
}

int GeneratorNodeWriter::AudioCompanion() const
{
    const int lang = m_layouts.FindField(m_kind, "audio_lang", DeclarationOrder);
    return lang > 0 ? lang - 1 : -1;
}
