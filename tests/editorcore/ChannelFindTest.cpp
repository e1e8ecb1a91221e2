// Finding channels and counting them: folding, the typed text, the keys read from programs.
#include "EditorCoreSupport.h"

#include "database/ChannelCounts.h"
#include "database/ChannelFind.h"

namespace {

struct ChannelFindTest : ::testing::Test, EditorDb
{
    int AddNamed(const std::string &name, const std::string &type, const std::string &serviceId,
                 const std::string &videoPid, const std::string &pcrPid)
    {
        return Add(KindProgram, {{"Service Name", name}, {"Service Type", type}, {"Service ID", serviceId},
                                 {"Video Pid", videoPid}, {"Audio Pid1", "120"}, {"Audio Pid2", "0"},
                                 {"Audio Pid3", "0"}, {"PCR Pid", pcrPid}, {"sat_id", "1"}, {"tp_id", "2"}});
    }
};

FindKey KeyNamed(const char *utf8Name, std::initializer_list<int64_t> numbers = {})
{
    FindKey key;
    key.name = FoldForFind(QString::fromUtf8(utf8Name));
    for (int64_t number : numbers)
        key.AddNumber(number);
    return key;
}

bool HasNumber(const FindKey &key, int64_t number)
{
    return std::find(key.numbers.begin(), key.numbers.begin() + ptrdiff_t(key.numberCount), number)
           != key.numbers.begin() + ptrdiff_t(key.numberCount);
}

} // namespace

TEST(FindText, FoldingDropsCaseAndAccents)
{
    EXPECT_EQ(FoldForFind(u"Rai Uno HD"), QStringLiteral("rai uno hd"));
    EXPECT_EQ(FoldForFind(QString::fromUtf8("Télé Suisse")), QStringLiteral("tele suisse"));
    EXPECT_EQ(FoldForFind(QString::fromUtf8("ÉCOLE ÀÇÑ")), QStringLiteral("ecole acn"));
    // A name stored already decomposed (e + combining acute) folds to the same text.
    EXPECT_EQ(FoldForFind(QString::fromUtf8("Te\xCC\x81le\xCC\x81")), QStringLiteral("tele"));
    // Letters that do not decompose stay: only marks go.
    EXPECT_EQ(FoldForFind(QString::fromUtf8("Øst")), QString::fromUtf8("øst"));
}

TEST(FindText, NamesMatchByAnyPartAndNumbersByIdOrPid)
{
    const FindKey tele = KeyNamed("Télé Bleue", {28006, 110, 120, 0, 0, 111});
    EXPECT_TRUE(FindMatches(MakeFindQuery(u""), tele));
    EXPECT_TRUE(FindMatches(MakeFindQuery(u"   "), tele));           // blanks alone find everything
    EXPECT_TRUE(FindMatches(MakeFindQuery(u"tele"), tele));          // "e" finds "é"
    EXPECT_TRUE(FindMatches(MakeFindQuery(QString::fromUtf8("TÉLÉ")), tele));
    EXPECT_TRUE(FindMatches(MakeFindQuery(u"  bleue "), tele));      // trimmed
    EXPECT_TRUE(FindMatches(MakeFindQuery(u"e b"), tele));
    EXPECT_FALSE(FindMatches(MakeFindQuery(u"blau"), tele));
    EXPECT_TRUE(FindMatches(MakeFindQuery(u"28006"), tele));         // service id
    EXPECT_TRUE(FindMatches(MakeFindQuery(u"111"), tele));           // PCR PID
    EXPECT_TRUE(FindMatches(MakeFindQuery(u"120"), tele));           // an audio PID
    EXPECT_FALSE(FindMatches(MakeFindQuery(u"2800"), tele));         // numbers are equal, not a part
    EXPECT_FALSE(FindMatches(MakeFindQuery(u"99999999999"), tele));  // too long for a number: a name part
    // A number also finds names that contain it.
    EXPECT_TRUE(FindMatches(MakeFindQuery(u"24"), KeyNamed("Sky Sport 24", {1, 2})));
    EXPECT_FALSE(FindMatches(MakeFindQuery(u"-1"), KeyNamed("Sport", {uint32_t(-1)})));

    EXPECT_TRUE(NameStartsWith(tele, MakeFindQuery(u"TE")));
    EXPECT_TRUE(NameStartsWith(tele, MakeFindQuery(QString::fromUtf8("tél"))));
    EXPECT_FALSE(NameStartsWith(tele, MakeFindQuery(u"bleue")));
}

TEST_F(ChannelFindTest, KeysAreReadFromTheProgramsFields)
{
    const int tele = AddNamed("T\xC3\xA9l\xC3\xA9 5", "1", "65535", "110", "111");
    const FindKeyReader reader(*db);
    const FindKey key = reader.Read(tele);
    EXPECT_EQ(key.name, QStringLiteral("tele 5"));
    // Unsigned 16-bit fields: 65535 stays 65535.
    EXPECT_TRUE(HasNumber(key, 65535));
    EXPECT_TRUE(HasNumber(key, 111));
    EXPECT_FALSE(HasNumber(key, 65000));
    EXPECT_TRUE(FindMatches(MakeFindQuery(u"65535"), key));
    EXPECT_TRUE(FindMatches(MakeFindQuery(u"tele"), key));
    // A free slot has an empty key, which only the empty text finds.
    db->DeleteNode(KindProgram, tele);
    const FindKey freed = reader.Read(tele);
    EXPECT_TRUE(freed.name.isEmpty());
    EXPECT_EQ(freed.numberCount, 0u);
    EXPECT_FALSE(FindMatches(MakeFindQuery(u"0"), freed));
}

TEST_F(ChannelFindTest, CountsSplitTvAndRadioAndSayHowManyAreFound)
{
    const int a = AddNamed("A", "1", "1", "100", "100");
    const int b = AddNamed("B", "0", "2", "0", "200");
    const int c = AddNamed("C", "1", "3", "300", "300");
    const int gone = AddNamed("D", "1", "4", "400", "400");
    db->DeleteNode(KindProgram, gone);
    const ChannelCounts counts = CountChannels(*db, {a, -1, b, c, gone});
    EXPECT_EQ(counts.total, 3);
    EXPECT_EQ(counts.tv, 2);
    EXPECT_EQ(counts.radio, 1);
    EXPECT_EQ(ChannelCountText(counts), QStringLiteral("3 channels · 2 TV · 1 radio"));
    EXPECT_EQ(ChannelCountText(counts, 1), QStringLiteral("1 of 3 channels"));
    EXPECT_EQ(ChannelCountText(CountChannels(*db, {b})), QStringLiteral("1 channel · 0 TV · 1 radio"));
    EXPECT_EQ(ChannelCountText(CountChannels(*db, {})), QStringLiteral("0 channels · 0 TV · 0 radio"));
}
