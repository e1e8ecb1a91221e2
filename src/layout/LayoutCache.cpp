// Layout cache file: sections of a marker and its field records, little-endian.
#include "layout/LayoutCache.h"

#include "core/ByteOrder.h"
#include "layout/LayoutSet.h"
#include "layout/TemplateParser.h"

#include <QFile>
#include <QSaveFile>

#include <cstring>
#include <optional>

namespace {

constexpr NodeKind kSectionOrder[] = {KindTransponder, KindSatellite, KindProgram, KindDefaultProgram};

void AppendLe16(QByteArray &out, uint16_t v)
{
    uint8_t b[2];
    ByteOrder::WriteLe16(b, v);
    out.append(reinterpret_cast<const char *>(b), 2);
}

void AppendLe32(QByteArray &out, int32_t v)
{
    uint8_t b[4];
    ByteOrder::WriteLe32(b, uint32_t(v));
    out.append(reinterpret_cast<const char *>(b), 4);
}

// Sequential reader that reports a short read instead of running past the end.
class CacheReader
{
public:
    explicit CacheReader(const QByteArray &bytes) : m_bytes(bytes) {}
    bool AtEnd() const { return m_pos >= size_t(m_bytes.size()); }
    bool Read(size_t n, const uint8_t *&out)
    {
        if (size_t(m_bytes.size()) - m_pos < n)
            return false;
        out = reinterpret_cast<const uint8_t *>(m_bytes.constData()) + m_pos;
        m_pos += n;
        return true;
    }
    std::optional<uint16_t> Le16()
    {
        const uint8_t *p;
        return Read(2, p) ? std::optional<uint16_t>(ByteOrder::ReadLe16(p)) : std::nullopt;
    }
    std::optional<int32_t> Le32()
    {
        const uint8_t *p;
        return Read(4, p) ? std::optional<int32_t>(int32_t(ByteOrder::ReadLe32(p))) : std::nullopt;
    }

private:
    const QByteArray &m_bytes;
    size_t m_pos = 0;
};

// A record whose numbers could not have come from a template is treated as a malformed section.
bool IsPlausible(const FieldDesc &f)
{
    return f.kind >= FieldKind::Integer && f.kind <= FieldKind::IntArray && f.bitWidth > 0 && f.sizeBits >= 0
        && f.bitOffset >= 0 && f.bitOffset < 32 && f.wordIndex >= 0;
}

std::optional<FieldDesc> ReadRecord(CacheReader &reader)
{
    const std::optional<uint16_t> nameLength = reader.Le16();
    if (!nameLength || *nameLength > 255)
        return std::nullopt;
    const uint8_t *name;
    if (!reader.Read(*nameLength, name))
        return std::nullopt;
    int32_t numbers[7];
    for (int32_t &n : numbers) {
        const std::optional<int32_t> v = reader.Le32();
        if (!v)
            return std::nullopt;
        n = *v;
    }
    FieldDesc field;
    field.name.assign(reinterpret_cast<const char *>(name), *nameLength);
    field.kind = FieldKind(numbers[0]);
    field.masked = numbers[1];
    field.pos = numbers[2];
    field.bitWidth = numbers[3];
    field.sizeBits = numbers[4];
    field.bitOffset = numbers[5];
    field.wordIndex = numbers[6];
    if (!IsPlausible(field))
        return std::nullopt;
    return field;
}

} // namespace

QByteArray SerializeLayoutCache(const LayoutSet &layouts)
{
    if (!layouts.HasNodeLayouts())
        return {};
    QByteArray out;
    for (NodeKind kind : kSectionOrder) {
        const std::vector<FieldDesc> *fields = layouts.Declarations(kind);
        if (!fields)
            continue;  // only the default-program layout may be missing here
        const char *marker = TemplateParser::MarkerOf(kind);
        const size_t markerLength = std::strlen(marker);
        AppendLe16(out, uint16_t(markerLength));
        out.append(marker, qsizetype(markerLength));
        AppendLe16(out, uint16_t(fields->size()));
        for (const FieldDesc &f : *fields) {
            AppendLe16(out, uint16_t(f.name.size()));
            out.append(f.name.data(), qsizetype(f.name.size()));
            for (int32_t v : {int32_t(f.kind), f.masked, f.pos, f.bitWidth, f.sizeBits, f.bitOffset, f.wordIndex})
                AppendLe32(out, v);
        }
    }
    return out;
}

bool SaveLayoutCache(const QString &path, const LayoutSet &layouts)
{
    const QByteArray bytes = SerializeLayoutCache(layouts);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

void ParseLayoutCache(const QByteArray &bytes, LayoutSet &layouts)
{
    layouts.ClearKind(KindTransponder);
    layouts.ClearKind(KindSatellite);
    layouts.ClearKind(KindProgram);

    CacheReader reader(bytes);
    while (!reader.AtEnd()) {
        const std::optional<uint16_t> markerLength = reader.Le16();
        if (!markerLength || *markerLength < 1 || *markerLength > 1023)
            return;
        const uint8_t *markerBytes;
        if (!reader.Read(*markerLength, markerBytes))
            return;
        const std::string marker(reinterpret_cast<const char *>(markerBytes), *markerLength);
        const std::optional<uint16_t> count = reader.Le16();
        if (!count)
            return;
        std::vector<FieldDesc> fields;
        fields.reserve(*count);
        for (int i = 0; i < *count; ++i) {
            std::optional<FieldDesc> field = ReadRecord(reader);
            if (!field)
                return;  // the incomplete section is discarded
            fields.push_back(std::move(*field));
        }
        for (NodeKind kind : kSectionOrder) {
            if (marker == TemplateParser::MarkerOf(kind)) {
                layouts.ReplaceKind(kind, std::move(fields));
                break;
            }
        }
        // A section with an unknown marker has been read and is dropped.
    }
}

bool LoadLayoutCache(const QString &path, LayoutSet &layouts)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ParseLayoutCache(file.readAll(), layouts);
    return true;
}
