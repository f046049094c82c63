// Helpers for the CDX tests: whole-file reads as bytes, and an independent
// reader of the on-disk format that walks a tag's tree and reports every rule
// a page breaks (so tests check the bytes, not just what the engine reads back).
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/xbase/table_test_util.h"
#include "xbase/cdx_index.h"

namespace cdxtest {

using xbase_test::TempDir;

inline std::vector<unsigned char> readFile(const std::string& path) {
    const std::string bytes = xbase_test::readFile(path);
    return {bytes.begin(), bytes.end()};
}

inline void writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    xbase_test::writeFile(path, std::string(bytes.begin(), bytes.end()));
}

using EntryList = std::vector<std::pair<std::string, std::uint32_t>>;

// Rebuilds tag from these entries, sorting them within budget bytes.
inline short rebuildFrom(xbase::CdxTag& tag, const EntryList& entries,
                         std::size_t budget = xbase::CdxTag::kSortBudget) {
    return tag.rebuild(
        [&](const xbase::CdxTag::EntrySink& add) {
            for (const auto& [key, recno] : entries) {
                if (short e = add(key, recno)) return e;
            }
            return short{0};
        },
        budget);
}

struct Entry {
    std::string key;
    std::uint32_t recno = 0;
    auto operator<=>(const Entry&) const = default;
};

// A tag keyed on its own name.
inline xbase::CdxTagSpec tagSpec(const std::string& name, int keyLength, char filler = ' ',
                                 bool unique = false) {
    return {name, name, "", keyLength, filler, unique};
}

inline std::string padded(std::string text, std::size_t length) {
    text.resize(length, ' ');
    return text;
}

// 1 to maxLength letters of the first `letters` of the alphabet, so keys
// share prefixes and repeat; blank-padded to width when it is not 0.
inline std::string randomWord(std::mt19937& rng, int maxLength, int letters = 4, int width = 0) {
    std::uniform_int_distribution<int> length(1, maxLength), letter(0, letters - 1);
    std::string word(static_cast<std::size_t>(length(rng)), 'A');
    for (char& c : word)
        c = static_cast<char>('A' + letter(rng));
    return width > 0 ? padded(word, static_cast<std::size_t>(width)) : word;
}

// Every entry of tag, walked forwards by a cursor.
inline std::vector<Entry> walkForward(xbase::CdxTag& tag) {
    std::vector<Entry> out;
    xbase::CdxCursor c(tag);
    for (bool ok = c.first(); ok; ok = c.next())
        out.push_back({std::string(c.key()), c.recNo()});
    EXPECT_EQ(c.error(), 0);
    return out;
}

struct TagReport {
    std::vector<Entry> entries;  // in leaf order
    std::vector<std::string> problems;
    int depth = 0;  // levels, 1 for a lone root leaf
};

// Reads the tag whose header is at headerOffset. With writerRules the pages
// must also follow the choices compatible writers make (widths, exact dup
// and trail counts), which our engine promises; foreign files are read with
// the reader rules only.
class TagReader {
  public:
    TagReader(const std::vector<unsigned char>& file, char filler, bool writerRules)
        : f_(file), filler_(filler), strict_(writerRules) {}

    TagReport read(std::uint32_t headerOffset) {
        report_ = {};
        if (headerOffset + 1024 > f_.size()) return fail("tag header outside the file");
        keyLength_ = u16(headerOffset + 12);
        if (keyLength_ < 1 || keyLength_ > 240) return fail("key length out of range");
        std::uint32_t root = u32(headerOffset);
        std::vector<std::vector<std::uint32_t>> levels;
        Entry last;
        walk(root, 0, true, levels, last);
        for (std::size_t d = 0; d < levels.size(); ++d)
            checkLinks(levels[d], d);
        report_.depth = static_cast<int>(levels.size());
        for (std::size_t i = 1; i < report_.entries.size(); ++i) {
            if (!(report_.entries[i - 1] < report_.entries[i])) problem("entries out of order");
        }
        return report_;
    }

  private:
    TagReport fail(const std::string& what) {
        problem(what);
        return report_;
    }
    void problem(const std::string& what) {
        if (report_.problems.size() < 20) report_.problems.push_back(what);
    }
    bool inFile(std::uint32_t off) const {
        return off % 512 == 0 && off >= 1024 && std::uint64_t{off} + 512 <= f_.size();
    }
    unsigned u16(std::size_t at) const { return f_[at] | (f_[at + 1] << 8); }
    std::uint32_t u32(std::size_t at) const {
        return f_[at] | (f_[at + 1] << 8) | (f_[at + 2] << 16) | (std::uint32_t{f_[at + 3]} << 24);
    }
    std::uint32_t be32(std::size_t at) const {
        return (std::uint32_t{f_[at]} << 24) | (f_[at + 1] << 16) | (f_[at + 2] << 8) | f_[at + 3];
    }

    void walk(std::uint32_t off, std::size_t depth, bool isRoot,
              std::vector<std::vector<std::uint32_t>>& levels, Entry& last) {
        if (depth > 32 || !inFile(off) || !seen_.insert(off).second) {
            problem("bad or repeated child pointer " + std::to_string(off));
            return;
        }
        if (levels.size() <= depth) levels.resize(depth + 1);
        levels[depth].push_back(off);
        unsigned attr = u16(off);
        if (((attr & 1) != 0) != isRoot) problem("root bit wrong at " + std::to_string(off));
        if (attr > 3) return problem("attributes out of range");
        if (attr & 2) {
            if (leafDepth_ >= 0 && leafDepth_ != static_cast<int>(depth)) {
                problem("leaves on different levels");
            }
            leafDepth_ = static_cast<int>(depth);
            readLeaf(off, last);
            return;
        }
        const int n = static_cast<int>(u16(off + 2));
        const int width = keyLength_ + 8;
        if (n < 1 || n > 500 / width) return problem("interior key count out of range");
        for (int i = 0; i < n; ++i) {
            std::size_t e = off + 12 + static_cast<std::size_t>(i * width);
            Entry expected{std::string(f_.begin() + e, f_.begin() + e + keyLength_),
                           be32(e + keyLength_)};
            Entry childLast;
            walk(be32(e + keyLength_ + 4), depth + 1, false, levels, childLast);
            if (childLast != expected) problem("interior entry is not its child's last entry");
            last = expected;
        }
    }

    void readLeaf(std::uint32_t off, Entry& last) {
        const unsigned char* p = f_.data() + off;
        const int n = static_cast<int>(u16(off + 2));
        const int rb = p[20], db = p[21], tb = p[22], eb = p[23];
        if (rb + db + tb != 8 * eb || eb < 1 || eb > 8 || n * eb > 488) {
            return problem("leaf widths or count out of range");
        }
        if (u32(off + 14) != static_cast<std::uint32_t>((std::uint64_t{1} << rb) - 1) ||
            p[18] != (1u << db) - 1 || p[19] != (1u << tb) - 1) {
            problem("leaf masks do not match the bit counts");
        }
        const int bits = std::bit_width(static_cast<unsigned>(keyLength_));
        std::uint32_t maxRecno = 0;
        std::string prev;
        int prevTrail = 0;
        int pos = 512;
        for (int i = 0; i < n; ++i) {
            std::uint64_t v = 0;
            for (int b = eb - 1; b >= 0; --b)
                v = (v << 8) | p[24 + i * eb + b];
            std::uint32_t recno = static_cast<std::uint32_t>(v & ((std::uint64_t{1} << rb) - 1));
            int dup = static_cast<int>((v >> rb) & ((1u << db) - 1));
            int trail = static_cast<int>((v >> (rb + db)) & ((1u << tb) - 1));
            if (i == 0) dup = 0;
            if (dup + trail > keyLength_) return problem("dup + trail longer than the key");
            int fragment = keyLength_ - dup - trail;
            pos -= fragment;
            if (pos < 24 + n * eb) return problem("fragments run into the entries");
            std::string key = prev.substr(0, static_cast<std::size_t>(dup)) +
                              std::string(reinterpret_cast<const char*>(p + pos),
                                          static_cast<std::size_t>(fragment)) +
                              std::string(static_cast<std::size_t>(trail), filler_);
            if (strict_) {
                int realTrail = 0;
                while (realTrail < keyLength_ && key[keyLength_ - 1 - realTrail] == filler_) {
                    ++realTrail;
                }
                if (realTrail != trail) problem("trail count is not the filler count");
                if (i > 0) {
                    int cap = keyLength_ - std::max(prevTrail, trail);
                    int common = 0;
                    while (common < cap && prev[common] == key[common])
                        ++common;
                    if (dup != common) problem("dup count is not the capped common prefix");
                }
            }
            maxRecno = std::max(maxRecno, recno);
            report_.entries.push_back({key, recno});
            prev = key;
            prevTrail = trail;
        }
        if (static_cast<int>(u16(off + 12)) != pos - (24 + n * eb))
            problem("free byte count wrong");
        if (strict_) {
            int need = std::bit_width(maxRecno);
            bool widthsOk = db == bits && tb == bits && rb == 8 * eb - 2 * bits && eb >= 3 &&
                            rb >= need && (eb == 3 || 8 * (eb - 1) - 2 * bits < need);
            if (!widthsOk) problem("leaf widths are not the compatible writers' choice");
        }
        if (n > 0) last = report_.entries.back();
    }

    void checkLinks(const std::vector<std::uint32_t>& level, std::size_t depth) {
        for (std::size_t i = 0; i < level.size(); ++i) {
            std::uint32_t left = u32(level[i] + 4);
            std::uint32_t right = u32(level[i] + 8);
            std::uint32_t wantLeft = i == 0 ? 0xFFFFFFFFu : level[i - 1];
            std::uint32_t wantRight = i + 1 == level.size() ? 0xFFFFFFFFu : level[i + 1];
            if (left != wantLeft || right != wantRight) {
                problem("sibling links wrong on level " + std::to_string(depth));
            }
        }
    }

    const std::vector<unsigned char>& f_;
    char filler_;
    bool strict_;
    int keyLength_ = 0;
    int leafDepth_ = -1;
    std::set<std::uint32_t> seen_;
    TagReport report_;
};

// The tag header offset of each directory name (names without padding).
inline std::vector<std::pair<std::string, std::uint32_t>> directory(
    const std::vector<unsigned char>& file, bool writerRules) {
    std::vector<std::pair<std::string, std::uint32_t>> out;
    for (const Entry& e : TagReader(file, ' ', writerRules).read(0).entries) {
        out.emplace_back(e.key.substr(0, e.key.find_last_not_of(' ') + 1), e.recno);
    }
    return out;
}

}  // namespace cdxtest
