// CDX files written by an independent engine (shared/fixtures): every tag
// walks forwards and backwards exactly as that engine's printout lists it,
// seeks land where its seeks landed, and changes we make keep them readable.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "tests/xbase/cdx_test_support.h"
#include "xbase/cdx_index.h"
#include "xbase/expr.h"

namespace {

using cdxtest::Entry;
using xbase::CdxCursor;
using xbase::CdxFile;
using xbase::CdxTag;

// A key as the printout shows it: the character key itself, or the number of
// a numeric key.
struct Listed {
    std::string text;
    std::uint32_t recno;
};

struct Seek {
    std::string tag;  // "Keys.KEYITEMS"
    std::string value;
    bool numeric;
    bool soft;
    bool found;
    bool eof;
    std::uint32_t recno;
};

struct Printout {
    std::map<std::string, std::vector<Listed>> tags;  // "Keys.ITEMS" -> keys in tag order
    std::vector<Seek> seeks;
};

Printout readPrintout(const std::string& path) {
    Printout out;
    std::ifstream in(path);
    const std::regex tagLine(R"re(^tag \d+: name=(\S+) bag=(\S+))re");
    const std::regex charKey(R"re(^\s+\d+ "(.*)" rec (\d+)( \*)?$)re");
    const std::regex numKey(R"re(^\s+\d+ (-?[0-9.]+) rec (\d+)( \*)?$)re");
    const std::regex seekLine(
        R"re(^SEEK ("(.*)"|(-?[0-9.]+)) (hard|soft) on (\S+): found=(Y|N) eof=(Y|N) rec=(\d+))re");
    std::string line;
    std::string current;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, tagLine)) {
            current = m[2].str() + "." + m[1].str();
            out.tags[current];
        } else if (line.rfind("records in physical order", 0) == 0 || line.rfind("####", 0) == 0) {
            current.clear();
        } else if (!current.empty() &&
                   (std::regex_match(line, m, charKey) || std::regex_match(line, m, numKey))) {
            out.tags[current].push_back({m[1].str(), static_cast<std::uint32_t>(std::stoul(m[2]))});
        } else if (std::regex_search(line, m, seekLine) &&
                   line.find(" last ") == std::string::npos) {
            bool numeric = m[3].matched;
            out.seeks.push_back({m[5].str(), numeric ? m[3].str() : m[2].str(), numeric,
                                 m[4] == "soft", m[6] == "Y", m[7] == "Y",
                                 static_cast<std::uint32_t>(std::stoul(m[8]))});
        }
    }
    return out;
}

// What the printout shows for one of our entries.
std::string shown(const CdxTag& tag, std::string_view key) {
    if (tag.filler() == '\0') {
        double v = xbase::decodeNumericKey(key);
        std::string text = std::to_string(static_cast<long long>(v));
        return text;
    }
    return std::string(key);
}

void checkTag(CdxTag& tag, const std::vector<Listed>& listed, const std::string& where) {
    CdxCursor c(tag);
    std::size_t i = 0;
    for (bool ok = c.first(); ok; ok = c.next(), ++i) {
        ASSERT_LT(i, listed.size()) << where;
        ASSERT_EQ(shown(tag, c.key()), listed[i].text) << where << " at " << i;
        ASSERT_EQ(c.recNo(), listed[i].recno) << where << " at " << i;
    }
    EXPECT_EQ(c.error(), 0) << where;
    EXPECT_EQ(i, listed.size()) << where;
    for (bool ok = c.last(); ok; ok = c.prev()) {
        ASSERT_GT(i, 0u) << where;
        --i;
        ASSERT_EQ(c.recNo(), listed[i].recno) << where << " backwards at " << i;
    }
    EXPECT_EQ(i, 0u) << where;
}

class CdxFixture : public ::testing::TestWithParam<std::string> {
  protected:
    std::string set() const { return cdxtest::fixtureDir() + "/" + GetParam(); }
};

TEST_P(CdxFixture, TagsWalkAsListed) {
    Printout printout = readPrintout(set() + "/printout.txt");
    ASSERT_EQ(printout.tags.size(), 3u);
    for (const char* table : {"Keys", "Text"}) {
        short error = 0;
        auto cdx = CdxFile::open(set() + "/" + table + ".cdx", xbase::OpenMode::ReadOnly, error);
        ASSERT_TRUE(cdx) << table << " " << error;
        EXPECT_FALSE(cdx->hasMarker());
        for (CdxTag* tag : cdx->tags()) {
            std::string where = std::string(table) + "." + tag->name();
            ASSERT_TRUE(printout.tags.count(where)) << where;
            tag->setFiller(tag->keyLength() == 8 ? '\0' : ' ');
            checkTag(*tag, printout.tags[where], where);
        }
    }
    short error = 0;
    auto keys = CdxFile::open(set() + "/Keys.cdx", xbase::OpenMode::ReadOnly, error);
    ASSERT_EQ(keys->tags().size(), 2u);
    EXPECT_EQ(keys->tags()[0]->name(), "KEYITEMS");
    EXPECT_EQ(keys->tags()[0]->keyExpr(), "UPPER(Keys)+STR(Items)");
    EXPECT_EQ(keys->tags()[0]->keyLength(), 20);
    EXPECT_EQ(keys->tag("items")->keyLength(), 8);
}

TEST_P(CdxFixture, SeeksLandWhereTheOtherEngineLanded) {
    Printout printout = readPrintout(set() + "/printout.txt");
    ASSERT_FALSE(printout.seeks.empty());
    std::map<std::string, std::unique_ptr<CdxFile>> files;
    for (const Seek& s : printout.seeks) {
        std::string table = s.tag.substr(0, s.tag.find('.'));
        auto& file = files[table];
        short error = 0;
        if (!file)
            file = CdxFile::open(set() + "/" + table + ".cdx", xbase::OpenMode::ReadOnly, error);
        ASSERT_TRUE(file);
        CdxTag* tag = file->tag(s.tag.substr(s.tag.find('.') + 1));
        ASSERT_TRUE(tag);
        tag->setFiller(s.numeric ? '\0' : ' ');
        std::string prefix = s.numeric ? xbase::numericKey(std::stod(s.value)) : s.value;
        CdxCursor c(*tag);
        bool on = c.seekGE(prefix);
        bool found = on && c.key().substr(0, prefix.size()) == prefix;
        std::string what = s.tag + " " + s.value;
        EXPECT_EQ(found, s.found) << what;
        // A soft seek that misses stands on the next entry, or at the end.
        if (s.soft) {
            EXPECT_EQ(on, !s.eof) << what;
        }
        if (found || (s.soft && on)) {
            EXPECT_EQ(c.recNo(), s.recno) << what;
        }
    }
}

TEST_P(CdxFixture, ChangedCopyStaysReadable) {
    cdxtest::TempDir dir;
    std::filesystem::copy_file(set() + "/Keys.cdx", dir.file("Keys.cdx"));
    std::filesystem::permissions(dir.file("Keys.cdx"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    short error = 0;
    auto cdx = CdxFile::open(dir.file("Keys.cdx"), xbase::OpenMode::ReadWrite, error);
    ASSERT_TRUE(cdx) << error;
    CdxTag* tag = cdx->tag("KEYITEMS");
    std::vector<Entry> want;
    CdxCursor c(*tag);
    for (bool ok = c.first(); ok; ok = c.next())
        want.push_back({std::string(c.key()), c.recNo()});
    // Remove every third entry, add as many new ones.
    for (std::size_t i = 0; i < want.size(); i += 3)
        ASSERT_EQ(tag->remove(want[i].key, want[i].recno), 0);
    std::vector<Entry> kept;
    for (std::size_t i = 0; i < want.size(); ++i) {
        if (i % 3 != 0) kept.push_back(want[i]);
    }
    for (std::uint32_t r = 0; r < want.size() / 3 + 5; ++r) {
        std::string key = "NEW" + std::to_string(r * 37 % 1000);
        key.resize(20, ' ');
        ASSERT_EQ(tag->insert(key, 100000 + r), 0);
        kept.push_back({key, 100000 + r});
    }
    std::sort(kept.begin(), kept.end());
    ASSERT_EQ(cdx->flush(static_cast<std::uint32_t>(kept.size()), false), 0);
    EXPECT_TRUE(cdx->hasMarker());
    cdx.reset();

    std::vector<unsigned char> bytes = cdxtest::readFile(dir.file("Keys.cdx"));
    for (const auto& [name, offset] : cdxtest::directory(bytes, false)) {
        if (name != "KEYITEMS") continue;
        cdxtest::TagReport report = cdxtest::TagReader(bytes, ' ', false).read(offset);
        ASSERT_TRUE(report.problems.empty()) << report.problems.front();
        EXPECT_EQ(report.entries, kept);
    }
    auto reopened = CdxFile::open(dir.file("Keys.cdx"), xbase::OpenMode::ReadOnly, error);
    ASSERT_TRUE(reopened);
    std::uint32_t count = 0;
    EXPECT_TRUE(reopened->cleanState(count));
    EXPECT_EQ(count, kept.size());
}

INSTANTIATE_TEST_SUITE_P(CdxSets, CdxFixture, ::testing::Values("empty", "small", "large"));

}  // namespace
