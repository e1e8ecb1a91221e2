// dravel-cli duplicates, reorder, import and info's statistics on generated databases.
#include "CliTestSupport.h"

#include "database/CsvReader.h"

#include <QDir>
#include <QJsonArray>
#include <QRegularExpression>

#include <map>
#include <set>
#include <tuple>

namespace {

using Key = std::tuple<int, int, int>;  // sat_id, tp_id, prog_id

QString Field(const QJsonObject &program, const char *name)
{
    return program.value("fields").toObject().value(QLatin1String(name)).toString();
}

// "Favorite Group" reads signed when bit 31 is set: the bits are what counts.
uint32_t Groups(const QJsonObject &program)
{
    return uint32_t(Field(program, "Favorite Group").toLongLong());
}

Key KeyOf(const QJsonObject &program)
{
    return {Field(program, "sat_id").toInt(), Field(program, "tp_id").toInt(), Field(program, "prog_id").toInt()};
}

QJsonArray Programs(const QJsonObject &dump)
{
    return dump.value("programs").toArray();
}

struct CliListsTest : CliTest
{
    QStringList Files() { return QDir(Path(QString())).entryList(QDir::Files); }

    // "N groups, M programs to delete" of a duplicates listing: M.
    int ToDelete(const QByteArray &out)
    {
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("(\\d+) groups, (\\d+) programs to delete\n$")).match(QString::fromUtf8(out));
        EXPECT_TRUE(m.hasMatch()) << out.right(200).toStdString();
        return m.captured(2).toInt();
    }
};

TEST_F(CliListsTest, DuplicatesListWithoutWritingAndSaveTheListWithoutThem)
{
    Generate("a.usd", 4, 40, 400, 1);
    const QByteArray original = ReadFileBytes(Path("a.usd"));
    const QStringList files = Files();

    const CliResult listed = Run({"duplicates", Path("a.usd")});
    ASSERT_EQ(listed.exit, 0) << listed.err.toStdString();
    const int toDelete = ToDelete(listed.out);
    ASSERT_GT(toDelete, 0) << "the generator repeats names on a satellite";
    EXPECT_EQ(Files(), files) << "nothing is written without -o";

    const CliResult saved = Run({"duplicates", Path("a.usd"), "--keep", "groups", "-o", Path("out.usd")});
    ASSERT_EQ(saved.exit, 0) << saved.err.toStdString();
    EXPECT_EQ(ReadFileBytes(Path("a.usd")), original);
    const QJsonArray before = Programs(Dump("a.usd"));
    const QJsonArray after = Programs(Dump("out.usd"));
    EXPECT_EQ(after.size(), before.size() - toDelete);
    EXPECT_EQ(ToDelete(Run({"duplicates", Path("out.usd")}).out), 0);

    // Every membership survives on the program kept for the same name and type on the satellite.
    std::map<std::tuple<QString, QString, QString>, uint32_t> kept;
    for (const QJsonValue &p : after)
        kept[{Field(p.toObject(), "sat_id"), Field(p.toObject(), "Service Name").trimmed().toCaseFolded(),
              Field(p.toObject(), "Service Type")}] = Groups(p.toObject());
    for (const QJsonValue &p : before) {
        const uint32_t bits = Groups(p.toObject());
        const auto found = kept.find({Field(p.toObject(), "sat_id"),
                                      Field(p.toObject(), "Service Name").trimmed().toCaseFolded(),
                                      Field(p.toObject(), "Service Type")});
        ASSERT_NE(found, kept.end());
        EXPECT_EQ(found->second & bits, bits) << Field(p.toObject(), "Service Name").toStdString();
    }

    // The input is replaced only when -o names it.
    ASSERT_EQ(Run({"duplicates", Path("a.usd"), "-o", Path("a.usd")}).exit, 0);
    EXPECT_EQ(Programs(Dump("a.usd")).size(), before.size() - toDelete);
}

TEST_F(CliListsTest, ReorderGivesTheMatchedProgramsTheReferenceOrderAndCopiesGroups)
{
    Generate("a.usd", 4, 40, 400, 1);
    Generate("b.usd", 4, 40, 400, 2);
    const CliResult dumped = Run({"dump", Path("b.usd")});
    ASSERT_TRUE(WriteFileBytes(Path("b.json"), dumped.out));
    const QStringList files = Files();
    const CliResult counted = Run({"reorder", Path("a.usd"), "--reference", Path("b.usd")});
    ASSERT_EQ(counted.exit, 0) << counted.err.toStdString();
    EXPECT_TRUE(counted.out.contains(" of 400 reference programs matched")) << counted.out.toStdString();
    EXPECT_EQ(Files(), files) << "nothing is written without -o";

    const CliResult r = Run({"reorder", Path("a.usd"), "--reference", Path("b.json"), "--report", Path("r.csv"),
                             "--copy-groups", "-o", Path("out.usd")});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    const CsvTable report = ReadCsv(ReadFileBytes(Path("r.csv")));
    ASSERT_TRUE(report.Ok()) << report.error.toStdString();
    EXPECT_EQ(report.header, QStringList({"reference", "reference name", "match", "slot", "name"}));

    std::map<int, QJsonObject> ourBySlot;
    for (const QJsonValue &p : Programs(Dump("a.usd")))
        ourBySlot[p.toObject().value("slot").toInt()] = p.toObject();
    const QJsonArray reference = Programs(Dump("b.usd"));
    std::vector<Key> expected;
    std::map<Key, uint32_t> copiedGroups;
    std::set<QString> kinds;
    for (const CsvRecord &row : report.records) {
        if (row.cells[3].isEmpty())
            continue;  // a reference program without a match
        const QJsonObject &our = ourBySlot.at(row.cells[3].toInt());
        expected.push_back(KeyOf(our));
        EXPECT_EQ(Field(our, "Service Name"), row.cells[4]);
        kinds.insert(row.cells[2]);
        if (!row.cells[0].isEmpty())
            copiedGroups[KeyOf(our)] = Groups(reference[row.cells[0].toInt() - 1].toObject());
    }
    EXPECT_EQ(expected.size(), ourBySlot.size()) << "every program of ours is in the report once";
    EXPECT_TRUE(kinds.count("name") && kinds.count("none")) << "two seeds share names, not all of them";

    // The saved order, read back: the matched in the reference's order, then the rest in theirs.
    std::vector<Key> saved;
    for (const QJsonValue &p : Programs(Dump("out.usd"))) {
        saved.push_back(KeyOf(p.toObject()));
        const auto copied = copiedGroups.find(saved.back());
        if (copied != copiedGroups.end())
            EXPECT_EQ(Groups(p.toObject()), copied->second);
    }
    EXPECT_EQ(saved, expected);
}

TEST_F(CliListsTest, ReorderRefusesReferencesItCannotUse)
{
    Generate("a.usd", 2, 4, 20, 1);
    ASSERT_TRUE(WriteFileBytes(Path("other.csv"), "slot,Service Name,channel_no\r\n0,A,1\r\n"));
    ASSERT_TRUE(WriteFileBytes(Path("short.csv"), "slot,Service Name\r\n0,A\r\n1\r\n"));
    ASSERT_TRUE(WriteFileBytes(Path("junk.usd"), QByteArray(64, 'x')));
    const struct {
        const char *reference;
        const char *message;
    } cases[] = {
        {"missing.json", "cannot be read"},
        {"other.csv", "\"channel_no\" is no program field of this template"},
        {"short.csv", "line 3: 1 fields where the header has 2"},
        {"junk.usd", "cannot be read as a channel database"},
    };
    for (const auto &c : cases) {
        const CliResult r = Run({"reorder", Path("a.usd"), "--reference", Path(c.reference), "-o", Path("out.usd")});
        EXPECT_EQ(r.exit, 1) << c.reference;
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(Path("out.usd"))) << c.reference;
    }
}

TEST_F(CliListsTest, ImportAppliesTheEditedExportAndRefusesBadLines)
{
    Generate("a.usd", 2, 4, 20, 1);
    const QByteArray original = ReadFileBytes(Path("a.usd"));
    const CliResult csv = Run({"dump", Path("a.usd"), "--format", "csv", "--kind", "prog"});
    ASSERT_EQ(csv.exit, 0);
    CsvTable table = ReadCsv(csv.out);
    ASSERT_TRUE(table.Ok());
    const qsizetype name = table.header.indexOf("Service Name");
    const qsizetype sid = table.header.indexOf("Service ID");
    const auto write = [&](const QString &file, const CsvTable &t) {
        QByteArray text = t.header.join(',').toUtf8() + "\r\n";
        for (const CsvRecord &row : t.records) {
            QStringList cells = row.cells;
            for (QString &cell : cells) {
                if (cell.contains(','))
                    cell = '"' + cell + '"';
            }
            text += cells.join(',').toUtf8() + "\r\n";
        }
        ASSERT_TRUE(WriteFileBytes(Path(file), text));
    };
    table.records[0].cells[name] = QStringLiteral("Renamed Ünï");
    table.records[1].cells[sid] = QStringLiteral("4242");
    write("changes.csv", table);

    const CliResult r = Run({"import", Path("a.usd"), Path("changes.csv"), "-o", Path("out.usd")});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("2: slot 0 Service Name: ")) << r.out.toStdString();
    EXPECT_EQ(ReadFileBytes(Path("a.usd")), original);
    const QJsonArray programs = Programs(Dump("out.usd"));
    EXPECT_EQ(Field(programs[0].toObject(), "Service Name"), QStringLiteral("Renamed Ünï"));
    EXPECT_EQ(Field(programs[1].toObject(), "Service ID"), QStringLiteral("4242"));

    table.records[2].cells[sid] = QStringLiteral("65536");
    write("bad.csv", table);
    const CliResult bad = Run({"import", Path("a.usd"), Path("bad.csv"), "-o", Path("bad.usd")});
    EXPECT_EQ(bad.exit, 1);
    EXPECT_TRUE(bad.out.contains("4: refused: Service ID: 65536 does not fit")) << bad.out.toStdString();
    EXPECT_FALSE(QFile::exists(Path("bad.usd")));

    ASSERT_TRUE(WriteFileBytes(Path("short.csv"), table.header.join(',').toUtf8() + "\r\n0,1\r\n"));
    const CliResult shortLine = Run({"import", Path("a.usd"), Path("short.csv"), "-o", Path("bad.usd")});
    EXPECT_EQ(shortLine.exit, 1);
    EXPECT_TRUE(shortLine.err.contains("line 2: 2 fields where the header has")) << shortLine.err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("bad.usd")));
}

TEST_F(CliListsTest, InfoPrintsTheStatisticsAsTextAndJson)
{
    Generate("a.usd", 4, 40, 400, 1);
    const int toDelete = ToDelete(Run({"duplicates", Path("a.usd")}).out);
    const CliResult text = Run({"info", Path("a.usd")});
    ASSERT_EQ(text.exit, 0);
    EXPECT_TRUE(text.out.contains(QByteArray::number(toDelete) + " programs to delete")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("per transponder:"));

    const CliResult json = Run({"info", Path("a.usd"), "--format", "json"});
    ASSERT_EQ(json.exit, 0);
    const QJsonObject root = QJsonDocument::fromJson(json.out).object();
    const QJsonObject statistics = root.value("statistics").toObject();
    EXPECT_EQ(root.value("programs").toObject().value("live").toInt(), 400);
    EXPECT_EQ(statistics.value("tv").toInt() + statistics.value("radio").toInt(), 400);
    EXPECT_EQ(statistics.value("duplicates").toObject().value("programsToDelete").toInt(), toDelete);
    int perSatellite = 0;
    for (const QJsonValue &sat : statistics.value("perSatellite").toArray())
        perSatellite += sat.toObject().value("programs").toInt();
    EXPECT_EQ(perSatellite, 400);
}

} // namespace
