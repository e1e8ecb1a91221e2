// The short filter form of the file dialogs and the file-name rules built on it.
#include "core/ShortFilter.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

QStringList Descriptions(const std::vector<ShortFilterEntry> &entries)
{
    QStringList list;
    for (const ShortFilterEntry &e : entries)
        list << e.description;
    return list;
}

const QString kOpenFilter = QStringLiteral("User DataBase File(*.usd)|Default DataBase File(*.ddf)");
const QString kSaveFilter = QStringLiteral("User Database(*.usd)|Default Database(*.ddf)");

} // namespace

TEST(ShortFilter, EntriesPatternsAndExtensions)
{
    const std::vector<ShortFilterEntry> open = ParseShortFilter(kOpenFilter);
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[0].description, "User DataBase File(*.usd)");
    EXPECT_EQ(open[0].pattern, "*.usd");
    EXPECT_EQ(open[0].extension, ".usd");
    EXPECT_EQ(open[1].description, "Default DataBase File(*.ddf)");
    EXPECT_EQ(open[1].extension, ".ddf");

    // The upload filter's trailing "|" and doubled bars add no type.
    EXPECT_EQ(ParseShortFilter("User Database(*.udf)|Default Database(*.ddf)|All Code(*.abs)|").size(), 3u);
    EXPECT_EQ(Descriptions(ParseShortFilter("|A(*.a)||B(*.b)|")), (QStringList{"A(*.a)", "B(*.b)"}));
    EXPECT_TRUE(ParseShortFilter("").empty());
    EXPECT_TRUE(ParseShortFilter("||").empty());

    // The pattern runs from the first "(" to the next ")".
    const std::vector<ShortFilterEntry> nested = ParseShortFilter("Odd (x)(*.y)");
    ASSERT_EQ(nested.size(), 1u);
    EXPECT_EQ(nested[0].pattern, "x");
    EXPECT_EQ(nested[0].extension, "");

    // Entries without a complete pair of parentheses are no types.
    const std::vector<ShortFilterEntry> plain = ParseShortFilter("Plain|A(*.a)|Half(*.h|Closed)(*.c)");
    EXPECT_EQ(Descriptions(plain), (QStringList{"A(*.a)", "Closed)(*.c)"}));
    EXPECT_EQ(plain[1].pattern, "*.c");
}

TEST(ShortFilter, QuotedEntriesKeepTheirBars)
{
    std::vector<ShortFilterEntry> quoted = ParseShortFilter("\"Pipe|Name(*.p)\"|B(*.b)");
    EXPECT_EQ(Descriptions(quoted), (QStringList{"Pipe|Name(*.p)", "B(*.b)"}));
    EXPECT_EQ(quoted[0].extension, ".p");

    quoted = ParseShortFilter("'One|Two(*.1)' more|B(*.b)");  // text after the closing quote stays
    EXPECT_EQ(Descriptions(quoted), (QStringList{"One|Two(*.1) more", "B(*.b)"}));

    quoted = ParseShortFilter("A(*.a)|'Open(*.o)|B(*.b)");  // an unclosed quote runs to the end
    EXPECT_EQ(Descriptions(quoted), (QStringList{"A(*.a)", "Open(*.o)|B(*.b)"}));

    quoted = ParseShortFilter("\"It's(*.q)\"|B(*.b)");  // only the matching quote closes
    EXPECT_EQ(Descriptions(quoted), (QStringList{"It's(*.q)", "B(*.b)"}));
}

TEST(ShortFilter, AtMostTwentyEntriesTheLastTakesTheRest)
{
    QStringList parts;
    for (int i = 1; i <= 25; ++i)
        parts << QStringLiteral("T%1(*.%1)").arg(i);
    const std::vector<ShortFilterEntry> entries = ParseShortFilter(parts.join('|'));
    ASSERT_EQ(entries.size(), 20u);
    EXPECT_EQ(entries[18].description, "T19(*.19)");
    EXPECT_EQ(entries[19].description, parts.mid(19).join('|'));
    EXPECT_EQ(entries[19].extension, ".20");

    // Empty entries do not count towards the twenty.
    const std::vector<ShortFilterEntry> gaps = ParseShortFilter("||" + parts.mid(0, 20).join("||") + "|");
    ASSERT_EQ(gaps.size(), 20u);
    EXPECT_EQ(gaps[19].description, "T20(*.20)|");
}

TEST(ShortFilter, InitialNameAndPreselection)
{
    const std::vector<ShortFilterEntry> open = ParseShortFilter(kOpenFilter);
    EXPECT_EQ(InitialFileName("", open), "*.usd");
    EXPECT_EQ(PreselectedFileType("", open), 1);
    EXPECT_EQ(InitialFileName("", {}), "*");

    const std::vector<ShortFilterEntry> save = ParseShortFilter(kSaveFilter);
    EXPECT_EQ(InitialFileName("D:\\db\\list.usd", save), "D:\\db\\list.usd");
    EXPECT_EQ(PreselectedFileType("D:\\db\\list.usd", save), 1);
    EXPECT_EQ(PreselectedFileType("D:\\db\\list.ddf", save), 2);
    EXPECT_EQ(PreselectedFileType("/home/me/list.ddf", save), 2);
    EXPECT_EQ(PreselectedFileType("list", save), 1);
    EXPECT_EQ(PreselectedFileType("list.bak.ddf", save), 1);  // from the first dot of the name

    // A dot in a folder name does not hide the file's own extension.
    EXPECT_EQ(PreselectedFileType("D:\\old.db\\list.ddf", save), 2);
    EXPECT_EQ(PreselectedFileType("/srv/old.db/list.ddf", save), 2);
    EXPECT_EQ(PreselectedFileType("D:\\old.db\\list", save), 1);

    // The match takes case into account: ".USD" is no type, the first one stays.
    const std::vector<ShortFilterEntry> reversed = ParseShortFilter("Default Database(*.ddf)|User Database(*.usd)");
    EXPECT_EQ(PreselectedFileType("D:\\db\\list.usd", reversed), 2);
    EXPECT_EQ(PreselectedFileType("D:\\DB\\LIST.USD", reversed), 1);
}

TEST(ShortFilter, TypeChangeReplacesTheFileNamesExtension)
{
    EXPECT_EQ(TypeExtension("Default DataBase File(*.ddf)"), ".ddf");
    EXPECT_EQ(TypeExtension("All(*)"), "");
    EXPECT_EQ(TypeExtension("No star(x.y)"), "");
    EXPECT_EQ(TypeExtension("Open(*.abs"), ".abs");

    EXPECT_EQ(NameAfterTypeChange("*.usd", "Default DataBase File(*.ddf)"), "*.ddf");
    EXPECT_EQ(NameAfterTypeChange("", "Default DataBase File(*.ddf)"), "*.ddf");
    EXPECT_EQ(NameAfterTypeChange("D:\\db\\list.usd", "Default Database(*.ddf)"), "D:\\db\\list.ddf");
    EXPECT_EQ(NameAfterTypeChange("D:\\db\\list", "Default Database(*.ddf)"), "D:\\db\\list.ddf");
    EXPECT_EQ(NameAfterTypeChange("list.bak.usd", "Default Database(*.ddf)"), "list.ddf");
    EXPECT_EQ(NameAfterTypeChange("D:\\db\\", "Default Database(*.ddf)"), "D:\\db\\*.ddf");

    // Only the file name changes, whatever dots the folders carry.
    EXPECT_EQ(NameAfterTypeChange("D:\\old.db\\list.usd", "Default Database(*.ddf)"), "D:\\old.db\\list.ddf");
    EXPECT_EQ(NameAfterTypeChange("/home/me/old.db/list.usd", "User Database(*.udf)"), "/home/me/old.db/list.udf");
    EXPECT_EQ(NameAfterTypeChange("/a.b\\c.d/e", "All Code(*.abs)"), "/a.b\\c.d/e.abs");
    EXPECT_EQ(FileNamePart("/a.b\\c.d/e.f"), "e.f");
    EXPECT_EQ(FileNamePart("plain"), "plain");
}
