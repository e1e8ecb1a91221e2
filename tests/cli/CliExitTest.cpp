// Exit statuses of dravel-cli: usage errors, refused files, help, and the terrestrial question.
#include "CliTestSupport.h"

#include <QJsonArray>

namespace {

TEST_F(CliTest, UsageErrorsExitWithTwo)
{
    const QList<QStringList> cases = {
        {},
        {"frobnicate"},
        {"info"},
        {"info", "a.usd", "b.usd"},
        {"dump", "a.usd", "--format", "xml"},
        {"dump", "a.usd", "--kind", "channel"},
        {"dump", "a.usd", "--layout"},
        {"dump", "a.usd", "--colour"},
        {"convert", "a.usd"},
        {"convert", "a.usd", "b.txt"},
        {"template"},
        {"generate", "x.usd", "--satellites", "1", "--transponders", "1"},
        {"generate", "x.usd", "--satellites", "one", "--transponders", "1", "--programs", "1"},
        {"generate", "x.usd", "--satellites", "255", "--transponders", "0", "--programs", "0"},
        {"generate", "x.usd", "--satellites", "1", "--transponders", "1024", "--programs", "0"},
        {"generate", "x.usd", "--satellites", "1", "--transponders", "1", "--programs", "1", "--seed", "-3"},
        {"generate", "x.bin", "--satellites", "1", "--transponders", "1", "--programs", "1"},
        {"duplicates"},
        {"duplicates", "a.usd", "--keep", "last"},
        {"duplicates", "a.usd", "-o", "x.txt"},
        {"reorder", "a.usd"},
        {"reorder", "a.usd", "--reference"},
        {"import", "a.usd"},
        {"import", "a.usd", "c.csv", "-o", "x.csv"},
        {"info", "a.usd", "--format", "xml"},
    };
    for (const QStringList &args : cases) {
        const CliResult r = Run(args);
        EXPECT_EQ(r.exit, 2) << args.join(' ').toStdString();
        // One line that says what is wrong, one that says where the usage is; never the usage.
        const QList<QByteArray> lines = r.err.trimmed().split('\n');
        ASSERT_EQ(lines.size(), 2) << r.err.toStdString();
        EXPECT_TRUE(lines[0].startsWith("dravel-cli: ")) << r.err.toStdString();
        const QByteArray help = args.isEmpty() || args[0] == "frobnicate"
            ? QByteArray("see `dravel-cli --help`")
            : "see `dravel-cli " + args[0].toUtf8() + " --help`";
        EXPECT_EQ(lines[1], help) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("usage:")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(Path("x.usd")));
}

TEST_F(CliTest, VersionAndTheCommandListAnswerOnStdout)
{
    const CliResult version = Run({"--version"});
    EXPECT_EQ(version.exit, 0);
    EXPECT_TRUE(version.out.startsWith("dravel-cli 0.")) << version.out.toStdString();
    EXPECT_EQ(version.out.count('\n'), 1);
    EXPECT_TRUE(version.err.isEmpty());

    const CliResult help = Run({"--help"});
    EXPECT_EQ(help.exit, 0);
    for (const char *command : {"template", "info", "dump", "convert", "generate", "abs", "probe", "download", "upload"})
        EXPECT_TRUE(help.out.contains(QByteArray("  ") + command + ' ')) << command;
}

TEST_F(CliTest, HelpOnEveryCommandExitsWithZero)
{
    for (const char *command : {"template", "info", "dump", "convert", "generate", "duplicates", "reorder", "import"}) {
        const CliResult r = Run({command, "--help"});
        EXPECT_EQ(r.exit, 0) << command;
        EXPECT_TRUE(r.out.startsWith(QByteArray("usage: dravel-cli ") + command)) << r.out.toStdString();
    }
    EXPECT_EQ(Run({"--help"}).exit, 0);
}

TEST_F(CliTest, FilesThatCannotBeUsedExitWithOneAndTheSystemsMessage)
{
    const CliResult missing = Run({"info", Path("missing.usd")});
    EXPECT_EQ(missing.exit, 1);
    EXPECT_TRUE(missing.err.contains("Cannot open")) << missing.err.toStdString();

    ASSERT_TRUE(WriteFileBytes(Path("junk.usd"), QByteArray(64, 'x')));
    const CliResult junk = Run({"dump", Path("junk.usd")});
    EXPECT_EQ(junk.exit, 1);
    EXPECT_TRUE(junk.err.contains("Error to parser header of sub chunk 1")) << junk.err.toStdString();
    EXPECT_TRUE(junk.out.isEmpty());

    Generate("a.usd", 1, 2, 3);
    QByteArray broken = ReadFileBytes(Path("a.usd"));
    broken[20] = char(broken[20] ^ 0x5A);  // inside the zlib stream
    ASSERT_TRUE(WriteFileBytes(Path("broken.usd"), broken));
    const CliResult inflate = Run({"convert", Path("broken.usd"), Path("out.ddf")});
    EXPECT_EQ(inflate.exit, 1);
    EXPECT_TRUE(inflate.err.contains("invalid or incomplete default data")) << inflate.err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("out.ddf")));

    ASSERT_TRUE(WriteFileBytes(Path("bad.h"), "/*#tp_node@*/{ DWORD x; }"));
    const CliResult tmpl = Run({"template", Path("bad.h")});
    EXPECT_EQ(tmpl.exit, 1);
    EXPECT_TRUE(tmpl.err.contains("ParseTemplate failed!"));
    EXPECT_EQ(Run({"dump", Path("a.usd"), "--layout", Path("bad.h")}).exit, 1);
    EXPECT_EQ(Run({"dump", Path("a.usd"), "--layout", Path("nowhere.ini")}).exit, 1);

    // Too many programs for a .ddf: the writer refuses and nothing is left behind.
    const CliResult big = Run({"generate", Path("big.ddf"), "--satellites", "10", "--transponders", "200",
                               "--programs", "3000"});
    EXPECT_EQ(big.exit, 1);
    EXPECT_TRUE(big.err.contains("Default data is too long!"));
    EXPECT_FALSE(QFile::exists(Path("big.ddf")));
}

TEST_F(CliTest, AHugeColumnPositionInATemplateIsNoCrash)
{
    ASSERT_TRUE(WriteFileBytes(Path("pos.h"),
                               "/*#tp_node@*/{ UINT32 sat_id /*#pos:0x7fffffff@*/; UINT32 tp_id /*#pos:1@*/; }\n"
                               "/*#sat_node@*/{ UINT32 sat_id /*#pos:1@*/; }\n"
                               "/*#prog_node@*/{ UINT32 sat_id; UINT32 tp_id; UINT32 prog_id /*#pos:2000000000@*/; }\n"));
    const CliResult r = Run({"template", Path("pos.h"), "-o", Path("pos.ini")});
    EXPECT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("transponder /*#tp_node@*/: 2 fields, 8 bytes, 1 positions"));
}

TEST_F(CliTest, TerrestrialQuestionIsNoUnlessYesIsGiven)
{
    Generate("t.usd", 3, 9, 40, 6, true);
    const QJsonObject before = Dump("t.usd");
    ASSERT_TRUE(WriteFileBytes(Path("keep.ddf"), "old bytes"));

    for (const char *out : {"o.usd", "keep.ddf"}) {
        const CliResult no = Run({"convert", Path("t.usd"), Path(out)});
        EXPECT_EQ(no.exit, 1) << out;
        EXPECT_TRUE(no.err.contains("It will remove Terrestrial, Do you continue saving?")) << no.err.toStdString();
        EXPECT_TRUE(no.err.contains("Nothing was written"));
    }
    EXPECT_FALSE(QFile::exists(Path("o.usd")));
    EXPECT_EQ(ReadFileBytes(Path("keep.ddf")), QByteArray("old bytes"));
    EXPECT_TRUE(QDir(Path("")).entryList({".dravel-convert-*"}, QDir::Hidden | QDir::Files).isEmpty());

    const CliResult yes = Run({"convert", Path("t.usd"), Path("o.usd"), "--yes"});
    ASSERT_EQ(yes.exit, 0) << yes.err.toStdString();
    EXPECT_TRUE(yes.err.contains("It will remove Terrestrial"));
    const QJsonObject after = Dump("o.usd");
    // The terrestrial satellite (the last one) and its nodes are gone; the rest is unchanged.
    ASSERT_EQ(after["satellites"].toArray().size(), 2);
    for (const char *kind : {"satellites", "transponders", "programs"}) {
        QJsonArray kept;
        for (const QJsonValue &node : before[kind].toArray()) {
            if (node.toObject()["fields"].toObject()["sat_id"].toString() != "255")
                kept.append(node);
        }
        if (QByteArray(kind) != "programs") {
            EXPECT_LT(kept.size(), before[kind].toArray().size()) << kind;
        }
        const QJsonArray got = after[kind].toArray();
        ASSERT_EQ(got.size(), kept.size()) << kind;
        for (int i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i].toObject()["fields"], kept[i].toObject()["fields"]) << kind << " " << i;
    }
    ASSERT_EQ(Run({"convert", Path("t.usd"), Path("keep.ddf"), "--yes"}).exit, 0);
    EXPECT_EQ(ReadFileBytes(Path("keep.ddf")).size(), 65280);
}

} // namespace
