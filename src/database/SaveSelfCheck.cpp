// SaveSelfCheck: reading a writer's output back and comparing it with the database it came from.
#include "database/SaveSelfCheck.h"

#include "core/ByteOrder.h"
#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseReader.h"
#include "database/ProfileStore.h"
#include "database/RecordConverter.h"
#include "layout/FieldCodec.h"
#include "layout/LayoutSet.h"

#include <cstring>
#include <mutex>

namespace {

std::mutex g_hookMutex;
WriterFaultHook g_hook;

// The reader asks the profile only for default favourites, which the check does not use.
class NoProfile : public ProfileStore
{
public:
    QString ReadString(const QString &, const QString &) const override { return QString(); }
    void WriteString(const QString &, const QString &, const QString &) override {}
};

// Reader messages of the scratch load are collected, not shown: the check has its own.
class CollectingPrompt : public UserPrompt
{
public:
    QString first;
    void ShowMessageBox(const Message &message) override
    {
        if (first.isEmpty())
            first = message.text;
    }
    Answer AskYesNo(const QString &) override { return No; }
    Answer AskYesNoCancel(const QString &) override { return Cancel; }
};

const char *KindWord(NodeKind kind)
{
    return kind == KindSatellite ? "satellite" : kind == KindTransponder ? "transponder" : "program";
}

QString Refusal(const QString &what)
{
    return QStringLiteral("The file was not saved: reading the new file back gives %1. The old file is unchanged.")
        .arg(what);
}

QString Quoted(const std::string &text)
{
    return QLatin1Char('"') + QString::fromUtf8(text.data(), qsizetype(text.size())).left(40) + QLatin1Char('"');
}

} // namespace

void SetWriterFaultHookForTest(WriterFaultHook hook)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_hook = std::move(hook);
}

void ApplyWriterFaultHook(NodeKind kind, int slot, uint8_t *record, size_t length)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    if (g_hook)
        g_hook(kind, slot, record, length);
}

QString CheckSavedBytes(const CChannelDb &db, const QByteArray &file, bool terrestrialKept)
{
    const LayoutSet &layouts = db.Layouts();
    CollectingPrompt prompt;
    CChannelDb scratch(layouts, prompt);
    NoProfile profile;
    if (!LoadDatabaseBytes(scratch, file, false, profile))
        return Refusal(QStringLiteral("a file the reader refuses (%1)")
                           .arg(prompt.first.isEmpty() ? QStringLiteral("no reason given") : prompt.first.trimmed()));
    const RecordConverter converter(layouts);
    for (NodeKind kind : {KindSatellite, KindTransponder, KindProgram}) {
        const std::vector<FieldDesc> *fields = layouts.Declarations(kind);
        const size_t nodeSize = size_t(layouts.NodeSize(kind));
        if (!fields || nodeSize == 0)
            continue;
        int scratchSlot = 0;
        for (int slot = 0; slot < db.Count(kind); ++slot) {
            const uint8_t *record = db.Record(kind, slot);
            if (!record)
                continue;
            std::vector<uint8_t> compact;
            if (converter.Db3ToDb4(kind, compact, record, nodeSize) < 0)
                return Refusal(QStringLiteral("no record for %1 %2").arg(KindWord(kind)).arg(slot + 1));
            const uint32_t id = ByteOrder::ReadLe32(compact.data());
            if (!terrestrialKept && RecordConverter::SatIdOf(id) == RecordConverter::kTerrestrialSatId)
                continue;
            // What the file keeps of the open record.
            std::vector<uint8_t> expected(nodeSize, 0xFF);
            converter.Db4ToDb3(kind, expected.data(), expected.size(), compact.data(), compact.size());
            const uint8_t *back = scratchSlot < scratch.Count(kind) ? scratch.Record(kind, scratchSlot) : nullptr;
            ++scratchSlot;
            if (!back)
                return Refusal(QStringLiteral("no %1 %2").arg(KindWord(kind)).arg(slot + 1));
            // Equal bytes are equal fields; only a difference is looked at field by field (bits
            // that belong to no field do not count).
            if (std::memcmp(expected.data(), back, nodeSize) == 0)
                continue;
            for (size_t f = 0; f < fields->size(); ++f) {
                std::string want, got;
                GetFieldText(layouts, kind, expected.data(), nodeSize, int(f), want);
                GetFieldText(layouts, kind, back, nodeSize, int(f), got);
                if (want != got)
                    return Refusal(QStringLiteral("a different %1 %2: field \"%3\" reads %4 instead of %5")
                                       .arg(KindWord(kind))
                                       .arg(slot + 1)
                                       .arg(QString::fromStdString((*fields)[f].name))
                                       .arg(Quoted(got), Quoted(want)));
            }
        }
        if (scratchSlot != scratch.LiveCount(kind))
            return Refusal(QStringLiteral("%1 %2 nodes where %3 were saved")
                               .arg(scratch.LiveCount(kind))
                               .arg(KindWord(kind))
                               .arg(scratchSlot));
    }
    return QString();
}
