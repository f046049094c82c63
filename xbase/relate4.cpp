// Query relations over one table: the public relate4* calls, the relation's
// state (query, sort, plan, position) and the bridge from the iterators to
// the table.
//
// Design note. Invariants:
//  1. The plan and sort analysis are made on first use after the query or
//     the sort changed, and dropped with them; a started walk is dropped too.
//  2. While on a record, the table's current record is the relation's record.
//  3. With backward skipping enabled, every record handed out is kept in
//     order, so a backward move revisits exactly what a forward one gave.
//  4. No call lets an exception escape: each public entry catches and turns
//     it into rc::kMemory.
#include "xbase/relate4.h"

#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "xbase/code4.h"
#include "xbase/query_cursor.h"
#include "xbase/query_plan.h"
#include "xbase/return_codes.h"

namespace xbase {

namespace {

// The table as the iterators see it.
class RelationTable : public QueryTable {
  public:
    RelationTable(Data4& data, const Expression* query, const Expression* sort, int sortWidth)
        : data_(data), query_(query), sort_(sort), sortWidth_(sortWidth) {}

    std::uint32_t recordCount() override { return static_cast<std::uint32_t>(data_.recCount()); }
    bool matches(std::uint32_t recno) override {
        if (data_.go(static_cast<long>(recno)) != rc::kSuccess) return false;
        return query_ == nullptr || query_->evaluate(data_.recordSource()).logical;
    }
    std::string sortKey(std::uint32_t recno) override {
        if (sort_ == nullptr || data_.go(static_cast<long>(recno)) != rc::kSuccess) return {};
        return encodeKey(sort_->evaluate(data_.recordSource()), sortWidth_);
    }

  private:
    Data4& data_;
    const Expression* query_;
    const Expression* sort_;
    int sortWidth_;
};

}  // namespace

struct Relate4 {
    explicit Relate4(Data4& table) : data(table) {}

    Data4& data;
    std::unique_ptr<Expression> query;  // null: every record
    short queryError = 0;               // the query that was set did not compile
    std::unique_ptr<Expression> sort;   // null: record-number order
    short sortError = 0;
    bool backwards = false;
    CursorTuning tuning;

    // Derived on first use (invariant 1).
    std::optional<std::vector<PlanTag>> tags;
    std::optional<QueryPlan> plan;
    std::optional<SortPlan> sortPlan;
    std::unique_ptr<RelationTable> table;
    std::unique_ptr<QueryCursor> cursor;

    // Position: the records handed out (all of them with backward skipping,
    // else only the current one) and where the relation stands among them.
    std::vector<std::uint32_t> seen;
    std::size_t position = 0;  // index into seen of the current record
    bool started = false;
    bool atEnd = false;  // past the last matching record

    void dropWalk() {
        cursor.reset();
        table.reset();
        seen.clear();
        position = 0;
        started = false;
        atEnd = false;
    }

    const std::vector<PlanTag>& planTags() {
        if (!tags) {
            tags.emplace();
            for (const Data4::TagRef& ref : data.tagRefs()) {
                if (ref.tag == nullptr || ref.key == nullptr || ref.forExpr != nullptr ||
                    ref.tag->unique()) {
                    continue;
                }
                tags->push_back({ref.tag, ref.key, normalizeExprText(ref.key->source())});
            }
        }
        return *tags;
    }

    const QueryPlan& queryPlan() {
        if (!plan) {
            plan = query ? planQuery(*query, planTags(), data.recordSource()) : QueryPlan{};
        }
        return *plan;
    }

    const SortPlan& orderPlan() {
        if (!sortPlan) sortPlan = planSort(sort.get(), planTags(), data.recordSource());
        return *sortPlan;
    }

    short error(short code, const std::string& text) {
        data.reportError(code, text);
        return code;
    }

    // Compiles text into target; an error is reported and kept in errorOut.
    short compile(const char* text, bool logical, std::unique_ptr<Expression>& target,
                  short& errorOut, const char* what) {
        dropWalk();
        plan.reset();
        sortPlan.reset();
        target.reset();
        errorOut = rc::kSuccess;
        if (text == nullptr || *text == '\0') return rc::kSuccess;
        short code = rc::kSuccess;
        std::unique_ptr<Expression> expr = Expression::compile(text, data.recordSource(), code);
        if (expr && logical && expr->type() != ValueType::Logical) code = rc::kExprType;
        if (!expr || code != rc::kSuccess) {
            if (code == rc::kSuccess) code = rc::kExprSyntax;
            errorOut = code;
            return error(code, std::string(what) + ": " + text);
        }
        target = std::move(expr);
        return rc::kSuccess;
    }

    // Hands out the next record of the walk; 0 or rc::kEof.
    short forward() {
        if (backwards && started && !atEnd && position + 1 < seen.size()) {
            ++position;
            return data.go(static_cast<long>(seen[position]));
        }
        if (atEnd) return rc::kEof;
        const std::uint32_t recno = cursor->next();
        if (recno == 0) {
            atEnd = true;
            data.go(data.recCount() + 1);
            return rc::kEof;
        }
        if (!backwards) seen.clear();
        seen.push_back(recno);
        position = seen.size() - 1;
        started = true;
        return rc::kSuccess;
    }

    // Steps back one handed-out record; rc::kBof before the first.
    short backward() {
        if (seen.empty()) return rc::kBof;
        if (atEnd) {
            atEnd = false;
            position = seen.size() - 1;
            return data.go(static_cast<long>(seen[position]));
        }
        if (position == 0) {
            data.go(static_cast<long>(seen[0]));
            return rc::kBof;
        }
        --position;
        return data.go(static_cast<long>(seen[position]));
    }

    short start() {
        dropWalk();
        if (queryError != rc::kSuccess) return queryError;
        if (sortError != rc::kSuccess) return sortError;
        const SortPlan& order = orderPlan();
        table = std::make_unique<RelationTable>(data, query.get(), sort.get(), order.sortWidth);
        cursor = std::make_unique<QueryCursor>(*table, planTags(), queryPlan(), order, tuning);
        return rc::kSuccess;
    }
};

namespace {

// Runs body, turning an escaping exception into rc::kMemory.
template <typename Body>
short guarded(Relate4* relation, Body body) {
    if (relation == nullptr) return rc::kParameter;
    try {
        return body(*relation);
    } catch (...) {
        return relation->error(rc::kMemory, "Query relation: out of memory");
    }
}

}  // namespace

Relate4* relate4init(Data4* table) {
    if (table == nullptr) return nullptr;
    return new (std::nothrow) Relate4(*table);
}

short relate4querySet(Relate4* relation, const char* expression) {
    return guarded(relation, [&](Relate4& r) {
        return r.compile(expression, true, r.query, r.queryError, "Query expression");
    });
}

short relate4sortSet(Relate4* relation, const char* expression) {
    return guarded(relation, [&](Relate4& r) {
        return r.compile(expression, false, r.sort, r.sortError, "Sort expression");
    });
}

short relate4optimizeable(Relate4* relation) {
    const short result = guarded(relation, [](Relate4& r) -> short {
        if (r.queryError != rc::kSuccess || !r.query) return 0;
        return r.queryPlan().optimized ? 1 : 0;
    });
    return result > 0 ? result : 0;
}

short relate4skipEnableVB(Relate4* relation, short flag) {
    return guarded(relation, [&](Relate4& r) -> short {
        r.backwards = flag != 0;
        r.dropWalk();
        return rc::kSuccess;
    });
}

short relate4top(Relate4* relation) {
    return guarded(relation, [](Relate4& r) {
        const short code = r.start();
        return code != rc::kSuccess ? code : r.forward();
    });
}

short relate4skip(Relate4* relation, long n) {
    return guarded(relation, [&](Relate4& r) -> short {
        if (n < 0 && !r.backwards) {
            return r.error(rc::kRelate, "Query relation: backward skip not enabled");
        }
        if (n == 0) return r.started && !r.atEnd ? rc::kSuccess : rc::kEof;
        if (!r.cursor) {
            const short code = r.start();
            if (code != rc::kSuccess) return code;
        }
        short code = rc::kSuccess;
        for (long i = 0; i < n && code == rc::kSuccess; ++i)
            code = r.forward();
        for (long i = 0; i > n && code == rc::kSuccess; --i)
            code = r.backward();
        return code;
    });
}

short relate4tune(Relate4* relation, const CursorTuning& tuning) {
    return guarded(relation, [&](Relate4& r) -> short {
        r.tuning = tuning;
        r.dropWalk();
        return rc::kSuccess;
    });
}

Strategy relate4strategy(Relate4* relation) {
    return relation != nullptr && relation->cursor ? relation->cursor->strategy() : Strategy::Empty;
}

short relate4freeVB(Relate4* relation, short closeFiles) {
    if (relation == nullptr) return rc::kParameter;
    Data4& data = relation->data;
    delete relation;
    return closeFiles != 0 ? data.code4().close(&data) : rc::kSuccess;
}

}  // namespace xbase
