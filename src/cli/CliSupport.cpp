// Usage texts, layout loading and path rules shared by the file commands.
#include "cli/CliSupport.h"

#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/ConsolePrompt.h"
#include "cli/ConsoleTransferObserver.h"
#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseReader.h"
#include "database/ProfileStore.h"
#include "database/RecordConverter.h"
#include "layout/LayoutCache.h"
#include "layout/LayoutSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

QString UsageCommand(const char *usage)
{
    static const QLatin1String lead("usage: dravel-cli ");
    const QString text = QString::fromUtf8(usage);
    if (!text.startsWith(lead))
        return QString();
    const qsizetype begin = lead.size();
    qsizetype end = begin;
    while (end < text.size() && !text[end].isSpace())
        ++end;
    return text.mid(begin, end - begin);
}

int UsageError(const char *usage, const QString &error)
{
    return CommandUsageError(UsageCommand(usage), error);
}

int CommandUsageError(const QString &command, const QString &error)
{
    ConsoleTransferObserver::EndProgressLine();
    std::fprintf(stderr, "dravel-cli: %s\nsee `dravel-cli %s--help`\n", error.toUtf8().constData(),
                 command.isEmpty() ? "" : (command + QLatin1Char(' ')).toUtf8().constData());
    std::fflush(stderr);
    return ExitUsage;
}

int PrintHelp(const char *usage)
{
    std::fputs(usage, stdout);
    return ExitOk;
}

int Failure(const QString &message)
{
    ConsolePrompt::Print(message);
    return ExitFailed;
}

namespace {

// The reason of the first failed write to stdout; a later flush no longer knows it.
int g_outputError = 0;

} // namespace

void WriteStandardOutput(const QByteArray &bytes)
{
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) && g_outputError == 0)
        g_outputError = errno;
}

int CheckStandardOutput(int status)
{
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int error = g_outputError != 0 ? g_outputError : errno;
    if (flushed && !std::ferror(stdout))
        return status;
    const QString reason = error != 0 ? QString::fromStdString(std::generic_category().message(error))
                                      : QStringLiteral("write error");
    ConsolePrompt::Print(QStringLiteral("Cannot write the standard output.\n") + reason);
    return status == ExitOk ? ExitFailed : status;
}

QString DefaultLayoutCachePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("script.ini"));
}

QString InstalledLayoutCachePath()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/dravel/script.ini"));
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
        // Beside the program (a build folder), else the installed copy (/usr/bin/../share/dravel).
        QString path = DefaultLayoutCachePath();
        if (!QFileInfo::exists(path)) {
            const QString installed = InstalledLayoutCachePath();
            if (!QFileInfo::exists(installed)) {
                prompt.ShowMessage(QStringLiteral("\"%1\" not exist").arg(path));
                return false;
            }
            path = installed;
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

bool LoadCliDatabase(CChannelDb &db, const QString &path, QByteArray *fileBytes)
{
    const UnusedProfile profile;
    return LoadDatabase(db, path, false, profile, fileBytes);
}

int TerrestrialCount(const CChannelDb &db, NodeKind kind)
{
    const int field = db.Layouts().FindField(kind, "sat_id", DeclarationOrder);
    int count = 0;
    for (int slot = 0; slot < db.Count(kind); ++slot) {
        std::string text;
        if (field >= 0 && db.GetNodeData(kind, slot, field, text, 0, DeclarationOrder)
            && text == std::to_string(RecordConverter::kTerrestrialSatId))
            ++count;
    }
    return count;
}
