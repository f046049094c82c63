// Interoperability: tables, memo files and indexes written by our engine are
// read back by independent readers, Perl's XBase module (records and every
// tag of both CDX files, in order, with record numbers) and Python's dbfread
// (records and memo texts). A test is skipped only when its reader is missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

#include "d4_test_tables.h"
#include "xbase/expr.h"

namespace xbase {
namespace {

using xbase_test::appendKey;
using xbase_test::appendText;
using xbase_test::Engine;
using xbase_test::TempDir;

const std::string kScripts = std::string(VELLUMARK_SOURCE_DIR) + "/tests/interop/";

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        out.append(buf, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
    return out;
}

bool perlReady() {
    return std::system("/usr/bin/perl -MXBase -MXBase::Index -e 1 2>/dev/null") == 0;
}
// What tests/interop/read_xbase.pl prints for table's records and the tags.
std::string perlRead(const std::string& folder, const std::string& table, const std::string& tags) {
    return run("cd " + folder + " && /usr/bin/perl " + kScripts + "read_xbase.pl " + table +
               ".dbf " + table + ".cdx " + tags);
}

bool dbfreadReady() {
    return std::system("/usr/bin/python3 -c 'import dbfread' 2>/dev/null") == 0;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '\\' ? "\\\\" : c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return out;
}

struct KeyRecord {
    std::string word;
    long items, order;
    std::string filter;
    bool deleted;
};

struct TextRecord {
    long items;
    std::string text;
    std::string date;
    bool deleted;
};

// Both tables as the program fills them: keyword records before their
// document, cp1252 words, drawers, deleted documents, a changed key and a
// memo that outgrew its blocks.
struct Store {
    TempDir dir;
    std::vector<KeyRecord> keys;
    std::vector<TextRecord> texts;

    Store() {
        Engine code;
        Data4* k = xbase_test::createKeys(code, dir.file("Keys.dbf"));
        Data4* t = xbase_test::createText(code, dir.file("Text.dbf"));
        const char* words[] = {"caf\xE9", "Hello",    "said",  "O Brien",    "1999", "\xC9t\xE9",
                               "meeting", "na\xEFve", "zebra", "Internatio", "a.m",  "\x8Aum"};
        for (long doc = 1; doc <= 60; ++doc) {
            std::string drawer = doc % 4 == 0 ? "Letter" : "";
            for (long pos = 1; pos <= 50; ++pos) {
                std::string word = words[(doc * 7 + pos * 3) % 12];
                if (pos % 5 == 0) word += std::to_string(doc);
                word = word.substr(0, 10);
                EXPECT_EQ(appendKey(k, word, doc, pos, drawer), 0);
                keys.push_back({word, doc, pos, drawer, false});
            }
            std::string body = "Document " + std::to_string(doc) + "\r\nline two \xE9\xE8\r\n" +
                               std::string(static_cast<std::size_t>(doc % 7) * 100, 'x');
            if (doc == 13) body.clear();
            if (doc == 42) body = std::string(5000, 'L');
            std::string date =
                "202403" + std::string(doc % 28 < 9 ? "0" : "") + std::to_string(doc % 28 + 1);
            EXPECT_EQ(appendText(t, doc, body, date), 0);
            texts.push_back({doc, body, date, false});
            EXPECT_EQ(d4unlock(k), 0);
            EXPECT_EQ(d4unlock(t), 0);
        }
        // Delete document 7 (its record and its keyword records), change a key,
        // and let memo 5 grow out of its blocks.
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (keys[i].items != 7) continue;
            EXPECT_EQ(d4goTo(k, static_cast<long>(i + 1)), 0);
            EXPECT_EQ(d4delete(k), 0);
            keys[i].deleted = true;
        }
        EXPECT_EQ(d4goTo(k, 100), 0);
        EXPECT_EQ(xbase_test::assign(k, "KEYS", "renamed"), 0);
        keys[99].word = "renamed";
        EXPECT_EQ(d4goTo(t, 7), 0);
        EXPECT_EQ(d4delete(t), 0);
        texts[6].deleted = true;
        EXPECT_EQ(d4goTo(t, 5), 0);
        texts[4].text += std::string(3000, '+');
        EXPECT_EQ(f4memoAssign(d4field(t, "TEXT"), texts[4].text.c_str()), 0);
        EXPECT_EQ(d4close(k), 0);
        EXPECT_EQ(d4close(t), 0);
    }

    // The KEYITEMS entries in tag order.
    std::set<std::pair<std::string, long>> keyItems() const {
        std::set<std::pair<std::string, long>> sorted;
        for (std::size_t i = 0; i < keys.size(); ++i)
            sorted.insert({xbase_test::keyItems(keys[i].word, keys[i].items), i + 1});
        return sorted;
    }
};

TEST(InteropReaders, PerlReadsRecordsAndEveryTag) {
    if (!perlReady()) GTEST_SKIP() << "Perl's XBase module is not installed";
    Store store;
    std::string want;
    for (std::size_t i = 0; i < store.keys.size(); ++i) {
        const KeyRecord& r = store.keys[i];
        want += "record " + std::to_string(i + 1) + (r.deleted ? " *" : "") + "\n";
        want += "  KEYS=" + r.word + "\n  ITEMS=" + std::to_string(r.items) +
                "\n  ORDER=" + std::to_string(r.order) + "\n  FILTER=" + r.filter + "\n";
    }
    want += "tag KEYITEMS\n";
    for (const auto& [key, recno] : store.keyItems())
        want += "  " + key + "|" + std::to_string(recno) + "\n";
    want += "tag ITEMS\n";
    for (std::size_t i = 0; i < store.keys.size(); ++i)  // appended in document order
        want += "  " + std::to_string(store.keys[i].items) + "|" + std::to_string(i + 1) + "\n";
    EXPECT_EQ(perlRead(store.dir.path(), "Keys", "KEYITEMS:C ITEMS:N"), want);

    want.clear();
    for (std::size_t i = 0; i < store.texts.size(); ++i) {
        const TextRecord& r = store.texts[i];
        want += "record " + std::to_string(i + 1) + (r.deleted ? " *" : "") + "\n";
        want += "  ITEMS=" + std::to_string(r.items) + "\n  TEXT=" + escaped(r.text) +
                "\n  DATE=" + r.date + "\n";
    }
    want += "tag ITEMS\n";
    for (const TextRecord& r : store.texts)
        want += "  " + std::to_string(r.items) + "|" + std::to_string(r.items) + "\n";
    EXPECT_EQ(perlRead(store.dir.path(), "Text", "ITEMS:N"), want);
}

TEST(InteropReaders, DbfreadReadsRecordsAndMemos) {
    if (!dbfreadReady()) GTEST_SKIP() << "Python's dbfread is not installed";
    Store store;
    auto expect = [](bool deleted, const std::vector<std::pair<std::string, std::string>>& fields) {
        std::string s = deleted ? "deleted\n" : "record\n";
        for (const auto& [name, value] : fields)
            s += "  " + name + "=" + value + "\n";
        return s;
    };
    std::string live, dead;
    for (const KeyRecord& r : store.keys)
        (r.deleted ? dead : live) += expect(r.deleted, {{"KEYS", r.word},
                                                        {"ITEMS", std::to_string(r.items)},
                                                        {"ORDER", std::to_string(r.order)},
                                                        {"FILTER", r.filter}});
    EXPECT_EQ(run("/usr/bin/python3 " + kScripts + "read_dbfread.py " + store.dir.file("Keys.dbf")),
              live + dead);

    live.clear();
    dead.clear();
    for (const TextRecord& r : store.texts) {
        std::string date =
            r.date.substr(0, 4) + "-" + r.date.substr(4, 2) + "-" + r.date.substr(6, 2);
        (r.deleted ? dead : live) +=
            expect(r.deleted,
                   {{"ITEMS", std::to_string(r.items)}, {"TEXT", escaped(r.text)}, {"DATE", date}});
    }
    EXPECT_EQ(run("/usr/bin/python3 " + kScripts + "read_dbfread.py " + store.dir.file("Text.dbf")),
              live + dead);
}

// The tables mkdb installs (whose spare copies start-up restores) are read
// by our engine and Perl's module alike.
TEST(InteropReaders, TheInstalledEmptyTablesOpenEverywhere) {
    TempDir dir;
    ASSERT_EQ(std::system(("cd " + dir.path() + " && " + VELLUMARK_PROGRAM_DIR +
                           "/../tools/mkdb . --tables")
                              .c_str()),
              0)
        << "mkdb must be built";
    Engine code;
    for (const char* table : {"Keys.dbf", "Text.dbf"}) {
        Data4* data = d4open(code, dir.file(table).c_str());
        ASSERT_TRUE(data) << table;
        EXPECT_EQ(d4recCountDo(data), 0);
        ASSERT_EQ(d4close(data), 0);
    }
    if (!perlReady()) return;
    EXPECT_EQ(perlRead(dir.path(), "Keys", "KEYITEMS:C ITEMS:N"), "tag KEYITEMS\ntag ITEMS\n");
    EXPECT_EQ(perlRead(dir.path(), "Text", "ITEMS:N"), "tag ITEMS\n");
}

}  // namespace
}  // namespace xbase
