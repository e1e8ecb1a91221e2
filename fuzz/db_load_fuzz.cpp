// Fuzzes the database reader with the bundled layouts, and saves what it accepted.
#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseReader.h"
#include "database/DatabaseWriter.h"
#include "database/ProfileStore.h"
#include "layout/LayoutSet.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

class EmptyProfile : public ProfileStore
{
public:
    QString ReadString(const QString &, const QString &) const override { return {}; }
    void WriteString(const QString &, const QString &, const QString &) override {}
};

const LayoutSet &BundledLayouts()
{
    static LayoutSet layouts;
    static bool parsed = false;
    if (!parsed) {
        SilentPrompt prompt;
        if (!layouts.ParseTemplate(QStringLiteral(DRAVEL_SOURCE_DIR "/resources/templates/dravel-stb.h"), prompt))
            std::abort();  // without layouts nothing past the header would be reached
        parsed = true;
    }
    return layouts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static SilentPrompt prompt;
    static EmptyProfile profile;
    static CChannelDb db(BundledLayouts(), prompt);
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    // Odd sizes also take the default favourites, so both paths of the favourite record run.
    if (LoadDatabaseBytes(db, file, (size & 1) != 0, profile)) {
        Payload payload;
        BuildPayload(db, payload);
        for (NodeKind kind : kTableKinds) {
            std::string text;
            for (int slot = 0; slot < db.Count(kind); ++slot)
                db.GetNodeData(kind, slot, 0, text, 0, DeclarationOrder);
        }
    }
    return 0;
}
