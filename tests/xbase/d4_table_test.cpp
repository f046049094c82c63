// The engine API on single tables: field round trips, the blank append
// buffer, positioning at both ends, write-back of changes, error reports and
// null handles.
#include <gtest/gtest.h>

#include "d4_test_tables.h"

namespace xbase {
namespace {

using xbase_test::appendKey;
using xbase_test::appendText;
using xbase_test::appendWords;
using xbase_test::assign;
using xbase_test::At;
using xbase_test::Engine;
using xbase_test::fieldText;
using xbase_test::memoText;
using xbase_test::seekIn;
using xbase_test::TempDir;

TEST(D4Table, EveryFieldTypeRoundTrips) {
    TempDir dir;
    Engine code;
    const std::vector<Field4info> fields = {
        {"NAME", 'C', 12, 0}, {"COUNT", 'N', 10, 0}, {"PRICE", 'N', 9, 2}, {"RATE", 'F', 8, 3},
        {"DAY", 'D', 8, 0},   {"DONE", 'L', 1, 0},   {"NOTE", 'M', 10, 0}};
    Data4* t = d4create(code, dir.file("all").c_str(), fields, {});
    ASSERT_TRUE(t);
    const std::vector<std::vector<std::string>> rows = {
        {"caf\xE9 cr\xE8me", "42", "3.5", "-0.125", "20240229", "T", "line one\r\nline two"},
        {"", "-7", "-12.25", "1", "", "F", ""},
        {"exactlytwelv", "", "", "", "19991231", "", std::string(5000, 'm')}};
    std::vector<std::string> stored;  // every field's bytes and the memo, as appended
    for (const auto& row : rows) {
        ASSERT_EQ(d4appendStartVB(t, 0), 0);
        for (std::size_t i = 0; i + 1 < fields.size(); ++i)
            ASSERT_EQ(assign(t, fields[i].name.c_str(), row[i]), 0) << fields[i].name;
        ASSERT_EQ(f4memoAssign(d4field(t, "note"), row.back().c_str()), 0);
        ASSERT_EQ(d4append(t), 0);
        for (const auto& f : fields)
            stored.push_back(fieldText(t, f.name.c_str()));
        stored.push_back(memoText(t, "NOTE"));
    }
    ASSERT_EQ(d4close(t), 0);

    t = d4open(code, dir.file("all.dbf").c_str());
    ASSERT_TRUE(t);
    ASSERT_EQ(d4recCountDo(t), 3);
    std::vector<std::string> read;
    for (short r = d4top(t); r == 0; r = d4skip(t, 1)) {
        for (const auto& f : fields)
            read.push_back(fieldText(t, f.name.c_str()));
        read.push_back(memoText(t, "NOTE"));
    }
    EXPECT_EQ(read, stored);
    ASSERT_EQ(d4top(t), 0);
    EXPECT_EQ(fieldText(t, "NAME"), "caf\xE9 cr\xE8me  ");
    EXPECT_EQ(f4long(d4field(t, "COUNT")), 42);
    EXPECT_EQ(memoText(t, "NOTE"), rows[0][6]);
    EXPECT_STREQ(f4name(d4field(t, "note")), "NOTE");
    ASSERT_EQ(d4bottom(t), 0);
    EXPECT_EQ(memoText(t, "NOTE"), rows[2][6]);
}

TEST(D4Table, AppendStartsFromABlankRecord) {
    TempDir dir;
    Engine code;
    Data4* keys = xbase_test::createKeys(code, dir.file("Keys.dbf"));
    Data4* text = xbase_test::createText(code, dir.file("Text.dbf"));
    ASSERT_TRUE(keys && text);
    ASSERT_EQ(appendKey(keys, "Dear", 2, 1, "Letter"), 0);
    ASSERT_EQ(appendKey(keys, "friend", 2, 2), 0);  // no drawer assigned
    EXPECT_EQ(fieldText(keys, "FILTER"), std::string(10, ' '));
    ASSERT_EQ(appendText(text, 1, "first document"), 0);
    ASSERT_EQ(d4appendStartVB(text, 1), 0);
    EXPECT_EQ(fieldText(text, "ITEMS"), std::string(10, ' '));
    EXPECT_EQ(memoText(text, "TEXT"), "");
    assign(text, "ITEMS", "2");
    ASSERT_EQ(d4append(text), 0);
    EXPECT_EQ(memoText(text, "TEXT"), "");
    EXPECT_EQ(fieldText(text, "TEXT"), std::string(10, ' '));
    ASSERT_EQ(d4goTo(keys, 2), 0);
    EXPECT_EQ(fieldText(keys, "FILTER"), std::string(10, ' '));
    EXPECT_EQ(d4append(keys), rc::kParameter);  // no append was started
    EXPECT_EQ(d4recCountDo(keys), 2);
}

TEST(D4Table, PositionsAtBothEnds) {
    TempDir dir;
    Engine code;
    Data4* keys = xbase_test::createKeys(code, dir.file("Keys"));
    ASSERT_TRUE(keys);
    auto at = [&](short result) { return xbase_test::at(keys, result); };
    EXPECT_EQ(at(d4top(keys)), At(rc::kEof, 1));  // empty table
    EXPECT_EQ(d4bottom(keys), rc::kEof);
    appendWords(keys, 1, 3);
    EXPECT_EQ(at(d4bottom(keys)), At(0, 3));
    EXPECT_EQ(at(d4skip(keys, 1)), At(rc::kEof, 4));
    EXPECT_EQ(fieldText(keys, "KEYS"), std::string(10, ' '));  // blank buffer at end of file
    EXPECT_EQ(at(d4skip(keys, 1)), At(rc::kEof, 4));
    EXPECT_EQ(at(d4skip(keys, -1)), At(0, 3));  // back from end of file to the last record
    EXPECT_EQ(d4top(keys), 0);
    EXPECT_EQ(at(d4skip(keys, -1)), At(rc::kBof, 1));  // stays on the first record
    EXPECT_EQ(fieldText(keys, "KEYS"), "w1        ");
    EXPECT_EQ(at(d4skip(keys, 2)), At(0, 3));
    EXPECT_EQ(d4goTo(keys, 2), 0);
    EXPECT_EQ(fieldText(keys, "KEYS"), "w2        ");
    EXPECT_EQ(d4goTo(keys, 9), rc::kEof);
    EXPECT_EQ(d4goTo(keys, 0), rc::kParameter);
    // In tag order the same rules hold.
    ASSERT_EQ(d4tagSelect(keys, d4tag(keys, "keyitems")), 0);
    EXPECT_EQ(d4bottom(keys), 0);
    EXPECT_EQ(at(d4skip(keys, 5)), At(rc::kEof, 4));
    EXPECT_EQ(at(d4skip(keys, -2)), At(0, 2));
    EXPECT_EQ(at(d4skip(keys, -5)), At(rc::kBof, 1));
}

TEST(D4Table, ChangesAreWrittenWhenTheTableMovesOn) {
    TempDir dir;
    Engine code;
    Data4* keys = xbase_test::createKeys(code, dir.file("Keys.dbf"));
    appendWords(keys, 1, 3);
    ASSERT_EQ(d4unlock(keys), 0);
    ASSERT_EQ(d4goTo(keys, 2), 0);
    ASSERT_EQ(assign(keys, "KEYS", "changed"), 0);
    ASSERT_EQ(d4delete(keys), 0);
    EXPECT_EQ(d4deleted(keys), 1);
    ASSERT_EQ(d4skip(keys, 1), 0);
    ASSERT_EQ(d4goTo(keys, 2), 0);
    EXPECT_EQ(fieldText(keys, "KEYS"), "changed   ");
    EXPECT_EQ(d4deleted(keys), 1);
    ASSERT_EQ(d4recall(keys), 0);
    ASSERT_EQ(d4close(keys), 0);  // close writes the pending recall

    keys = d4open(code, dir.file("Keys.dbf").c_str());
    ASSERT_TRUE(keys) << code4errorCode(code, 0);
    ASSERT_EQ(d4goTo(keys, 2), 0);
    EXPECT_EQ(fieldText(keys, "KEYS"), "changed   ");
    EXPECT_EQ(d4deleted(keys), 0);
    EXPECT_EQ(seekIn(keys, "KEYITEMS", "CHANGED"), At(0, 2));  // the tag followed the change
    EXPECT_EQ(d4seek(keys, "W2"), rc::kAfter);
}

TEST(D4Table, ErrorsAreCodesAndGoToTheCallbackOnlyWhenReportsAreOn) {
    TempDir dir;
    Engine code;
    std::vector<std::pair<short, std::string>> reports;
    code4errorCallback(code,
                       [&](short c, const std::string& text) { reports.emplace_back(c, text); });
    EXPECT_EQ(code4errOff(code, 1), 0);
    Data4* keys = xbase_test::createKeys(code, dir.file("Keys.dbf"));
    ASSERT_EQ(appendKey(keys, "word", 5, 1), 0);
    EXPECT_EQ(assign(keys, "ITEMS", "5x"), rc::kFieldType);
    EXPECT_EQ(fieldText(keys, "ITEMS"), "         5");
    EXPECT_EQ(d4field(keys, "NOSUCH"), nullptr);
    EXPECT_EQ(code4errorCode(code, 0), rc::kFieldName);
    EXPECT_EQ(d4tag(keys, "NOSUCH"), nullptr);
    EXPECT_EQ(code4errorCode(code, 0), rc::kNoTag);
    EXPECT_EQ(d4skip(keys, 1), rc::kEof);
    EXPECT_EQ(assign(keys, "KEYS", "x"), rc::kEof);  // no record at end of file
    EXPECT_EQ(d4open(code, dir.file("missing.dbf").c_str()), nullptr);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(code4errorCode(code, 0), rc::kOpen);  // read and cleared
    EXPECT_EQ(code4errorCode(code, 0), 0);
    EXPECT_EQ(code4errOff(code, 0), 1);
    EXPECT_EQ(d4open(code, dir.file("missing.dbf").c_str()), nullptr);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].first, rc::kOpen);
    EXPECT_NE(reports[0].second.find("missing.dbf"), std::string::npos);
}

TEST(D4Table, NullHandlesAreRefused) {
    for (auto call : {d4close, d4unlock, d4flush, d4top, d4bottom, d4append, d4delete, d4recall,
                      d4pack, d4memoCompress, d4reindex, d4deleted})
        EXPECT_EQ(call(nullptr), rc::kParameter);
    for (auto call : {code4errOff, code4errorCode, code4lockEnforce, code4accessMode})
        EXPECT_EQ(call(nullptr, 1), rc::kParameter);
    EXPECT_EQ(d4initUndo(nullptr), rc::kParameter);
    EXPECT_EQ(d4open(nullptr, "x"), nullptr);
    EXPECT_EQ(d4skip(nullptr, 1), rc::kParameter);
    EXPECT_EQ(d4lock(nullptr, 1), rc::kParameter);
    EXPECT_EQ(d4seek(nullptr, "1"), rc::kParameter);
    EXPECT_EQ(d4appendStartVB(nullptr, 0), rc::kParameter);
    EXPECT_EQ(d4recNo(nullptr), -1);
    EXPECT_EQ(d4field(nullptr, "KEYS"), nullptr);
    EXPECT_EQ(f4ptr(nullptr), nullptr);
    EXPECT_EQ(f4assignNVB(nullptr, "1", 1), rc::kParameter);
    EXPECT_EQ(f4memoAssign(nullptr, "1"), rc::kParameter);
    EXPECT_EQ(f4memoPtr(nullptr), nullptr);
    char buf[4] = "abc";
    EXPECT_EQ(u4ncpy(buf, "hello", sizeof buf), 3u);
    EXPECT_STREQ(buf, "hel");
    EXPECT_EQ(u4ncpy(buf, nullptr, sizeof buf), 0u);
    EXPECT_STREQ(buf, "");
}

}  // namespace
}  // namespace xbase
