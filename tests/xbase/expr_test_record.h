// A record source for expression tests: a field list over one record buffer,
// laid out as a DBF record would be (deletion byte, then the fields).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "xbase/expr.h"

namespace xbase::test {

class TestRecord : public RecordSource {
  public:
    explicit TestRecord(std::vector<FieldDesc> fields) : fields_(std::move(fields)) {
        std::size_t size = 1;
        for (const FieldDesc& f : fields_) {
            offsets_.push_back(size);
            size += static_cast<std::size_t>(f.length);
        }
        buffer_.assign(size, ' ');
        memos_.resize(fields_.size());
    }

    // The keyword table's layout plus one field of every other type.
    static TestRecord keysTable() {
        return TestRecord({{"KEYS", 'C', 10, 0},
                           {"ITEMS", 'N', 10, 0},
                           {"ORDER", 'N', 6, 0},
                           {"FILTER", 'C', 10, 0},
                           {"DATE", 'D', 8, 0},
                           {"FLAG", 'L', 1, 0},
                           {"NOTE", 'M', 10, 0},
                           {"PRICE", 'F', 8, 2}});
    }

    // Stores text as the field holds it: C left-aligned, N and F right-aligned
    // (both blank-padded); D and L as given. Memo: the memo's text.
    void set(std::string_view name, std::string_view text) {
        const int i = findField(name);
        const FieldDesc& f = fields_[static_cast<std::size_t>(i)];
        if (f.type == 'M') {
            memos_[static_cast<std::size_t>(i)] = std::string(text);
            return;
        }
        std::string value(text.substr(0, static_cast<std::size_t>(f.length)));
        const std::size_t pad = static_cast<std::size_t>(f.length) - value.size();
        value = (f.type == 'N' || f.type == 'F') ? std::string(pad, ' ') + value
                                                 : value + std::string(pad, ' ');
        buffer_.replace(offsets_[static_cast<std::size_t>(i)], value.size(), value);
    }
    void setRecNo(long recNo) { recNo_ = recNo; }
    void setDeleted(bool deleted) { buffer_[0] = deleted ? '*' : ' '; }

    int fieldCount() const override { return static_cast<int>(fields_.size()); }
    const FieldDesc& field(int index) const override {
        return fields_[static_cast<std::size_t>(index)];
    }
    int findField(std::string_view name) const override {
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (upperCp1252(name) == fields_[i].name) return static_cast<int>(i);
        }
        return -1;
    }
    std::string_view fieldBytes(int index) const override {
        const auto i = static_cast<std::size_t>(index);
        return std::string_view(buffer_).substr(offsets_[i],
                                                static_cast<std::size_t>(fields_[i].length));
    }
    std::string memoText(int index) const override {
        return memos_[static_cast<std::size_t>(index)];
    }
    long recNo() const override { return recNo_; }
    bool deleted() const override { return buffer_[0] == '*'; }

  private:
    std::vector<FieldDesc> fields_;
    std::vector<std::size_t> offsets_;
    std::string buffer_;
    std::vector<std::string> memos_;
    long recNo_ = 1;
};

// The error code of compiling text against src; 0 when it compiles.
inline short compileError(std::string_view text, const RecordSource& src) {
    short error = 0;
    auto expr = Expression::compile(text, src, error);
    return expr == nullptr && error == 0 ? -1 : error;  // -1: failure without a code
}

// Compiles and evaluates text on the current record; a failure to compile is a
// test failure and gives a default Value.
inline Value evalExpr(std::string_view text, const RecordSource& src) {
    short error = 0;
    auto expr = Expression::compile(text, src, error);
    if (expr == nullptr) {
        ADD_FAILURE() << "does not compile (" << error << "): " << text;
        return Value{};
    }
    return expr->evaluate(src);
}

}  // namespace xbase::test
