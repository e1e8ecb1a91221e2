// Field changes from a CSV: what is accepted, what is refused line by line, what refuses the file.
#include "ListsSupport.h"

#include "database/DatabaseDump.h"
#include "database/FieldChangeImport.h"

namespace {

struct FieldChangeImportTest : ::testing::Test, ListsDb
{
    int a = -1, b = -1, c = -1;
    FieldChangeImportTest()
    {
        a = AddProgram({.satId = 1, .tpId = 1, .progId = 1, .serviceId = 61, .name = "Alpha"});
        b = AddProgram({.satId = 1, .tpId = 1, .progId = 2, .serviceId = 62, .name = "Beta"});
        c = AddProgram({.satId = 1, .tpId = 2, .progId = 1, .serviceId = 63, .name = "Gamma", .tv = false});
    }
    std::vector<std::string> Reasons(const FieldImport &import)
    {
        std::vector<std::string> reasons;
        for (const RefusedLine &line : import.refused)
            reasons.push_back(std::to_string(line.line) + ": " + line.reason.toStdString());
        return reasons;
    }
};

TEST_F(FieldChangeImportTest, TheUnchangedExportChangesNothing)
{
    const FieldImport import = PlanFieldImport(*db, DatabaseDump(*db).Csv(KindProgram));
    ASSERT_TRUE(import.Ok()) << import.error.toStdString();
    EXPECT_TRUE(import.changes.empty());
    EXPECT_TRUE(import.refused.empty()) << Reasons(import).front();
    EXPECT_EQ(import.unchangedLines, 3);
}

TEST_F(FieldChangeImportTest, AcceptedChangesAreListedAndApplied)
{
    const QByteArray csv = "slot,Service Name,Service ID,Favorite Group\r\n"
                           "0,Alpha,61,0\r\n"
                           "1,A name much longer than seventeen,62,3\r\n"
                           "2,Gamma,  1000 ,0\r\n";
    const FieldImport import = PlanFieldImport(*db, csv);
    ASSERT_TRUE(import.Ok());
    EXPECT_TRUE(import.refused.empty());
    ASSERT_EQ(import.changes.size(), 4u);
    // The name is cut to what the record holds (16 characters here; never more than 17), and its
    // length field follows it.
    EXPECT_EQ(import.changes[0].fieldName, "Service Name");
    EXPECT_EQ(import.changes[0].before, "Beta");
    EXPECT_EQ(import.changes[0].after, "A name much long");
    EXPECT_EQ(import.changes[1].fieldName, "name_len");
    EXPECT_EQ(import.changes[1].after, "32");
    EXPECT_EQ(import.changes[2].fieldName, "Favorite Group");
    EXPECT_EQ(import.changes[2].line, 3);
    EXPECT_EQ(import.changes[3].slot, c);
    EXPECT_EQ(import.changes[3].after, "1000");
    EXPECT_EQ(import.unchangedLines, 1);

    ASSERT_TRUE(ApplyFieldChanges(*db, import.changes));
    EXPECT_EQ(Name(b), "A name much long");
    EXPECT_EQ(Get(KindProgram, b, "name_len"), "32");
    EXPECT_EQ(Get(KindProgram, b, "Favorite Group"), "3");
    EXPECT_EQ(Get(KindProgram, c, "Service ID"), "1000");
    EXPECT_EQ(Name(a), "Alpha");
}

TEST_F(FieldChangeImportTest, RowsMatchByIdsWithoutASlot)
{
    const QByteArray csv = "prog_id,tp_id,sat_id,Service ID\n1,2,1,77\n9,9,1,78\n";
    const FieldImport import = PlanFieldImport(*db, csv);
    ASSERT_TRUE(import.Ok());
    ASSERT_EQ(import.changes.size(), 1u);
    EXPECT_EQ(import.changes[0].slot, c);
    EXPECT_EQ(Reasons(import), (std::vector<std::string> {"3: no program has the ids 1/9/9"}));
}

TEST_F(FieldChangeImportTest, BadValuesRefuseTheirWholeLine)
{
    const QByteArray csv = "slot,sat_id,tp_id,prog_id,Service Name,Service ID,Video Pid,Audio Pid2,Service Type,audio_lang\r\n"
                           "0,1,1,1,Alpha,70000,100,0,1,0;0;0\r\n"        // 2: service id beyond 16 bits
                           "0,1,1,1,Changed,61,20,0,1,0;0;0\r\n"          // 3: video PID below 32
                           "1,1,1,2,Beta,62,100,31,1,0;0;0\r\n"           // 4: audio PID 2 neither 0 nor >= 32
                           "1,1,1,2,Beta,62,100,0,2,0;0;0\r\n"            // 5: neither TV nor radio
                           "1,1,1,2,,62,100,0,1,0;0;0\r\n"                // 6: no name
                           "1,1,1,2,Beta,6x2,100,0,1,0;0;0\r\n"           // 7: no number
                           "1,1,2,2,Beta,62,100,0,1,0;0;0\r\n"            // 8: ids of another program
                           "7,1,1,2,Beta,62,100,0,1,0;0;0\r\n"            // 9: a free slot
                           "1,1,1,2,Beta,62,100,0,1,1;2;3\r\n"            // 10: a list field
                           "2,1,2,1,Gamma,63,8191,0,0,0;0;0\r\n"          // 11: a radio's video PID may be 8191
                           "2,1,2,1,Gamma,63,8191,0,0,0;0;0\r\n";         // 12: the same program again
    const FieldImport import = PlanFieldImport(*db, csv);
    ASSERT_TRUE(import.Ok()) << import.error.toStdString();
    EXPECT_EQ(Reasons(import),
              (std::vector<std::string> {
                  "2: Service ID: 70000 does not fit; the field holds 0 to 65535",
                  "3: Video Pid: 20 is outside 32 to 8190",
                  "4: Audio Pid2: 31 is outside 0 and 32 to 65535",
                  "5: Service Type: 2 is neither 1 (TV) nor 0 (radio)",
                  "6: Service Name: a program needs a name",
                  "7: Service ID: \"6x2\" is not a whole number",
                  "8: the ids are not those of the program in slot 1",
                  "9: slot 7 holds no program",
                  "10: audio_lang: a list field cannot be changed by an import",
                  "12: line 11 already names this program",
              }));
    ASSERT_EQ(import.changes.size(), 1u) << "a refused line leaves no change behind, not even its good cells";
    EXPECT_EQ(import.changes[0].line, 11);
    EXPECT_EQ(import.changes[0].after, "8191");
}

TEST_F(FieldChangeImportTest, AFileThatIsNoProgramListIsRefusedWhole)
{
    const auto error = [&](const QByteArray &csv) {
        const FieldImport import = PlanFieldImport(*db, csv);
        EXPECT_TRUE(import.changes.empty() && import.refused.empty());
        return import.error.toStdString();
    };
    EXPECT_EQ(error("slot,Service Name,Colour\r\n0,A,red\r\n"), "line 1: \"Colour\" is no program field of this template");
    EXPECT_EQ(error("slot,Service Name\r\n0,A\r\n1\r\n"), "line 3: 1 fields where the header has 2");
    EXPECT_EQ(error("Service Name,Service ID\r\nA,1\r\n"),
              "line 1: a \"slot\" column, or \"sat_id\", \"tp_id\" and \"prog_id\", must name the programs");
    EXPECT_EQ(error("slot,slot\r\n0,0\r\n"), "line 1: the column \"slot\" is there twice");
    EXPECT_EQ(error("slot,Service Name\r\n0,\"A\"B\r\n"), "line 2: text after a closing quote");
    EXPECT_EQ(error("slot,Service Name\r\n0,\xff\xfe\r\n"), "line 2: the text is not UTF-8");
    EXPECT_EQ(error(""), "the file holds no header line");
}

} // namespace
