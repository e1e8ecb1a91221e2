// Usage texts, layout loading and path rules shared by the file commands.
#include "cli/CliSupport.h"

#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "core/UserPrompt.h"
#include "database/DatabaseReader.h"
#include "database/ProfileStore.h"
#include "layout/LayoutCache.h"
#include "layout/LayoutSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

int UsageError(const char *usage, const QString &error)
{
    std::fprintf(stderr, "dravel-cli: %s\n\n%s", error.toUtf8().constData(), usage);
    return ExitUsage;
}

int PrintHelp(const char *usage)
{
    std::fputs(usage, stdout);
    return ExitOk;
}

int Failure(const QString &message)
{
    std::fprintf(stderr, "dravel-cli: %s\n", message.toUtf8().constData());
    return ExitFailed;
}

QString DefaultLayoutCachePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("script.ini"));
}

namespace {

bool LoadCacheFile(const QString &path, LayoutSet &layouts)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ParseLayoutCache(file.readAll(), layouts);
    return layouts.HasNodeLayouts();
}

} // namespace

bool LoadCliLayouts(const CliOptions &options, LayoutSet &layouts, UserPrompt &prompt)
{
    if (!options.Has(QStringLiteral("--layout"))) {
        const QString path = DefaultLayoutCachePath();
        if (!QFileInfo::exists(path)) {
            prompt.ShowMessage(QStringLiteral("\"%1\" not exist").arg(path));
            return false;
        }
        if (!LoadCacheFile(path, layouts)) {
            prompt.ShowMessage(QStringLiteral("\"%1\" holds no complete layouts; give --layout.").arg(path));
            return false;
        }
        return true;
    }
    const QString path = options.Value(QStringLiteral("--layout"));
    if (!QFileInfo(path).isFile()) {
        prompt.ShowMessage(QStringLiteral("\"%1\" not exist").arg(path));
        return false;
    }
    // A header is parsed; anything else is tried as a cache first and then as a header, since
    // a cache never parses as a template and a template never reads as a complete cache.
    if (!path.endsWith(QStringLiteral(".h"), Qt::CaseInsensitive)) {
        if (LoadCacheFile(path, layouts))
            return true;
        layouts.Clear();
    }
    if (!layouts.ParseTemplate(path, prompt)) {
        prompt.ShowMessage(QStringLiteral("ParseTemplate failed!"));
        return false;
    }
    return true;
}

bool IsDefaultDatabasePath(const QString &path)
{
    return path.endsWith(QStringLiteral(".ddf"), Qt::CaseInsensitive);
}

bool IsUserDatabasePath(const QString &path)
{
    return path.endsWith(QStringLiteral(".usd"), Qt::CaseInsensitive);
}

namespace {

// Loading without default favourites never reads the profile.
class UnusedProfile : public ProfileStore
{
public:
    QString ReadString(const QString &, const QString &) const override { return {}; }
    void WriteString(const QString &, const QString &, const QString &) override {}
};

} // namespace

bool LoadCliDatabase(CChannelDb &db, const QString &path)
{
    const UnusedProfile profile;
    return LoadDatabase(db, path, false, profile);
}
