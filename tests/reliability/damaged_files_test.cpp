// Damaged files: byte flips, truncations and zeroed pages in every kind of
// file of a populated store (table headers and records, memo header and
// blocks, index headers, interior and leaf pages), a few thousand cases made
// from one seed. Whatever the damage: no crash and no hang; a table that
// cannot be opened is refused with start-up's "Cannot open" message; an index
// whose headers are damaged is rebuilt at open, one damaged inside its trees
// by a reindex; a damaged memo reads as empty or as its own document's text,
// never as another document's; and the store takes a new document that then
// reads back whole.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "app/startup.h"
#include "store/bindings.h"
#include "store/names.h"
#include "tests/program/program_story.h"
#include "tools/crash/documents.h"
#include "tools/crash/store_check.h"
#include "xbase/d4.h"

namespace {

constexpr std::uint32_t kSeed = 77;
constexpr std::uint32_t kDocuments = 20;
constexpr std::size_t kPage = 512;

// A part of one file that damage is aimed at: [from, to) or whole pages.
struct Region {
    std::string file;
    std::string name;
    std::vector<std::pair<std::size_t, std::size_t>> spans;
};

std::uint32_t le16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

// The regions of the store's files: headers and bodies of tables and memo
// file; header, interior and leaf pages of the indexes (tag headers sit at
// fixed places in the files the program installs).
std::vector<Region> regions_of(const std::map<std::string, std::string>& files) {
    std::vector<Region> regions;
    for (const char* table : {"Keys.dbf", "Text.dbf"}) {
        const std::string& b = files.at(table);
        const std::size_t header = le16(b, 8);
        regions.push_back({table, "header", {{0, header}}});
        regions.push_back({table, "records", {{header, b.size()}}});
    }
    regions.push_back({"Text.fpt", "header", {{0, kPage}}});
    regions.push_back({"Text.fpt", "blocks", {{kPage, files.at("Text.fpt").size()}}});
    for (const char* index : {"Keys.cdx", "Text.cdx"}) {
        const std::string& b = files.at(index);
        const std::size_t headerEnd = std::string(index) == "Keys.cdx" ? 4096 : 2560;
        Region header{index, "header", {}}, interior{index, "interior", {}},
            leaf{index, "leaf", {}};
        for (std::size_t page = 0; page + kPage <= b.size(); page += kPage) {
            const bool tagHeader = page < headerEnd && page != 1024 && page % 1536 != 1024;
            const std::uint32_t attributes = le16(b, page);
            Region& to = tagHeader ? header : attributes <= 1 ? interior : leaf;
            if (tagHeader || attributes <= 3) to.spans.emplace_back(page, page + kPage);
        }
        for (Region* r : {&header, &interior, &leaf})
            if (!r->spans.empty()) regions.push_back(*r);
    }
    return regions;
}

enum class Damage { Flip, Truncate, ZeroPage };

class DamagedFiles : public ::testing::TestWithParam<std::pair<const char*, int>> {
  protected:
    static void SetUpTestSuite() {
        testsupport::ProgramStory story;
        story.start();
        for (std::uint32_t i = 0; i < kDocuments; ++i)
            story.index(reliability::document_text(kSeed, i));
        app::close_main_window(story.p());
        for (const char* name : {"Keys.dbf", "Keys.cdx", "Text.dbf", "Text.cdx", "Text.fpt"})
            files_[name] = testsupport::read_file(story.folder.file(name));
    }

    // The store with one file damaged; what start-up and use make of it.
    void run_case(const Region& region, Damage damage, std::mt19937& random) {
        testsupport::ProgramStory story;
        std::string bytes = files_.at(region.file);
        const auto& span = region.spans[std::uniform_int_distribution<std::size_t>(
            0, region.spans.size() - 1)(random)];
        auto at = [&](std::size_t from, std::size_t to) {
            return std::uniform_int_distribution<std::size_t>(from, std::max(from, to - 1))(random);
        };
        std::string what;
        switch (damage) {
            case Damage::Flip:
                for (int n = std::uniform_int_distribution<int>(1, 4)(random); n > 0; --n) {
                    const std::size_t i = at(span.first, span.second);
                    const auto mask = std::uniform_int_distribution<int>(1, 255)(random);
                    bytes[i] = static_cast<char>(bytes[i] ^ mask);
                    what += " byte " + std::to_string(i) + " ^ " + std::to_string(mask);
                }
                break;
            case Damage::Truncate:
                bytes.resize(at(span.first, span.second));
                what = " cut at " + std::to_string(bytes.size());
                break;
            case Damage::ZeroPage: {
                const std::size_t page = at(span.first, span.second) / kPage * kPage;
                what = " page at " + std::to_string(page) + " zeroed";
                for (std::size_t i = page; i < std::min(bytes.size(), page + kPage); ++i)
                    bytes[i] = '\0';
                break;
            }
        }
        SCOPED_TRACE(region.file + what);
        for (const auto& [name, content] : files_)
            testsupport::write_file(story.folder.file(name), name == region.file ? bytes : content);

        if (!story.start()) {
            ++outcomes_["refused"];
            ASSERT_FALSE(story.platform.dialogs.boxes.empty());
            const std::string& shown = story.platform.dialogs.boxes.back().text;
            EXPECT_TRUE(shown == app::cannot_open_message(story.folder.file("Keys.dbf"), false) ||
                        shown == app::cannot_open_message(story.folder.file("Text.dbf"), true))
                << shown;
            EXPECT_EQ(region.file.find(".cdx"), std::string::npos)
                << "a damaged index refuses the table instead of being rebuilt";
            return;
        }
        ++outcomes_["opened"];
        app::Program& p = story.p();
        // Damage to an index's headers is found at open and the index rebuilt.
        // Damage inside its tree is not looked for there (a walk of every
        // page would cost start-up its speed on a large store); reindex
        // repairs it below.
        const bool index = region.file.find(".cdx") != std::string::npos;
        const bool insideTree = index && region.name != "header";
        if (index && !insideTree) expect_sound(p);
        // A memo's own damage shows in its text, and a flip in a table's
        // block number can name another memo's first block: the formats have
        // nothing to tell either from the real thing.
        const bool strict =
            region.file != "Text.fpt" && (region.file != "Text.dbf" || region.name == "header");
        const long before = xbase::d4recCountDo(p.text);
        expect_memos_their_own(p, strict, before);

        story.search("Document");
        const std::string fresh = reliability::document_text(kSeed + 1, 0);
        story.index(fresh);
        expect_memos_their_own(p, strict, before);
        ASSERT_EQ(xbase::d4recCountDo(p.text), before + 1);
        xbase::d4goTo(p.text, before + 1);
        EXPECT_EQ(
            store::memo_text(xbase::d4field(p.text, store::kTextField), story.platform.dialogs),
            fresh)
            << "the new document after damage to " << region.file;
        if (insideTree) {
            EXPECT_EQ(xbase::d4reindex(p.keys), 0);
            EXPECT_EQ(xbase::d4reindex(p.text), 0);
            expect_sound(p);
        }
    }

    static void expect_sound(app::Program& p) {
        EXPECT_EQ(reliability::check_table(p.keys), std::vector<std::string>{});
        EXPECT_EQ(reliability::check_table(p.text), std::vector<std::string>{});
    }

    // Each of the first `records` document records reads as empty or as its
    // own document's text: when strict exactly, else perhaps with a few bytes
    // changed, lost bytes read as zeros, or another length.
    static void expect_memos_their_own(app::Program& p, bool strict, long records) {
        xbase::Field4* memo = xbase::d4field(p.text, store::kTextField);
        xbase::d4tagSelect(p.text, nullptr);
        for (long recno = 1; recno <= std::min<long>(records, kDocuments); ++recno) {
            if (xbase::d4goTo(p.text, recno) != 0) continue;
            const long length = xbase::f4memoLenVB(memo);
            const std::string text(xbase::f4memoPtr(memo),
                                   static_cast<std::size_t>(std::max(0L, length)));
            xbase::code4errorCode(p.engine, 0);
            if (text.empty()) continue;
            const std::string own =
                reliability::document_text(kSeed, static_cast<std::uint32_t>(recno - 1));
            if (strict) {
                EXPECT_EQ(text, own) << "record " << recno;
                continue;
            }
            int differences = 0;
            for (std::size_t i = 0; i < std::min(text.size(), own.size()); ++i)
                differences += text[i] != own[i] && text[i] != '\0';
            EXPECT_LE(differences, 4)
                << "record " << recno << " reads another document's text: " << text.substr(0, 40);
        }
    }

    void run_all(const std::string& file, int perRegionAndDamage) {
        std::mt19937 random(std::hash<std::string>{}(file) % 100000);
        for (const Region& region : regions_of(files_)) {
            if (region.file != file) continue;
            for (Damage damage : {Damage::Flip, Damage::Truncate, Damage::ZeroPage}) {
                for (int i = 0; i < perRegionAndDamage; ++i) {
                    SCOPED_TRACE(region.file + " " + region.name + " damage " +
                                 std::to_string(static_cast<int>(damage)) + " case " +
                                 std::to_string(i));
                    run_case(region, damage, random);
                    if (HasFailure() && ++failedCases_ > 3) return;
                }
            }
        }
        std::cout << file << ": " << outcomes_["opened"] << " opened, " << outcomes_["refused"]
                  << " refused\n";
    }

    static inline std::map<std::string, std::string> files_;
    std::map<std::string, int> outcomes_;
    int failedCases_ = 0;
};

TEST_P(DamagedFiles, AreRefusedRebuiltOrReadSafely) {
    run_all(GetParam().first, GetParam().second);
}

// Named after the file: KeysDbf, TextDbf, TextFpt, KeysCdx, TextCdx.
INSTANTIATE_TEST_SUITE_P(Files, DamagedFiles,
                         ::testing::Values(std::pair{"Keys.dbf", 150}, std::pair{"Text.dbf", 150},
                                           std::pair{"Text.fpt", 150}, std::pair{"Keys.cdx", 60},
                                           std::pair{"Text.cdx", 60}),
                         [](const auto& info) {
                             std::string name = info.param.first;
                             name[name.find('.') + 1] &= ~0x20;  // upper case
                             return name.erase(name.find('.'), 1);
                         });

}  // namespace
