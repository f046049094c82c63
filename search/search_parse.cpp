// The pure steps of a search: keywords, duplicates, drawer, query text and
// required count.
#include "search/search_parse.h"

#include <algorithm>

#include "app/settings.h"
#include "ui/frm_main.h"
#include "xbase/expr.h"

namespace search {

namespace {

constexpr std::size_t kKeyWidth = static_cast<std::size_t>(ui::kKeyWidth);
constexpr std::string_view kTermStart = "UPPER(Keys) + STR(Items) = '";

std::string without_leading_blanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

// One word of the search string as its keyword.
std::string keyword_of(std::string word) {
    if (!word.empty() && (word.back() == ',' || word.back() == '.')) word.pop_back();
    if (!word.empty() && word.back() == '*') {
        word.pop_back();
    } else {
        word += ' ';
    }
    std::replace(word.begin(), word.end(), '\'', ' ');
    if (word.size() > kKeyWidth) word.resize(kKeyWidth);
    return word;
}

// text between delimiters it does not contain, or nullopt.
std::optional<std::string> quoted_literal(const std::string& text) {
    if (text.find('\'') == std::string::npos) return "'" + text + "'";
    if (text.find('"') == std::string::npos) return "\"" + text + "\"";
    if (text.find(']') == std::string::npos) return "[" + text + "]";
    return std::nullopt;
}

// The text with each NUL byte made a blank: the query text reaches the
// engine as a C string, which a NUL would cut short.
std::string nul_as_blank(std::string_view text) {
    std::string s(text);
    std::replace(s.begin(), s.end(), '\0', ' ');
    return s;
}

}  // namespace

ParsedSearch parse_search_string(std::string_view text) {
    std::string s = app::trim_blanks(nul_as_blank(text));
    if (!s.empty() && s.back() == '.') s.pop_back();
    s = app::trim_blanks(s) + ' ';

    ParsedSearch parsed;
    for (std::size_t p = s.find(' '); p != std::string::npos; p = s.find(' ')) {
        if (parsed.keywords.size() == kMaxKeywords) return ParsedSearch{{}, true};
        parsed.keywords.push_back(keyword_of(s.substr(0, p)));
        s = without_leading_blanks(std::string_view(s).substr(p + 1));
    }
    return parsed;
}

bool has_duplicate_keywords(const std::vector<std::string>& keywords) {
    for (std::size_t i = 0; i < keywords.size(); ++i) {
        const std::string word = xbase::upperCp1252(app::trim_blanks(keywords[i]));
        for (std::size_t j = 0; j < keywords.size(); ++j) {
            if (j == i) continue;
            const std::string other = xbase::upperCp1252(keywords[j]);
            if (other.find(word) != std::string::npos && other.substr(0, 3) == word.substr(0, 3))
                return true;
        }
    }
    return false;
}

std::string search_drawer(std::string_view comboText, std::size_t filterWidth) {
    std::string drawer = xbase::upperCp1252(app::trim_blanks(nul_as_blank(comboText)));
    if (drawer == "NONE") return {};
    if (drawer.size() > filterWidth) drawer.resize(filterWidth);
    return drawer;
}

std::optional<std::string> build_query_expression(const std::vector<std::string>& keywords,
                                                  const QueryOptions& options) {
    std::string condition;
    const std::string headerSize = std::to_string(options.headerSize);
    if (!options.drawer.empty()) {
        std::optional<std::string> drawer = quoted_literal(options.drawer);
        if (!drawer) return std::nullopt;
        condition = " .AND. UPPER(Filter) = " + *drawer;
        // With a drawer the header size stands two blanks after "<", as the
        // query has always been shown.
        if (options.topOnly) condition += " .AND. Order <  " + headerSize;
    } else if (options.topOnly) {
        condition = " .AND. Order < " + headerSize;
    }

    constexpr std::string_view kOr = " .OR. ";
    std::string query;
    query.reserve(keywords.size() *
                  (kOr.size() + kTermStart.size() + kKeyWidth + 1 + condition.size()));
    for (const std::string& keyword : keywords) {
        if (!query.empty()) query += kOr;
        query += kTermStart;
        query += xbase::upperCp1252(keyword);
        query += '\'';
        query += condition;
    }
    return query;
}

int required_count(std::size_t keywordCount, bool highTolerance) {
    const int count = static_cast<int>(keywordCount) - (highTolerance ? 1 : 0);
    return std::max(count, 1);
}

}  // namespace search
