// Tables for the engine API tests: the program's Keys and Text layouts made
// through d4create, and small helpers to fill and read them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "table_test_util.h"
#include "xbase/d4.h"
#include "xbase/expr.h"

namespace xbase_test {

inline std::vector<xbase::Field4info> keysFields() {
    return {
        {"KEYS", 'C', 10, 0}, {"ITEMS", 'N', 10, 0}, {"ORDER", 'N', 6, 0}, {"FILTER", 'C', 10, 0}};
}

inline std::vector<xbase::Tag4info> keysTags() {
    return {{"KEYITEMS", "UPPER(KEYS)+STR(ITEMS)", "", false}, {"ITEMS", "ITEMS", "", false}};
}

inline xbase::Data4* createKeys(xbase::Code4* code, const std::string& path) {
    return xbase::d4create(code, path.c_str(), keysFields(), keysTags());
}

inline xbase::Data4* createText(xbase::Code4* code, const std::string& path) {
    return xbase::d4create(code, path.c_str(),
                           {{"ITEMS", 'N', 10, 0}, {"TEXT", 'M', 10, 0}, {"DATE", 'D', 8, 0}},
                           {{"ITEMS", "ITEMS", "", false}});
}

inline short assign(xbase::Data4* data, const char* field, const std::string& text) {
    return xbase::f4assignNVB(xbase::d4field(data, field), text.c_str(),
                              static_cast<short>(text.size()));
}

inline std::string fieldText(xbase::Data4* data, const char* field) {
    xbase::Field4* f = xbase::d4field(data, field);
    return f ? std::string(xbase::f4ptr(f), static_cast<std::size_t>(xbase::f4len_v(f)))
             : std::string();
}

inline std::string memoText(xbase::Data4* data, const char* field) {
    xbase::Field4* f = xbase::d4field(data, field);
    return std::string(xbase::f4memoPtr(f), static_cast<std::size_t>(xbase::f4memoLenVB(f)));
}

// Appends a keyword record as the program's Create Index does.
inline short appendKey(xbase::Data4* keys, const std::string& word, long items, long order,
                       const std::string& filter = "") {
    short r = xbase::d4appendStartVB(keys, 0);
    if (r != 0) return r;
    assign(keys, "KEYS", word);
    assign(keys, "ITEMS", std::to_string(items));
    assign(keys, "ORDER", std::to_string(order));
    if (!filter.empty()) assign(keys, "FILTER", filter);
    return xbase::d4append(keys);
}

inline short appendText(xbase::Data4* text, long items, const std::string& body,
                        const std::string& date = "20240315") {
    short r = xbase::d4appendStartVB(text, 0);
    if (r != 0) return r;
    assign(text, "ITEMS", std::to_string(items));
    xbase::f4memoAssign(xbase::d4field(text, "TEXT"), body.c_str());
    xbase::f4memoAssign(xbase::d4field(text, "DATE"), date.c_str());
    return xbase::d4append(text);
}

// The KEYITEMS key of a keyword record, as the tag stores it.
inline std::string keyItems(const std::string& word, long items) {
    std::string key = xbase::upperCp1252(word);
    key.resize(10, ' ');
    char num[16];
    std::snprintf(num, sizeof num, "%10ld", items);
    return key + num;
}

// Appends keyword records w<i> with ITEMS and ORDER i, for i from first to last.
inline void appendWords(xbase::Data4* keys, int first, int last) {
    for (int i = first; i <= last; ++i)
        ASSERT_EQ(appendKey(keys, "w" + std::to_string(i), i, i), 0) << i;
}

// A call's result and the record it leaves current.
using At = std::pair<short, long>;
inline At at(xbase::Data4* data, short result) {
    return {result, xbase::d4recNo(data)};
}

// Selects the tag (nullptr: record order) and seeks text in it.
inline At seekIn(xbase::Data4* data, const char* tag, const std::string& text) {
    EXPECT_EQ(xbase::d4tagSelect(data, tag ? xbase::d4tag(data, tag) : nullptr), 0) << tag;
    return at(data, xbase::d4seek(data, text.c_str()));
}

// An engine handle released at the end of the test.
class Engine {
  public:
    Engine() : code_(xbase::d4init_v()) {}
    ~Engine() { xbase::d4initUndo(code_); }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    xbase::Code4* operator->() const { return code_; }
    operator xbase::Code4*() const { return code_; }

  private:
    xbase::Code4* code_;
};

// A fresh folder, an engine, and an empty Keys table in it.
struct KeysStore {
    TempDir dir;
    Engine code;
    xbase::Data4* keys = createKeys(code, dir.file("Keys.dbf"));
};

}  // namespace xbase_test
