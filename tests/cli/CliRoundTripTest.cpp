// generate, dump, convert and info through the real binary: round trips, stable bytes, JSON and CSV.
#include "CliTestSupport.h"

#include "core/ByteOrder.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

QByteArray TailOf(const QByteArray &file)
{
    const uint32_t at = ByteOrder::ReadBe24(reinterpret_cast<const uint8_t *>(file.constData()) + 4);
    return at == 0 ? QByteArray() : file.mid(at);
}

TEST_F(CliTest, ConvertRoundTripsKeepEveryFieldAndFavourites)
{
    Generate("a.usd", 4, 30, 250, 5);
    const QJsonObject original = Dump("a.usd");
    ASSERT_EQ(original["satellites"].toArray().size(), 4);
    ASSERT_EQ(original["transponders"].toArray().size(), 30);
    ASSERT_EQ(original["programs"].toArray().size(), 250);

    // .usd -> .usd keeps the source's tail; .usd -> .ddf -> .usd keeps the groups the .ddf holds.
    ASSERT_EQ(Run({"convert", Path("a.usd"), Path("b.usd")}).exit, 0);
    EXPECT_EQ(Dump("b.usd"), original);
    EXPECT_EQ(TailOf(ReadFileBytes(Path("b.usd"))), TailOf(ReadFileBytes(Path("a.usd"))));

    const CliResult toDdf = Run({"convert", Path("a.usd"), Path("c.ddf")});
    ASSERT_EQ(toDdf.exit, 0) << toDdf.err.toStdString();
    const QByteArray ddf = ReadFileBytes(Path("c.ddf"));
    EXPECT_EQ(ddf.size(), 65280);
    EXPECT_TRUE(ddf.endsWith("SMTDB4") || ddf.contains("SMTDB4SMTDB4")) << "the fill pattern is missing";
    EXPECT_EQ(Dump("c.ddf"), original);

    ASSERT_EQ(Run({"convert", Path("c.ddf"), Path("d.usd")}).exit, 0);
    EXPECT_EQ(Dump("d.usd"), original);
}

TEST_F(CliTest, SavingTwiceGivesTheSameBytes)
{
    Generate("a.usd", 3, 12, 80, 11);
    Generate("again.usd", 3, 12, 80, 11);
    EXPECT_EQ(ReadFileBytes(Path("a.usd")), ReadFileBytes(Path("again.usd")));

    for (const char *out : {"x1.ddf", "x2.ddf", "y1.usd", "y2.usd"})
        ASSERT_EQ(Run({"convert", Path("a.usd"), Path(out)}).exit, 0) << out;
    EXPECT_EQ(ReadFileBytes(Path("x1.ddf")), ReadFileBytes(Path("x2.ddf")));
    EXPECT_EQ(ReadFileBytes(Path("y1.usd")), ReadFileBytes(Path("y2.usd")));
    // Converting a file onto itself is a save that changes nothing.
    ASSERT_EQ(Run({"convert", Path("y1.usd"), Path("y1.usd")}).exit, 0);
    EXPECT_EQ(ReadFileBytes(Path("y1.usd")), ReadFileBytes(Path("y2.usd")));
}

TEST_F(CliTest, ConvertReplacesAnExistingUsdWithoutItsOldTail)
{
    Generate("a.usd", 2, 4, 10, 1);
    // An unrelated, longer file under the target name: none of its bytes may survive.
    ASSERT_TRUE(WriteFileBytes(Path("out.usd"), QByteArray(200000, 'Q')));
    ASSERT_EQ(Run({"convert", Path("a.usd"), Path("out.usd")}).exit, 0);
    const QByteArray out = ReadFileBytes(Path("out.usd"));
    EXPECT_FALSE(out.contains("QQQQ"));
    EXPECT_EQ(out.size(), ReadFileBytes(Path("a.usd")).size());
    EXPECT_EQ(Dump("out.usd"), Dump("a.usd"));
    EXPECT_TRUE(QDir(Path("")).entryList({".dravel-convert-*"}, QDir::Hidden | QDir::Files).isEmpty())
        << "the temporary copy was left behind";
}

TEST_F(CliTest, JsonHasEveryFieldByNameArraysPerElementAndNullFavourites)
{
    Generate("a.usd", 2, 3, 9, 3);
    const QJsonObject dump = Dump("a.usd");
    const QJsonArray programs = dump["programs"].toArray();
    ASSERT_EQ(programs.size(), 9);
    int expectedSlot = 0;
    for (const QJsonValue &value : programs) {
        const QJsonObject node = value.toObject();
        EXPECT_EQ(node["slot"].toInt(-1), expectedSlot++);
        const QJsonObject fields = node["fields"].toObject();
        // The bundled program layout has 28 fields, each once.
        EXPECT_EQ(fields.size(), 28);
        EXPECT_TRUE(fields["Service Name"].isString());
        EXPECT_TRUE(fields["prog_id"].isString());
        ASSERT_TRUE(fields["audio_lang"].isArray());
        EXPECT_EQ(fields["audio_lang"].toArray().size(), 3);
        EXPECT_EQ(fields["cas_sysid"].toArray().size(), 4);
        EXPECT_EQ(fields["name_len"].toString().toInt(), 2 * fields["Service Name"].toString().size());
    }
    const QJsonObject favourites = dump["favourites"].toObject();
    EXPECT_EQ(favourites["title"].toString(), "Favorite Group");
    EXPECT_EQ(favourites["nameLength"].toInt(), 18);
    EXPECT_EQ(favourites["extra"].toInt(-1), 0);
    ASSERT_EQ(favourites["groups"].toArray().size(), 32);
    EXPECT_EQ(favourites["groups"].toArray()[2].toString(), "Sports");

    // The same file with its chain cut after the node data has no favourite groups.
    QByteArray file = ReadFileBytes(Path("a.usd"));
    file[4] = file[5] = file[6] = '\0';
    ASSERT_TRUE(WriteFileBytes(Path("nofav.usd"), file));
    const QJsonObject bare = Dump("nofav.usd");
    EXPECT_TRUE(bare["favourites"].isNull());
    EXPECT_EQ(bare["programs"], dump["programs"]);
}

TEST_F(CliTest, CsvHasAHeaderAndOneRowPerNodeOfTheChosenKind)
{
    Generate("a.usd", 3, 7, 21, 4);
    const CliResult programs = Run({"dump", Path("a.usd"), "--format", "csv"});
    ASSERT_EQ(programs.exit, 0);
    QList<QByteArray> rows = programs.out.split('\n');
    while (!rows.isEmpty() && rows.last().trimmed().isEmpty())
        rows.removeLast();
    ASSERT_EQ(rows.size(), 1 + 21);
    EXPECT_TRUE(rows[0].startsWith("slot,sat_id,tp_id,prog_id,Service ID,"));
    const int columns = int(rows[0].count(',')) + 1;
    for (int i = 1; i < rows.size(); ++i) {
        EXPECT_TRUE(rows[i].startsWith(QByteArray::number(i - 1) + ','));
        // Names here hold no comma, so every row has as many cells as the header.
        EXPECT_EQ(int(rows[i].count(',')) + 1, columns) << rows[i].toStdString();
    }
    const CliResult sats = Run({"dump", Path("a.usd"), "--format", "csv", "--kind", "sat"});
    ASSERT_EQ(sats.exit, 0);
    EXPECT_EQ(sats.out.count('\n'), 1 + 3);
    EXPECT_TRUE(sats.out.contains(",satname"));
}

TEST_F(CliTest, CsvQuotesCellsWithCommasAndQuotes)
{
    // A display name in double quotes keeps them, and this one holds a comma too.
    ASSERT_TRUE(WriteFileBytes(Path("q.h"),
                               "/*#tp_node@*/{ UINT32 sat_id; UINT32 tp_id; UINT32 frq:16; UINT32 sym:16; UINT32 t; }\n"
                               "/*#sat_node@*/{ UINT32 sat_id; UINT16 name_len; UINT8 satname[32] /*#type:string@*/; }\n"
                               "/*#prog_node@*/{ UINT32 sat_id; UINT32 tp_id; UINT32 prog_id;\n"
                               "  UINT32 sid:16 /*#name:\"Service, ID\"@*/; UINT32 spare:16; UINT32 t1; UINT32 t2; }\n"));
    const CliResult made = Run({"generate", Path("q.usd"), "--satellites", "1", "--transponders", "1", "--programs", "2",
                                "--layout", Path("q.h")});
    ASSERT_EQ(made.exit, 0) << made.err.toStdString();
    const CliResult csv = Run({"dump", Path("q.usd"), "--layout", Path("q.h"), "--format", "csv"});
    ASSERT_EQ(csv.exit, 0) << csv.err.toStdString();
    EXPECT_TRUE(csv.out.startsWith("slot,sat_id,tp_id,prog_id,\"\"\"Service, ID\"\"\",spare,t1,t2\r\n"))
        << csv.out.toStdString();
    EXPECT_EQ(csv.out.count("\r\n"), 3);
}

TEST_F(CliTest, InfoCountsNodesGroupsTailAndTerrestrialNodes)
{
    Generate("t.usd", 3, 9, 40, 8, true);
    const CliResult info = Run({"info", Path("t.usd")});
    ASSERT_EQ(info.exit, 0) << info.err.toStdString();
    const QString text = QString::fromUtf8(info.out);
    EXPECT_TRUE(text.contains(QRegularExpression("satellites +3 \\(3 slots, 1 terrestrial\\)"))) << info.out.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression("transponders +9 \\(9 slots, [1-9] terrestrial\\)")));
    EXPECT_TRUE(text.contains(QRegularExpression("programs +40 \\(40 slots, [0-9]+ terrestrial\\)")));
    EXPECT_TRUE(text.contains("Favorite Group, 32 groups of 18 bytes, extra 0"));
    EXPECT_TRUE(text.contains("tail:         608 bytes"));  // 24 + 32 * 18, padded to 16
}

TEST_F(CliTest, LayoutFromHeaderOrCacheGivesTheSameDump)
{
    const QString header = QStringLiteral(DRAVEL_SOURCE_DIR "/resources/templates/dravel-stb.h");
    const CliResult made = Run({"template", header, "-o", Path("my.ini")});
    ASSERT_EQ(made.exit, 0) << made.err.toStdString();
    EXPECT_TRUE(made.out.contains("program /*#prog_node@*/: 28 fields"));
    EXPECT_TRUE(made.err.contains("Save template ok."));
    // The cache the build writes beside the program is the same bytes.
    EXPECT_EQ(ReadFileBytes(Path("my.ini")), ReadFileBytes(QStringLiteral(DRAVEL_BIN_DIR "/script.ini")));

    Generate("a.usd", 2, 5, 15, 2);
    const CliResult viaHeader = Run({"dump", Path("a.usd"), "--layout", header});
    const CliResult viaCache = Run({"dump", Path("a.usd"), "--layout", Path("my.ini")});
    ASSERT_EQ(viaHeader.exit, 0);
    ASSERT_EQ(viaCache.exit, 0);
    EXPECT_EQ(viaHeader.out, viaCache.out);
    // A cache under a name without the usual extension is recognised by its content.
    ASSERT_TRUE(QFile::copy(Path("my.ini"), Path("layouts.bin")));
    EXPECT_EQ(Run({"dump", Path("a.usd"), "--layout", Path("layouts.bin")}).out, viaCache.out);
}

TEST_F(CliTest, SamplesAreReproducible)
{
    // The commands of samples/README.md; a generator change must come with new samples.
    const QString samples = QStringLiteral(DRAVEL_SOURCE_DIR "/samples/");
    const QList<QStringList> commands = {
        {"small.usd", "2", "8", "40", "1"},
        {"medium.usd", "12", "150", "1500", "2"},
        {"default.ddf", "6", "60", "600", "3"},
        {"terrestrial.usd", "3", "20", "120", "4", "--terrestrial"},
    };
    for (const QStringList &c : commands) {
        QStringList args = {"generate", Path(c[0]), "--satellites", c[1], "--transponders", c[2], "--programs", c[3],
                            "--seed", c[4]};
        args << c.mid(5);
        ASSERT_EQ(Run(args).exit, 0) << c[0].toStdString();
        const QByteArray sample = ReadFileBytes(samples + c[0]);
        ASSERT_FALSE(sample.isEmpty()) << c[0].toStdString();
        EXPECT_EQ(ReadFileBytes(Path(c[0])), sample) << c[0].toStdString();
    }
}

} // namespace
