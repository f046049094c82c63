// Soundness checks of tables and documents, through the engine's own tags
// and expressions so that a check needs no second reading of the formats.
#include "tools/crash/store_check.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "store/names.h"
#include "tools/crash/documents.h"
#include "xbase/cdx_index.h"
#include "xbase/d4.h"
#include "xbase/data4.h"
#include "xbase/expr.h"

namespace reliability {
namespace {

using Entry = std::pair<std::string, std::uint32_t>;

std::string describe(const Entry& entry) {
    std::string text;
    for (char c : entry.first) {
        if (static_cast<unsigned char>(c) >= 32 && c != 127) {
            text += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            text += hex;
        }
    }
    return "'" + text + "' of record " + std::to_string(entry.second);
}

std::vector<std::string> check_tag(xbase::Data4* table, const xbase::Data4::TagRef& ref) {
    std::vector<std::string> problems;
    const std::string name = ref.tag->name();
    std::vector<Entry> found;
    xbase::CdxCursor cursor(*ref.tag);
    for (bool more = cursor.first(); more; more = cursor.next())
        found.emplace_back(std::string(cursor.key()), cursor.recNo());
    if (cursor.error() != 0)
        problems.push_back("tag " + name + " stops at a damaged page after " +
                           std::to_string(found.size()) + " entries");
    if (!std::is_sorted(found.begin(), found.end()))
        problems.push_back("tag " + name + " holds its entries out of order");

    std::vector<Entry> expected;
    for (long recno = 1; recno <= table->recCount(); ++recno) {
        if (table->go(recno) != 0) {
            problems.push_back("record " + std::to_string(recno) + " cannot be read");
            continue;
        }
        const xbase::RecordSource& record = table->recordSource();
        if (ref.forExpr && !ref.forExpr->evaluate(record).logical) continue;
        expected.emplace_back(ref.key->key(record), static_cast<std::uint32_t>(recno));
    }
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    std::vector<Entry> missing, extra;
    std::set_difference(expected.begin(), expected.end(), found.begin(), found.end(),
                        std::back_inserter(missing));
    std::set_difference(found.begin(), found.end(), expected.begin(), expected.end(),
                        std::back_inserter(extra));
    if (!missing.empty())
        problems.push_back("tag " + name + " misses " + std::to_string(missing.size()) +
                           " keys, first " + describe(missing.front()));
    if (!extra.empty())
        problems.push_back("tag " + name + " holds " + std::to_string(extra.size()) +
                           " keys of no record, first " + describe(extra.front()));
    return problems;
}

// The seek text of the KeyItems tag for a key and a document number:
// UPPER(Keys) + STR(Items) at their widths.
std::string key_items_seek(const std::string& key, std::int32_t number, std::size_t keyWidth) {
    std::string seek = xbase::upperCp1252(key);
    seek.resize(keyWidth, ' ');
    char items[16];
    std::snprintf(items, sizeof items, "%10d", number);
    return seek + items;
}

}  // namespace

std::vector<std::string> check_table(xbase::Data4* table) {
    std::vector<std::string> problems;
    if (table == nullptr) return {"the table is not open"};
    for (const xbase::Data4::TagRef& ref : table->tagRefs()) {
        std::vector<std::string> more = check_tag(table, ref);
        problems.insert(problems.end(), more.begin(), more.end());
    }
    return problems;
}

std::vector<std::int32_t> document_numbers(xbase::Data4* text) {
    std::vector<std::int32_t> numbers;
    xbase::d4tagSelect(text, nullptr);
    xbase::Field4* items = xbase::d4field(text, store::kItemsField);
    for (short rc = xbase::d4top(text); rc == 0; rc = xbase::d4skip(text, 1))
        numbers.push_back(static_cast<std::int32_t>(xbase::f4long(items)));
    return numbers;
}

bool document_absent(xbase::Data4* text, std::int32_t number) {
    xbase::d4tagSelect(text, xbase::d4tag(text, store::kItemsTag));
    return xbase::d4seek(text, std::to_string(number).c_str()) != 0;
}

std::vector<std::string> check_document(xbase::Data4* keys, xbase::Data4* text, std::int32_t number,
                                        const std::string& expected, bool words) {
    const std::string which = "document " + std::to_string(number);
    xbase::d4tagSelect(text, xbase::d4tag(text, store::kItemsTag));
    if (xbase::d4seek(text, std::to_string(number).c_str()) != 0) return {which + " is missing"};
    xbase::Field4* memo = xbase::d4field(text, store::kTextField);
    const long length = xbase::f4memoLenVB(memo);
    const std::string stored(xbase::f4memoPtr(memo),
                             static_cast<std::size_t>(std::max(0L, length)));
    if (stored != expected)
        return {which + " holds " + std::to_string(stored.size()) + " characters, not its " +
                std::to_string(expected.size())};

    std::vector<std::string> problems;
    if (!words) return problems;
    xbase::d4tagSelect(keys, xbase::d4tag(keys, store::kKeyItemsTag));
    const auto keyWidth =
        static_cast<std::size_t>(xbase::f4len_v(xbase::d4field(keys, store::kKeysField)));
    for (const std::string& key : stored_keys(expected)) {
        if (xbase::d4seek(keys, key_items_seek(key, number, keyWidth).c_str()) != 0) {
            problems.push_back(which + " is not found by its word '" + key + "'");
            break;
        }
    }
    return problems;
}

}  // namespace reliability
