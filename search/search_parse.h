// The pure steps of a search: the search string split into keywords, the
// duplicate and overlap check, the drawer in force, the query expression and
// the number of matching keyword records a document needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace search {

// The keyword list has room for this many keywords.
inline constexpr std::size_t kMaxKeywords = 20;

struct ParsedSearch {
    // The keywords in the order they stand, case kept: a whole word with one
    // trailing blank, a prefix (its "*" removed) without, each cut to the key
    // width. Empty when the string has too many words.
    std::vector<std::string> keywords;
    bool tooMany = false;  // more than kMaxKeywords words
};

// Splits a search string at its blanks. One trailing period of the string
// and one trailing comma or period of each word are dropped, a trailing "*"
// makes a prefix, apostrophes (and NUL bytes, which no query text can hold)
// become blanks, and keywords are cut to the key width. A non-empty string
// gives at least one keyword.
ParsedSearch parse_search_string(std::string_view text);

// True when some keyword, trimmed, lies inside another (its trailing blank
// included) and both begin with the same three characters, case ignored:
// "cat cat" and "friend* friendship" are refused, "the other" and "to to"
// pass.
bool has_duplicate_keywords(const std::vector<std::string>& keywords);

// The drawer a search is limited to: the drawer box text (NUL bytes made
// blanks) trimmed, upper-cased and cut to filterWidth (the width of the
// stored drawer). Empty when the box holds no drawer: an empty text or "NONE"
// in any case.
std::string search_drawer(std::string_view comboText, std::size_t filterWidth);

struct QueryOptions {
    std::string drawer;  // as search_drawer gives it; empty for none
    bool topOnly = false;
    std::int16_t headerSize = 25;
};

// The query over the keyword table: one term per keyword joined by .OR.,
// each "UPPER(Keys) + STR(Items) = '<KEYWORD>'", followed by the drawer and
// header conditions the options ask for. The drawer is quoted with a
// delimiter it does not contain (' then " then [ ]); nullopt when it
// contains all three and so cannot be written as a literal.
std::optional<std::string> build_query_expression(const std::vector<std::string>& keywords,
                                                  const QueryOptions& options);

// Matching keyword records a document needs: one per keyword, one fewer
// with high tolerance, never less than one.
int required_count(std::size_t keywordCount, bool highTolerance);

}  // namespace search
