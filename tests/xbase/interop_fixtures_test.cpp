// Interoperability the other way: tables written by an independent xBase
// engine (shared/fixtures/{empty,small,large}) open in ours; every record,
// memo and tag entry reads as that engine's printout lists, and seeks stand
// where its seek list says. Our writes into such a table keep its index sound.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "d4_test_tables.h"
#include "tests/xbase/cdx_test_support.h"

namespace xbase {
namespace {

using xbase_test::Engine;
using xbase_test::fieldText;
using xbase_test::memoText;
using xbase_test::TempDir;

const std::string kFixtures = std::string(VELLUMARK_SOURCE_DIR) + "/../shared/fixtures/";

struct PrintedRecord {
    long recno = 0;
    bool deleted = false;
    std::map<std::string, std::string> fields;  // as printed: quoted texts unescaped, D: stripped
};

using PrintedTag = std::vector<std::pair<long, bool>>;  // entries: recno, deleted

struct PrintedTable {
    std::map<std::string, PrintedTag> tags;
    std::vector<PrintedRecord> records;
};

struct PrintedSeek {
    std::string table, tag, key, mode;
    bool found, eof;
    long recno;
};

// Reads NAME=value or NAME(len n)="..." pairs of a printed record line.
std::map<std::string, std::string> parseFields(const std::string& line) {
    std::map<std::string, std::string> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        std::size_t nameEnd = line.find_first_of("=(", i);
        if (nameEnd == std::string::npos) break;
        std::string name = line.substr(i, nameEnd - i);
        i = line.find('=', nameEnd) + 1;
        std::string value;
        if (line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size()) {
                    char c = line[++i];
                    value += c == 'r' ? '\r' : c == 'n' ? '\n' : c;
                } else {
                    value += line[i];
                }
            }
            ++i;
        } else {
            std::size_t end = line.find(' ', i);
            value = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
            i = end == std::string::npos ? line.size() : end;
            if (value.rfind("D:", 0) == 0) value = value.substr(2);
        }
        fields[name] = value;
    }
    return fields;
}

struct Printout {
    std::map<std::string, PrintedTable> tables;  // "Keys", "Text"
    std::vector<PrintedSeek> seeks;

    explicit Printout(const std::string& path) {
        std::istringstream in(xbase_test::readFile(path));
        static const std::regex section("######## (\\w+) through the engine");
        static const std::regex tagLine("tag \\d+: name=(\\w+) .*");
        static const std::regex entry(" +\\d+ .* rec (\\d+)( \\*)?");
        static const std::regex record(" +(\\d+) ([ *]) (.*)");
        static const std::regex seek(
            "SEEK (\"[^\"]*\"|\\S+) (hard last|hard|soft) on (\\w+)\\.(\\w+): found=([YN]) "
            "eof=([YN]) "
            "rec=(\\d+).*");
        PrintedTable* table = nullptr;
        PrintedTag* tag = nullptr;
        bool inRecords = false;
        std::smatch m;
        for (std::string line; std::getline(in, line);) {
            if (std::regex_match(line, m, section)) {
                table = &tables[m[1]];
                tag = nullptr;
                inRecords = false;
            } else if (line.rfind("########", 0) == 0) {
                table = nullptr;
            } else if (std::regex_match(line, m, seek)) {
                std::string key = m[1];
                if (key.front() == '"') key = key.substr(1, key.size() - 2);
                seeks.push_back({m[3], m[4], key, m[2], m[5] == "Y", m[6] == "Y", std::stol(m[7])});
            } else if (!table) {
                continue;
            } else if (std::regex_match(line, m, tagLine)) {
                tag = &table->tags[m[1]];
            } else if (line.rfind("records in physical order", 0) == 0) {
                inRecords = true;
            } else if (inRecords && std::regex_match(line, m, record)) {
                table->records.push_back({std::stol(m[1]), m[2] == "*", parseFields(m[3])});
            } else if (!inRecords && tag && std::regex_match(line, m, entry)) {
                tag->emplace_back(std::stol(m[1]), m[2].matched);
            }
        }
    }
};

// A writable copy of one fixture set.
std::unique_ptr<TempDir> copySet(const std::string& set) {
    auto dir = std::make_unique<TempDir>();
    for (const char* name : {"Keys.dbf", "Keys.cdx", "Text.dbf", "Text.cdx", "Text.fpt"})
        xbase_test::writeFile(dir->file(name), xbase_test::readFile(kFixtures + set + "/" + name));
    return dir;
}

void expectRecords(Data4* data, const PrintedTable& printed) {
    ASSERT_EQ(d4recCountDo(data), static_cast<long>(printed.records.size()));
    for (const PrintedRecord& r : printed.records) {
        ASSERT_EQ(d4goTo(data, r.recno), 0);
        EXPECT_EQ(d4deleted(data), r.deleted ? 1 : 0) << r.recno;
        for (const auto& [name, value] : r.fields) {
            Field4* f = d4field(data, name.c_str());
            ASSERT_TRUE(f) << name;
            if (name == "TEXT")
                EXPECT_EQ(memoText(data, "TEXT"), value) << r.recno;
            else if (name == "ITEMS" || name == "ORDER")
                EXPECT_EQ(f4long(f), std::stol(value)) << name << " of " << r.recno;
            else
                EXPECT_EQ(fieldText(data, name.c_str()), value) << name << " of " << r.recno;
        }
    }
}

void expectTag(Data4* data, const std::string& name, const PrintedTag& printed) {
    ASSERT_EQ(d4tagSelect(data, d4tag(data, name.c_str())), 0);
    std::vector<std::pair<long, bool>> forward, backward;
    for (short r = d4top(data); r == 0; r = d4skip(data, 1))
        forward.emplace_back(d4recNo(data), d4deleted(data) == 1);
    for (short r = d4bottom(data); r == 0; r = d4skip(data, -1))
        backward.emplace_back(d4recNo(data), d4deleted(data) == 1);
    EXPECT_EQ(forward, printed) << name;
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, printed) << name;
}

class InteropFixtures : public testing::TestWithParam<const char*> {};

TEST_P(InteropFixtures, ReadAndSeekAsTheirPrintoutSays) {
    const std::string set = GetParam();
    if (!std::filesystem::exists(kFixtures + set + "/printout.txt")) GTEST_SKIP() << "no fixtures";
    Printout printout(kFixtures + set + "/printout.txt");
    ASSERT_EQ(printout.tables.size(), 2u);
    auto dir = copySet(set);
    Engine code;
    std::map<std::string, Data4*> open;
    for (const char* name : {"Keys", "Text"}) {
        open[name] = d4open(code, dir->file(std::string(name) + ".dbf").c_str());
        ASSERT_TRUE(open[name]) << name << " " << code4errorCode(code, 0);
        const PrintedTable& printed = printout.tables[name];
        expectRecords(open[name], printed);
        for (const auto& [tag, entries] : printed.tags)
            expectTag(open[name], tag, entries);
    }
    int checked = 0;
    for (const PrintedSeek& s : printout.seeks) {
        bool soft = s.mode == "soft";
        if (s.mode == "hard last" || (!soft && !s.found)) continue;  // hard misses stand elsewhere
        const short want = s.found ? 0 : s.eof ? rc::kEof : rc::kAfter;
        EXPECT_EQ(xbase_test::seekIn(open[s.table], s.tag.c_str(), s.key),
                  xbase_test::At(want, s.recno))
            << s.table << "." << s.tag << " " << s.key;
        ++checked;
    }
    EXPECT_GT(checked, 20);
    // The files are not ours: opening them must not have rebuilt or changed them.
    for (const char* name : {"Keys", "Text"})
        ASSERT_EQ(d4close(open[name]), 0);
    for (const char* name : {"Keys.dbf", "Keys.cdx", "Text.dbf", "Text.cdx", "Text.fpt"})
        EXPECT_EQ(xbase_test::readFile(dir->file(name)),
                  xbase_test::readFile(kFixtures + set + "/" + name))
            << name;
}

TEST_P(InteropFixtures, OurWritesKeepTheirFilesSound) {
    const std::string set = GetParam();
    if (!std::filesystem::exists(kFixtures + set + "/printout.txt")) GTEST_SKIP() << "no fixtures";
    auto dir = copySet(set);
    Engine code;
    Data4* keys = d4open(code, dir->file("Keys.dbf").c_str());
    ASSERT_TRUE(keys);
    // Every third key changes and 300 records arrive: their leaves shrink, grow and split.
    const long before = d4recCountDo(keys), after = before + 300;
    for (long recno = 1; recno <= before; recno += 3) {
        ASSERT_EQ(d4goTo(keys, recno), 0);
        ASSERT_EQ(xbase_test::assign(keys, "KEYS", "zz" + std::to_string(recno)), 0);
    }
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(xbase_test::appendKey(keys, "Aaa" + std::to_string(i), 9000 + i, 1, "Zoo"), 0);
    EXPECT_EQ(fieldText(keys, "FILTER"), "Zoo   ");  // FILTER is C(6) there
    ASSERT_EQ(d4close(keys), 0);

    // An independent reader finds every page sound and every record once, in key order.
    const std::vector<unsigned char> bytes = cdxtest::readFile(dir->file("Keys.cdx"));
    for (const auto& [name, offset] : cdxtest::directory(bytes, false)) {
        cdxtest::TagReport report =
            cdxtest::TagReader(bytes, name == "ITEMS" ? '\0' : ' ', false).read(offset);
        ASSERT_TRUE(report.problems.empty()) << name << ": " << report.problems.front();
        std::set<std::uint32_t> recnos;
        for (const cdxtest::Entry& e : report.entries)
            recnos.insert(e.recno);
        EXPECT_EQ(report.entries.size(), static_cast<std::size_t>(after)) << name;
        EXPECT_EQ(recnos.size(), static_cast<std::size_t>(after)) << name;
    }
    keys = d4open(code, dir->file("Keys.dbf").c_str());
    ASSERT_TRUE(keys);
    EXPECT_EQ(xbase_test::seekIn(keys, "KEYITEMS", "AAA299"), xbase_test::At(0, after));
    EXPECT_TRUE(before == 0 ||
                xbase_test::seekIn(keys, "KEYITEMS", "ZZ1 ") == xbase_test::At(0, 1));
    ASSERT_EQ(d4tagSelect(keys, d4tag(keys, "ITEMS")), 0);
    ASSERT_EQ(d4bottom(keys), 0);
    EXPECT_EQ(d4recNo(keys), after);
}

INSTANTIATE_TEST_SUITE_P(Sets, InteropFixtures, testing::Values("empty", "small", "large"));

}  // namespace
}  // namespace xbase
