// The engine's read-only verification of a table: sound tables (FOR clauses
// and unique tags included) pass, and damage to the header, the memo
// pointers and the tags is found and described without changing a file.
#include "xbase/verify.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "store/bindings.h"
#include "tests/support/scripted_platform.h"
#include "xbase/d4.h"

namespace {

using testsupport::overwrite_file;

// A table of people: NAME C(10), AGE N(3,0), NOTE M; tags NAME on
// UPPER(NAME), ADULT on AGE FOR AGE >= 18, FIRST on NAME unique.
class VerifiedTable : public ::testing::Test {
  protected:
    void SetUp() override {
        engine = xbase::d4init_v();
        xbase::code4errDefaultUnique(engine, 25);  // a second "ann" keeps its record
        xbase::Data4* table = xbase::d4create(
            engine, path.c_str(), {{"NAME", 'C', 10, 0}, {"AGE", 'N', 3, 0}, {"NOTE", 'M', 10, 0}},
            {{"NAME", "UPPER(NAME)", "", false},
             {"ADULT", "AGE", "AGE >= 18", false},
             {"FIRST", "NAME", "", true}});
        ASSERT_NE(table, nullptr);
        const char* people[][3] = {{"ann", "34", "likes maps"},
                                   {"bob", "12", ""},
                                   {"ann", "61", "another Ann"},
                                   {"Cy", "18", "just grown up"}};
        for (const auto& person : people) {
            ASSERT_EQ(xbase::d4appendStartVB(table, 0), 0);
            store::assign_text(xbase::d4field(table, "NAME"), person[0]);
            store::assign_text(xbase::d4field(table, "AGE"), person[1]);
            if (*person[2] != '\0') xbase::f4memoAssign(xbase::d4field(table, "NOTE"), person[2]);
            ASSERT_EQ(xbase::d4append(table), 0);
        }
        ASSERT_EQ(xbase::d4close(table), 0);
    }
    void TearDown() override { xbase::d4initUndo(engine); }

    // Byte offset of a field of record recno: header 32 + 3 x 32 + 1 bytes,
    // records of 1 + 10 + 3 + 10 bytes.
    static std::size_t field_offset(int recno, std::size_t inRecord) {
        return 129 + static_cast<std::size_t>(recno - 1) * 24 + inRecord;
    }

    testsupport::TempFolder folder;
    std::string path = folder.file("people.dbf");
    xbase::Code4* engine = nullptr;
};

std::string all(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

TEST_F(VerifiedTable, ASoundTableWithForAndUniqueTagsPasses) {
    std::uint64_t lastDone = 0, lastTotal = 0;
    const xbase::VerifyReport report = xbase::verifyTable(
        path, xbase::VerifyDepth::Records, [&](std::uint64_t done, std::uint64_t total) {
            lastDone = done;
            lastTotal = total;
        });
    EXPECT_TRUE(report.sound()) << all(report.problems);
    EXPECT_EQ(report.records, 4u);
    EXPECT_EQ(report.tags, (std::vector<std::string>{"NAME", "ADULT", "FIRST"}));
    EXPECT_EQ(report.memoFile, folder.file("people.fpt"));
    EXPECT_TRUE(report.notes.empty()) << all(report.notes);
    EXPECT_EQ(lastTotal, 16u) << "records once, and once per tag";
    EXPECT_EQ(lastDone, lastTotal);

    std::vector<std::string> names;
    EXPECT_EQ(xbase::scanTable(path,
                               [&](const xbase::RecordSource& record) {
                                   names.emplace_back(record.fieldBytes(0));
                               }),
              0);
    EXPECT_EQ(names,
              (std::vector<std::string>{"ann       ", "bob       ", "ann       ", "Cy        "}));
}

TEST_F(VerifiedTable, AFieldChangedBehindTheIndexShowsInEveryTagThatReadsIt) {
    overwrite_file(path, field_offset(2, 1), "dee");   // bob becomes dee, the tags still say BOB
    overwrite_file(path, field_offset(2, 11), " 40");  // and an adult, whom ADULT leaves out
    const xbase::VerifyReport report = xbase::verifyTable(path);
    EXPECT_EQ(all(report.problems),
              "tag NAME: record 2 is indexed under 'BOB', its record gives 'DEE'\n"
              "tag ADULT: record 2 has no entry\n"
              "tag FIRST: record 2 is indexed under 'bob', its record gives 'dee'\n");
}

TEST_F(VerifiedTable, MemoPointersOutsideTheMemoFileOrSharedAreFound) {
    overwrite_file(path, field_offset(2, 14), "      9999");  // bob had no note
    overwrite_file(path, field_offset(4, 14), "      0008");  // Cy's note block is ann's
    overwrite_file(path, field_offset(3, 14), "     12ab3");
    const xbase::VerifyReport report = xbase::verifyTable(path);
    EXPECT_EQ(all(report.problems),
              "record 2, memo field NOTE: points at block 9999, where the memo file holds no memo\n"
              "record 3, memo field NOTE: holds no block number\n"
              "record 4, memo field NOTE: shares block 8 with record 1\n");
}

TEST_F(VerifiedTable, HeaderDamageStopsTheCheckWithItsReason) {
    overwrite_file(path, 4, std::string("\x09\x00", 2));  // 9 records named, 4 held
    xbase::VerifyReport report = xbase::verifyTable(path);
    EXPECT_EQ(all(report.problems), "the header names 9 records, but the file holds only 4\n");
    EXPECT_FALSE(report.tableReadable);

    overwrite_file(path, 4, std::string("\x04\x00", 2));
    std::ofstream(path, std::ios::app | std::ios::binary) << std::string(30, 'r');
    report = xbase::verifyTable(path);
    EXPECT_TRUE(report.sound()) << all(report.problems);
    ASSERT_EQ(report.notes.size(), 1u);
    EXPECT_EQ(report.notes[0].substr(0, 44), "31 bytes follow the last counted record (an ");

    overwrite_file(path, 0, "\x30");
    EXPECT_EQ(all(xbase::verifyTable(path).problems),
              "byte 0 of the header (0x30) names no known table version\n");
    EXPECT_EQ(all(xbase::verifyTable(folder.file("none.dbf")).problems),
              "the table cannot be opened (missing or unreadable)\n");
}

TEST_F(VerifiedTable, AnIndexThatCannotBeReadIsReportedAndNothingIsRepaired) {
    const std::string index = folder.file("people.cdx");
    const auto before = std::filesystem::file_size(index);
    overwrite_file(index, 0, std::string(512, 'x'));
    const xbase::VerifyReport report = xbase::verifyTable(path, xbase::VerifyDepth::Files);
    EXPECT_TRUE(report.tableReadable);
    EXPECT_FALSE(report.indexReadable);
    EXPECT_EQ(all(report.problems), "the index people.cdx cannot be read: the index is damaged\n");
    EXPECT_EQ(std::filesystem::file_size(index), before);
    std::ifstream in(index, std::ios::binary);
    EXPECT_EQ(in.get(), 'x') << "the check writes nothing";
}

}  // namespace
