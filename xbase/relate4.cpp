// Query relations over one table: the public relate4* calls, the relation's
// state (query, sort, plan, position) and the bridge from the iterators to
// the table.
//
// Design note. Invariants:
//  1. The plan is made on first use after the query changed, and dropped
//     with it; the sort analysis, which reads the index, at each start after
//     the index was refreshed. A started walk is dropped with either.
//  2. While on a record, the table's current record is the relation's record.
//     Candidates are checked without moving the table: against their tag
//     entry's key when the query reads the record only through parts that
//     key holds, else against the record as the table holds it (a change
//     of the current record is written first).
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
    RelationTable(Data4& data, const std::vector<PlanTag>& tags, const Expression* query,
                  const Expression* sort, int sortWidth)
        : data_(data), query_(query), sort_(sort), sortWidth_(sortWidth) {
        tags_.reserve(tags.size());
        for (const PlanTag& tag : tags) {
            PerTag& t = tags_.emplace_back();
            t.tag = tag.tag;
            t.key = tag.key;
            t.keyLength = static_cast<std::size_t>(tag.tag->keyLength());
            t.keyFields = &tag.key->keyFields(tag.tag->keyLength(), data.recordLayout());
        }
    }

    std::uint32_t recordCount() override { return static_cast<std::uint32_t>(data_.recCount()); }
    bool matchesEvery() override {
        const Fixed& f = fixed();
        return f.fixed && f.result;
    }
    bool matches(const Candidate& c) override {
        if (const Fixed& f = fixed(); f.fixed) return f.result;
        const auto tag = static_cast<std::size_t>(c.tag);
        if (keyCurrent(c)) {
            if (const KeyBinding* binding = bindingOf(tag))
                return query_->holds(data_.recordLayout(), *binding, c.key);
        }
        const RecordSource* record = data_.peek(static_cast<long>(c.recno));
        return record != nullptr && query_->evaluate(*record).logical;
    }
    // Makes the candidate's record current, its fields read from its key
    // where the key holds them; 0 or the table's code.
    short place(const Candidate& c) {
        if (keyCurrent(c)) {
            const std::vector<KeyField>& fields = *tags_[static_cast<std::size_t>(c.tag)].keyFields;
            if (!fields.empty()) return data_.goFromKey(static_cast<long>(c.recno), fields, c.key);
        }
        return data_.go(static_cast<long>(c.recno));
    }

    std::string sortKey(std::uint32_t recno) override {
        const RecordSource* record = sort_ ? data_.peek(static_cast<long>(recno)) : nullptr;
        return record ? encodeKey(sort_->evaluate(*record), sortWidth_) : std::string();
    }

    // The key of an entry read before its tag last changed may be stale.
    bool keyCurrent(const Candidate& c) const override {
        if (c.tag < 0) return false;
        const PerTag& t = tags_[static_cast<std::size_t>(c.tag)];
        return c.key.size() == t.keyLength && c.keyChange == t.tag->changeCount();
    }

  private:
    // Whether the query gives one answer for every record, and which; worked
    // out when first asked: a walk an index answers alone may never ask.
    struct Fixed {
        bool fixed = false;
        bool result = true;
    };
    const Fixed& fixed() {
        if (!fixed_) {
            const RecordSource& layout = data_.recordLayout();
            Fixed f;
            f.fixed = query_ == nullptr || !query_->varies(layout);
            if (f.fixed) f.result = query_ == nullptr || query_->evaluate(layout).logical;
            fixed_ = f;
        }
        return *fixed_;
    }

    // The query bound to a tag's keys, made when first needed: a walk whose
    // plan is exact may never judge a key. Null when the key cannot serve.
    const KeyBinding* bindingOf(std::size_t tag) {
        PerTag& t = tags_[tag];
        if (!t.bindingTried) {
            t.bindingTried = true;
            t.binding =
                query_->bindKey(*t.key, static_cast<int>(t.keyLength), data_.recordLayout());
        }
        return t.binding ? &*t.binding : nullptr;
    }

    // What the table knows of each PlanTag.
    struct PerTag {
        CdxTag* tag = nullptr;
        const Expression* key = nullptr;
        std::size_t keyLength = 0;
        const std::vector<KeyField>* keyFields = nullptr;  // kept by the key expression
        bool bindingTried = false;
        std::optional<KeyBinding> binding;
    };

    Data4& data_;
    const Expression* query_;
    std::optional<Fixed> fixed_;
    std::vector<PerTag> tags_;
    const Expression* sort_;
    int sortWidth_;
};

}  // namespace

struct Relate4 {
    explicit Relate4(Data4& table) : data(table) {
        seen.swap(table.relationRecords());
        seen.clear();
    }
    ~Relate4() {
        seen.clear();
        data.relationRecords().swap(seen);
    }
    Relate4(const Relate4&) = delete;
    Relate4& operator=(const Relate4&) = delete;

    Data4& data;
    std::shared_ptr<const Expression> query;  // null: every record
    short queryError = 0;                     // the query that was set did not compile
    std::shared_ptr<const Expression> sort;   // null: record-number order
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
                tags->push_back({ref.tag, ref.key, ref.key->normalizedSource()});
            }
        }
        return *tags;
    }

    const QueryPlan& queryPlan() {
        if (!plan) {
            plan = query ? planQuery(*query, planTags(), data.recordLayout()) : QueryPlan{};
        }
        return *plan;
    }

    const SortPlan& orderPlan() {
        if (!sortPlan) sortPlan = planSort(sort.get(), planTags(), data.recordLayout());
        return *sortPlan;
    }

    short error(short code, const std::string& text) {
        data.reportError(code, text);
        return code;
    }

    // Compiles text into target; an error is reported and kept in errorOut.
    short compile(const char* text, bool logical, std::shared_ptr<const Expression>& target,
                  short& errorOut, const char* what) {
        dropWalk();
        plan.reset();
        sortPlan.reset();
        target.reset();
        errorOut = rc::kSuccess;
        if (text == nullptr || *text == '\0') return rc::kSuccess;
        short code = rc::kSuccess;
        std::shared_ptr<const Expression> expr = data.compiledExpression(text, code);
        if (expr && logical && expr->type() != ValueType::Logical) code = rc::kExprType;
        if (!expr || code != rc::kSuccess) {
            if (code == rc::kSuccess) code = rc::kExprSyntax;
            errorOut = code;
            return error(code, std::string(what) + ": " + text);
        }
        target = std::move(expr);
        return rc::kSuccess;
    }

    // Hands out the next record of the walk, or with pastGroup the first one
    // whose sort value follows the current record's; 0 or rc::kEof.
    short forward(bool pastGroup = false) {
        // Back over records kept for backward skipping (the test a plain walk fails, first).
        if (position + 1 < seen.size() && backwards && started && !atEnd) {
            ++position;
            return data.go(static_cast<long>(seen[position]));
        }
        if (atEnd) return rc::kEof;
        // Candidates see this handle's own change. A change that cannot be
        // written is reported and dropped by the table, and the walk goes on,
        // as a move to the next record would.
        data.settle();
        const Candidate* next = pastGroup ? cursor->nextGroup() : cursor->next();
        // A record the index names but the table cannot show is passed over.
        while (next != nullptr && table->place(*next) != rc::kSuccess)
            next = cursor->next();
        if (next == nullptr) {
            atEnd = true;
            data.go(data.recCount() + 1);
            return rc::kEof;
        }
        if (!backwards) seen.clear();
        seen.push_back(next->recno);
        position = seen.size() - 1;
        started = true;
        return rc::kSuccess;
    }

    // Moves past the records with the current record's sort value; 0 or
    // rc::kEof. Records handed out before (kept for backward skipping) are
    // judged by the sort values they hold now.
    short skipGroup() {
        if (atEnd) return rc::kEof;
        if (!sort || !started) return forward();
        if (backwards && position + 1 < seen.size()) {
            const std::string group = table->sortKey(seen[position]);
            while (position + 1 < seen.size()) {
                ++position;
                if (table->sortKey(seen[position]) != group) {
                    return data.go(static_cast<long>(seen[position]));
                }
            }
        }
        return forward(true);
    }

    // Passes over the groups, from the current record's on, that surely hold
    // fewer than n matching records from the current one on, where the walk
    // can tell without handing them out; 0 on a record (the current one when
    // its group may hold n), rc::kEof past the last. Records kept for
    // backward skipping are left to be judged one by one.
    short skipSmallGroups(long n) {
        if (atEnd) return rc::kEof;
        if (!sort || !started || (backwards && position + 1 < seen.size())) return rc::kSuccess;
        data.settle();
        if (!cursor->passSmallGroups(n)) return rc::kSuccess;
        return forward();
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
        // A walk reads the index as it is now, with what another copy of the
        // program stored since; the sort analysis read it before.
        data.refreshIndex();
        sortPlan.reset();
        const SortPlan& order = orderPlan();
        table = std::make_unique<RelationTable>(data, planTags(), query.get(), sort.get(),
                                                order.sortWidth);
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
        if (n == 1 && r.cursor) return r.forward();  // the common step, first
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

short relate4skipSmallGroups(Relate4* relation, long n) {
    return guarded(relation, [n](Relate4& r) -> short {
        if (!r.cursor) {  // from the first record, as relate4top makes it current
            short code = r.start();
            if (code == rc::kSuccess) code = r.forward();
            if (code != rc::kSuccess) return code;
        }
        return r.skipSmallGroups(n);
    });
}

short relate4skipGroup(Relate4* relation) {
    return guarded(relation, [](Relate4& r) -> short {
        if (!r.cursor) {
            const short code = r.start();
            if (code != rc::kSuccess) return code;
        }
        return r.skipGroup();
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
