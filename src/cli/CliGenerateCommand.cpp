// dravel-cli generate: write a realistic synthetic database, the same for the same seed.
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseFormat.h"
#include "database/DatabaseGenerator.h"
#include "database/DatabaseWriter.h"
#include "database/ProfileStore.h"
#include "layout/LayoutSet.h"

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: dravel-cli generate OUT.usd|OUT.ddf --satellites N --transponders T --programs P\n"
    "                           [--seed S] [--layout L] [--terrestrial]\n"
    "\n"
    "Writes a synthetic database with N satellites, T transponders spread over them and P programs\n"
    "spread over the transponders: real satellite names and orbital positions, universal and\n"
    "C-band LNBs, Ku- and C-band frequencies, common symbol rates, TV and radio programs with\n"
    "service ids, PIDs, audio languages, conditional-access systems, providers and favourite\n"
    "bits, and 32 named favourite groups. The same seed and layout give the same file.\n"
    "\n"
    "  --satellites N    0..254\n"
    "  --transponders T  0..6000, at most 1023 per satellite\n"
    "  --programs P      0..30000, at most 1023 per transponder\n"
    "  --seed S          0..4294967295 (default 1)\n"
    "  --layout L        a \"script.ini\" layout cache or a template header (default: the\n"
    "                    \"script.ini\" beside the program, else ../share/dravel/script.ini)\n"
    "  --terrestrial     the last satellite is the terrestrial one (satellite id 255) with DVB-T\n"
    "                    transponders; its nodes are written into the file\n";

class NoProfile : public ProfileStore
{
public:
    QString ReadString(const QString &, const QString &) const override { return {}; }
    void WriteString(const QString &, const QString &, const QString &) override {}
};

// After the ".ddf" writer refused the generated data as too large: how large, the limit, and how
// many programs would fit beside the satellites and transponders asked for.
void ExplainDefaultLimit(CChannelDb &db, const DatabaseGenerator &maker, const GeneratorOptions &generator,
                         const ProfileStore &profile, const QString &message)
{
    const bool tooLong = message == QLatin1String("Default data is too long!");
    if (!tooLong && !message.startsWith(QLatin1String("Compressed ERROR")))
        return;  // not a size problem
    if (tooLong) {
        SaveOptions options;
        options.keepTerrestrial = true;  // as the generator writes
        const qint64 needed = DefaultDatabaseLength(db, profile, options);
        if (needed > 0)
            ConsolePrompt::PrintDetail(QStringLiteral("the node data and favourite groups take %1 bytes; a \".ddf\" "
                                                      "holds %2")
                                           .arg(needed)
                                           .arg(DatabaseFormat::kDefaultFileSize));
    } else {
        ConsolePrompt::PrintDetail(QStringLiteral("the node data do not compress into the %1 bytes the \".ddf\" writer "
                                                  "has; a \".ddf\" holds %2")
                                       .arg(DatabaseFormat::kDefaultCompressBuffer)
                                       .arg(DatabaseFormat::kDefaultFileSize));
    }
    if (generator.terrestrial)
        return;  // the count below is for satellites only
    const int fit = maker.LargestProgramCount(generator, DatabaseGenerator::FitTarget::DefaultFile);
    ConsolePrompt::PrintDetail(QStringLiteral("with %1 satellites and %2 transponders at most %3 programs fit")
                                   .arg(generator.satellites)
                                   .arg(generator.transponders)
                                   .arg(fit));
}

} // namespace

int RunGenerateCommand(const QStringList &args)
{
    CliOptions options({QStringLiteral("--satellites"), QStringLiteral("--transponders"), QStringLiteral("--programs"),
                        QStringLiteral("--seed"), QStringLiteral("--layout")},
                       {QStringLiteral("--terrestrial")});
    if (!options.Parse(args))
        return UsageError(kUsage, options.Error());
    if (options.Help())
        return PrintHelp(kUsage);
    if (options.Positionals().size() != 1)
        return UsageError(kUsage, QStringLiteral("generate needs exactly one output file"));
    const QString out = options.Positionals().first();
    if (!IsDefaultDatabasePath(out) && !IsUserDatabasePath(out))
        return UsageError(kUsage, QStringLiteral("the output file must end in .usd or .ddf"));
    for (const char *required : {"--satellites", "--transponders", "--programs"}) {
        if (!options.Has(QLatin1String(required)))
            return UsageError(kUsage, QStringLiteral("%1 is required").arg(QLatin1String(required)));
    }
    GeneratorOptions generator;
    const auto satellites = options.Number(QStringLiteral("--satellites"), 0, DatabaseGenerator::kMaxSatelliteIds);
    const auto transponders = options.Number(QStringLiteral("--transponders"), 0, CChannelDb::kMaxTransponders);
    const auto programs = options.Number(QStringLiteral("--programs"), 0, CChannelDb::kMaxPrograms);
    const auto seed = options.Has(QStringLiteral("--seed")) ? options.Number(QStringLiteral("--seed"), 0, 0xFFFFFFFFLL)
                                                            : std::optional<qint64>(1);
    if (!satellites || !transponders || !programs || !seed)
        return UsageError(kUsage, options.Error());
    generator.satellites = int(*satellites);
    generator.transponders = int(*transponders);
    generator.programs = int(*programs);
    generator.seed = uint32_t(*seed);
    generator.terrestrial = options.Has(QStringLiteral("--terrestrial"));
    const QString problem = DatabaseGenerator::CheckOptions(generator);
    if (!problem.isEmpty())
        return UsageError(kUsage, problem);

    ConsolePrompt prompt;
    LayoutSet layouts;
    if (!LoadCliLayouts(options, layouts, prompt))
        return ExitFailed;
    CChannelDb db(layouts, prompt);
    const DatabaseGenerator maker(layouts);
    if (!maker.Generate(db, generator))
        return Failure(QStringLiteral("The layouts cannot hold a database: a node size is 0."));
    const NoProfile profile;
    if (!DatabaseGenerator::WriteFile(db, out, profile)) {
        if (IsDefaultDatabasePath(out))
            ExplainDefaultLimit(db, maker, generator, profile, prompt.LastMessage());
        return ExitFailed;
    }
    std::printf("%s: %d satellites, %d transponders, %d programs (seed %u)\n", out.toUtf8().constData(),
                db.LiveCount(KindSatellite), db.LiveCount(KindTransponder), db.LiveCount(KindProgram),
                unsigned(generator.seed));
    return ExitOk;
}
