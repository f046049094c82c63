// Fuzz target: a search string and a drawer name (split at the first line
// feed) through the search's parse, duplicate check and query text. Any
// query text built must parse and run over the keyword table: no search
// string or drawer name may break the query expression, nor any way of
// walking its answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/sample_store.h"
#include "search/search_parse.h"
#include "xbase/d4.h"
#include "xbase/relate4.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\n');
    const std::string text = input.substr(0, split);
    const std::string drawer = split == std::string::npos ? "" : input.substr(split + 1);

    const search::ParsedSearch parsed = search::parse_search_string(text);
    if (parsed.keywords.empty()) return 0;
    search::has_duplicate_keywords(parsed.keywords);
    search::QueryOptions options;
    options.drawer = search::search_drawer(drawer, 10);
    options.topOnly = !text.empty() && (text[0] & 1);
    options.headerSize = static_cast<std::int16_t>(size);
    const auto query = search::build_query_expression(parsed.keywords, options);
    search::required_count(parsed.keywords.size(), size % 2 == 0);
    if (!query) return 0;

    fuzzing::put_sample_store(false);
    xbase::Code4* code = xbase::d4init_v();
    xbase::code4errOff(code, 1);
    xbase::Data4* keys = xbase::d4open(code, "Keys.dbf");
    xbase::Relate4* relation = xbase::relate4init(keys);
    if (xbase::relate4querySet(relation, query->c_str()) != 0) std::abort();
    xbase::relate4sortSet(relation, "ITEMS");
    xbase::relate4skipEnableVB(relation, -1);
    // Steps as the search takes them: one record on, past a group, past
    // groups too small to qualify.
    long step = 0;
    for (short rc = xbase::relate4top(relation); rc == 0; ++step) {
        rc = step % 4 == 3   ? xbase::relate4skipSmallGroups(relation, 2 + step % 3)
             : step % 4 == 2 ? xbase::relate4skipGroup(relation)
                             : xbase::relate4skip(relation, 1);
    }
    xbase::relate4freeVB(relation, 0);
    xbase::d4initUndo(code);
    return 0;
}
