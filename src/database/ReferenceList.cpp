// Reads a reference list and checks that it was written for the same program layout.
#include "database/ReferenceList.h"

#include "database/CChannelDb.h"
#include "database/CsvReader.h"
#include "database/DatabaseReader.h"
#include "database/ProfileStore.h"
#include "database/RecordConverter.h"
#include "layout/LayoutSet.h"

#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>
#include <optional>
#include <unordered_map>

namespace {

// A reference is a list of at most 30000 programs; its text never needs more than this.
constexpr qint64 kMaxReferenceBytes = 64 * 1024 * 1024;

// The reference is read as a file of the user's, never with the profile's favourite groups.
class NoProfile : public ProfileStore
{
public:
    QString ReadString(const QString &, const QString &) const override { return {}; }
    void WriteString(const QString &, const QString &, const QString &) override {}
};

// The text of a field by name; nullopt when the row does not have it.
using FieldLookup = std::function<std::optional<QString>(const char *name)>;

// Reads the named integer; absent and empty give the fallback, anything else but a number fails.
bool IntField(const FieldLookup &get, const char *name, int32_t fallback, int32_t &out, QString &error,
              const QString &where)
{
    const std::optional<QString> text = get(name);
    if (!text || text->trimmed().isEmpty()) {
        out = fallback;
        return true;
    }
    bool ok = false;
    const qint64 value = text->trimmed().toLongLong(&ok, 10);
    if (!ok || value < INT32_MIN || value > UINT32_MAX) {
        error = QStringLiteral("%1: \"%2\" in %3 is not a number").arg(where, *text, QString::fromLatin1(name));
        return false;
    }
    out = int32_t(value);
    return true;
}

bool ProgramFromFields(const FieldLookup &get, ProgramFacts &p, QString &error, const QString &where)
{
    int32_t type = 0, scramble = 0, groups = 0;
    if (!IntField(get, "sat_id", 0, p.key.satId, error, where) || !IntField(get, "tp_id", 0, p.key.tpId, error, where)
        || !IntField(get, "prog_id", 0, p.key.progId, error, where)
        || !IntField(get, "Service ID", 0, p.serviceId, error, where)
        || !IntField(get, "Service Type", 0, type, error, where) || !IntField(get, "Scramble", 0, scramble, error, where)
        || !IntField(get, "Favorite Group", 0, groups, error, where)
        || !IntField(get, "Video Pid", 0, p.videoPid, error, where)
        || !IntField(get, "Audio Pid1", 0, p.audioPid, error, where)
        || !IntField(get, "PCR Pid", 0, p.pcrPid, error, where))
        return false;
    p.tv = type == 1;
    p.scrambled = scramble != 0;
    p.groups = uint32_t(groups);
    p.name = get("Service Name").value_or(QString()).toStdString();
    p.terrestrial = p.key.satId == int32_t(RecordConverter::kTerrestrialSatId);
    return true;
}

// Empty when every name is a program field of the layout.
QString CheckProgramFields(const QStringList &names, const LayoutSet &layouts, const QString &where)
{
    for (const QString &name : names) {
        if (layouts.FindField(KindProgram, name.toStdString(), DeclarationOrder) < 0)
            return QStringLiteral("%1: \"%2\" is no program field of this template; the list was written for "
                                  "another one")
                .arg(where, name);
    }
    if (!names.contains(QStringLiteral("Service Name")) && !names.contains(QStringLiteral("Service ID")))
        return QStringLiteral("%1: neither \"Service Name\" nor \"Service ID\" is there to match programs by").arg(where);
    return {};
}

std::optional<QString> JsonText(const QJsonObject &fields, const char *name)
{
    const QJsonValue value = fields.value(QLatin1String(name));
    if (value.isString())
        return value.toString();
    return std::nullopt;
}

} // namespace

ReferenceList ReferenceFromCsv(const QByteArray &text, const LayoutSet &layouts)
{
    ReferenceList list;
    const CsvTable table = ReadCsv(text);
    if (!table.Ok()) {
        list.error = table.error;
        return list;
    }
    QStringList names = table.header;
    const qsizetype slotColumn = names.indexOf(QStringLiteral("slot"));
    if (slotColumn >= 0)
        names.removeAt(slotColumn);
    if (const QString error = CheckProgramFields(names, layouts, QStringLiteral("line 1")); !error.isEmpty()) {
        list.error = error;
        return list;
    }
    QHash<QString, qsizetype> column;
    for (qsizetype i = 0; i < table.header.size(); ++i)
        column.insert(table.header[i], i);
    list.programs.reserve(table.records.size());
    for (const CsvRecord &record : table.records) {
        const FieldLookup get = [&](const char *name) -> std::optional<QString> {
            const auto found = column.constFind(QString::fromLatin1(name));
            if (found == column.cend())
                return std::nullopt;
            return record.cells[*found];
        };
        ProgramFacts p;
        const QString where = QStringLiteral("line %1").arg(record.line);
        if (!IntField(get, "slot", -1, p.slot, list.error, where) || !ProgramFromFields(get, p, list.error, where)) {
            list.programs.clear();
            return list;
        }
        list.programs.push_back(std::move(p));
    }
    return list;
}

ReferenceList ReferenceFromJson(const QByteArray &text, const LayoutSet &layouts)
{
    ReferenceList list;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject() || !doc.object().value("programs").isArray()) {
        list.error = parseError.error != QJsonParseError::NoError
                         ? QStringLiteral("not JSON: %1 at byte %2").arg(parseError.errorString()).arg(parseError.offset)
                         : QStringLiteral("not a dump: no \"programs\" list");
        return list;
    }
    const QJsonObject root = doc.object();

    std::unordered_map<int32_t, int32_t> orbits;
    for (const QJsonValue &node : root.value("satellites").toArray()) {
        const QJsonObject fields = node.toObject().value("fields").toObject();
        bool ok = false, orbitOk = false;
        const int32_t satId = JsonText(fields, "sat_id").value_or(QString()).toInt(&ok);
        const int32_t orbit = JsonText(fields, "sat_orbit").value_or(QString()).toInt(&orbitOk);
        if (ok && orbitOk)
            orbits.emplace(satId, orbit);
    }
    struct Tp
    {
        int32_t frequency = -1;
        int32_t polarisation = -1;
    };
    std::unordered_map<uint64_t, Tp> transponders;
    for (const QJsonValue &node : root.value("transponders").toArray()) {
        const QJsonObject fields = node.toObject().value("fields").toObject();
        bool satOk = false, tpOk = false, ok = false;
        const int32_t satId = JsonText(fields, "sat_id").value_or(QString()).toInt(&satOk);
        const int32_t tpId = JsonText(fields, "tp_id").value_or(QString()).toInt(&tpOk);
        if (!satOk || !tpOk)
            continue;
        Tp tp;
        const char *frequencyField = satId == int32_t(RecordConverter::kTerrestrialSatId) ? "dvbt_frq" : "frq";
        tp.frequency = JsonText(fields, frequencyField).value_or(QString()).toInt(&ok);
        if (!ok)
            tp.frequency = -1;
        tp.polarisation = JsonText(fields, "pol").value_or(QString()).toInt(&ok);
        if (!ok)
            tp.polarisation = -1;
        transponders.emplace((uint64_t(uint32_t(satId)) << 32) | uint32_t(tpId), tp);
    }

    const QJsonArray programs = root.value("programs").toArray();
    list.programs.reserve(size_t(programs.size()));
    for (qsizetype i = 0; i < programs.size(); ++i) {
        const QJsonObject node = programs[i].toObject();
        const QJsonObject fields = node.value("fields").toObject();
        const QString where = QStringLiteral("program %1").arg(i + 1);
        if (i == 0) {
            if (const QString error = CheckProgramFields(fields.keys(), layouts, where); !error.isEmpty()) {
                list.error = error;
                return list;
            }
        }
        for (auto field = fields.begin(); field != fields.end(); ++field) {
            if (layouts.FindField(KindProgram, field.key().toStdString(), DeclarationOrder) < 0) {
                list.error = CheckProgramFields({field.key()}, layouts, where);
                list.programs.clear();
                return list;
            }
        }
        ProgramFacts p;
        p.slot = node.value("slot").toInt(-1);
        const FieldLookup get = [&](const char *name) { return JsonText(fields, name); };
        if (!ProgramFromFields(get, p, list.error, where)) {
            list.programs.clear();
            return list;
        }
        if (const auto tp = transponders.find((uint64_t(uint32_t(p.key.satId)) << 32) | uint32_t(p.key.tpId));
            tp != transponders.end()) {
            p.frequency = tp->second.frequency;
            p.polarisation = tp->second.polarisation;
        }
        if (const auto sat = orbits.find(p.key.satId); sat != orbits.end() && !p.terrestrial)
            p.orbit = sat->second;
        list.programs.push_back(std::move(p));
    }
    return list;
}

ReferenceList ReadReferenceFile(const QString &path, const LayoutSet &layouts, UserPrompt &prompt)
{
    ReferenceList list;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("usd") || suffix == QLatin1String("ddf") || suffix == QLatin1String("udf")) {
        CChannelDb reference(layouts, prompt);
        const NoProfile profile;
        if (!LoadDatabase(reference, path, false, profile)) {
            list.error = QStringLiteral("\"%1\" cannot be read as a channel database").arg(path);
            return list;
        }
        list.programs = CollectProgramFacts(reference);
        return list;
    }
    if (suffix != QLatin1String("csv") && suffix != QLatin1String("json")) {
        list.error = QStringLiteral("\"%1\": a reference is a .usd, .ddf, .udf, .csv or .json file").arg(path);
        return list;
    }
    QByteArray bytes;
    QString reason;
    switch (ReadBoundedFile(path, kMaxReferenceBytes, bytes, reason)) {
    case FileReadStatus::Read:
        break;
    case FileReadStatus::CannotOpen:
        list.error = QStringLiteral("\"%1\" cannot be read: %2").arg(path, reason);
        return list;
    case FileReadStatus::TooLarge:
        list.error = QStringLiteral("\"%1\" is larger than %2 bytes").arg(path).arg(kMaxReferenceBytes);
        return list;
    }
    list = suffix == QLatin1String("csv") ? ReferenceFromCsv(bytes, layouts) : ReferenceFromJson(bytes, layouts);
    if (!list.Ok())
        list.error = QStringLiteral("\"%1\", %2").arg(path, list.error);
    return list;
}
