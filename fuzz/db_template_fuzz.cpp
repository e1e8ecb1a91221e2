// Fuzzes the template parser on a header written to a temporary file.
#include "core/UserPrompt.h"
#include "layout/LayoutSet.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

QString &TemplatePath()
{
    static QString path = QDir::temp().filePath(QStringLiteral("dravel-template-fuzz-%1.h").arg(qint64(::getpid())));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool cleanup = std::atexit([] { QFile::remove(TemplatePath()); }) == 0;
    (void)cleanup;
    const QString &path = TemplatePath();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    SilentPrompt prompt;
    LayoutSet layouts;
    if (layouts.ParseTemplate(path, prompt)) {
        // Whatever parsed must answer every query without touching memory it does not own.
        for (NodeKind kind : kLayoutKinds) {
            volatile int sink = layouts.NodeSize(kind) + layouts.PositionCount(kind) + layouts.DeclarationCount(kind);
            (void)sink;
            for (FieldOrder order : {PositionOrder, DeclarationOrder}) {
                for (int i = -1; i <= layouts.DeclarationCount(kind) + 1; ++i) {
                    if (const FieldDesc *field = layouts.Field(kind, i, order))
                        (void)layouts.FindField(kind, field->name, order);
                }
            }
        }
    }
    return 0;
}
