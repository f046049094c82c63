// The query planner: from a parsed query to key ranges on tags, and from a
// sort expression to the runs of tag entries that come out in sort order.
//
// Design note. A plan is a superset of the answer, never the answer itself:
// each candidate it yields is checked against the whole query, so the rules
// below only have to keep these invariants.
//  1. Superset: when a plan is optimized, every record for which the query is
//     true has its entry inside some range of some scanned tag.
//  2. A comparison becomes a range only when one side is a tag's key
//     expression (same text once normalized, same type) and the other side
//     is constant (no field, RECNO() or DELETED() inside it). Character bounds
//     are prefixes, cut to the key length and widened where the dialect's
//     blank rules could otherwise drop a match; numeric and date bounds are
//     the exact 8-byte keys.
//  3. .OR. is served only when both sides are; it unites per tag. .AND. is
//     served when either side is; two sides on one tag intersect, sides on
//     different tags give the one that looks narrower (by key space).
//  4. Ranges hold full-length keys and, per tag, are sorted and disjoint, so
//     one pass over a tag's ranges meets each entry at most once.
//  5. Exact plans: a plan may also promise that every key inside its ranges
//     satisfies the query (comparisons whose range holds exactly the keys
//     that satisfy them, united by .OR., intersected on one tag by .AND.);
//     a candidate read from such a range needs no check while its key is
//     current.
//  6. Sorting: a tag keyed on the sort expression is in sort order as a
//     whole. A tag keyed on A + STR(sort) is in sort order within one value
//     of A, provided STR's texts order like the values: the sort expression
//     is a whole-number field whose indexed values all lie in 0 .. 10^w - 1.
//     Without a sort, entries with one exact key are in record-number order.
#include "xbase/query_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

namespace xbase {

namespace {

// The tags' ranges that answer part of a query; nullopt: not served by tags.
using Candidates = std::optional<std::vector<TagRanges>>;

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool isComparison(const std::string& op) {
    return op == "=" || op == "==" || op == "<" || op == "<=" || op == ">" || op == ">=";
}

std::string flipComparison(const std::string& op) {
    if (op == "<") return ">";
    if (op == "<=") return ">=";
    if (op == ">") return "<";
    if (op == ">=") return "<=";
    return op;
}

bool dependsOnRecord(const ExprNode& node) {
    if (node.kind == ExprNode::Kind::Field) return true;
    if (node.kind == ExprNode::Kind::Function) {
        const std::string name = upperAscii(node.op);
        if (name == "RECNO" || name == "DELETED") return true;
    }
    return std::any_of(node.args.begin(), node.args.end(),
                       [](const auto& arg) { return dependsOnRecord(*arg); });
}

std::optional<Value> constantValue(const ExprNode& node, const RecordSource& src) {
    if (dependsOnRecord(node)) return std::nullopt;
    if (node.kind == ExprNode::Kind::Constant) return node.constant;
    short error = 0;
    auto expr = Expression::compile(node.source, src, error);
    if (!expr) return std::nullopt;
    return expr->evaluate(src);
}

int matchingTag(const ExprNode& node, const std::vector<PlanTag>& tags) {
    if (node.kind == ExprNode::Kind::Constant) return -1;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        if (tags[i].key->type() == node.type && normalizesTo(node.source, tags[i].normalizedKey)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool emptyRange(const KeyRange& r) {
    return r.lo > r.hi || (r.lo == r.hi && (r.loOpen || r.hiOpen));
}

// The keys of length keyLength that begin with prefix run from prefix + 0x00...
// to prefix + 0xFF...
std::string padKey(std::string_view prefix, int keyLength, char fill) {
    std::string key(static_cast<std::size_t>(keyLength), fill);
    prefix = prefix.substr(0, key.size());
    key.replace(0, prefix.size(), prefix);
    return key;
}

std::string rightTrimmed(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return std::string(text.substr(0, end));
}

// The keys a character comparison of the key expression with literal can hold.
std::optional<KeyRange> characterRange(const std::string& op, const std::string& literal,
                                       int keyLength) {
    if (op == "=")
        return KeyRange{padKey(literal, keyLength, '\0'), padKey(literal, keyLength, '\xFF')};
    // Exact and ordering comparisons may ignore trailing blanks of the
    // literal; bounding by the trimmed text keeps every possible match.
    const std::string trimmed = rightTrimmed(literal);
    if (op == "==")
        return KeyRange{padKey(trimmed, keyLength, '\0'), padKey(trimmed, keyLength, '\xFF')};
    const auto length = static_cast<std::size_t>(keyLength);
    if (op == ">" || op == ">=")
        return KeyRange{padKey(trimmed, keyLength, '\0'), std::string(length, '\xFF')};
    if (op == "<" || op == "<=")
        return KeyRange{std::string(length, '\0'), padKey(literal, keyLength, '\xFF')};
    return std::nullopt;
}

std::optional<KeyRange> numericRange(const std::string& op, double value, int keyLength) {
    if (keyLength != 8 || std::isnan(value)) return std::nullopt;
    const std::string key = numericKey(value);
    const std::string low(8, '\0');
    const std::string high(8, '\xFF');
    if (op == "=" || op == "==") return KeyRange{key, key};
    if (op == "<") return KeyRange{low, key, false, true};
    if (op == "<=") return KeyRange{low, key};
    if (op == ">") return KeyRange{key, high, true, false};
    if (op == ">=") return KeyRange{key, high};
    return std::nullopt;
}

// A comparison's range is exact (see candidates) for numeric and date keys,
// and for a character begins-with whose literal fits a key that holds the
// whole value of the key expression.
Candidates comparisonCandidates(const ExprNode& node, const std::vector<PlanTag>& tags,
                                const RecordSource& src, bool& exact) {
    if (node.args.size() != 2) return std::nullopt;
    std::string op = upperAscii(node.op);
    int tag = matchingTag(*node.args[0], tags);
    const ExprNode* constant = node.args[1].get();
    if (tag < 0) {
        // A constant on the left: only the symmetric or mirrored forms are ranges.
        tag = matchingTag(*node.args[1], tags);
        if (tag < 0) return std::nullopt;
        if (node.args[1]->type == ValueType::Character && op != "==") return std::nullopt;
        op = flipComparison(op);
        constant = node.args[0].get();
    }
    const std::optional<Value> value = constantValue(*constant, src);
    const ValueType keyType = tags[static_cast<std::size_t>(tag)].key->type();
    if (!value || value->type != keyType) return std::nullopt;
    const int keyLength = tags[static_cast<std::size_t>(tag)].tag->keyLength();
    std::optional<KeyRange> range;
    if (keyType == ValueType::Character) {
        range = characterRange(op, value->text, keyLength);
        exact = op == "=" && value->text.size() <= static_cast<std::size_t>(keyLength) &&
                tags[static_cast<std::size_t>(tag)].key->width() == keyLength;
    } else if (keyType == ValueType::Numeric || keyType == ValueType::Date) {
        range = numericRange(op, value->number, keyLength);
        exact = true;
    }
    if (!range) return std::nullopt;
    std::vector<TagRanges> out(1);
    out[0].tag = tag;
    if (!emptyRange(*range)) out[0].ranges.push_back(std::move(*range));
    return out;
}

bool lowerBoundBefore(const KeyRange& a, const KeyRange& b) {
    if (a.lo != b.lo) return a.lo < b.lo;
    return !a.loOpen && b.loOpen;
}

// Sorts ranges and merges those that overlap or touch: invariant 4.
std::vector<KeyRange> normalized(std::vector<KeyRange> ranges) {
    std::erase_if(ranges, emptyRange);
    std::sort(ranges.begin(), ranges.end(), lowerBoundBefore);
    std::vector<KeyRange> out;
    for (KeyRange& r : ranges) {
        if (!out.empty()) {
            KeyRange& last = out.back();
            const bool joins = r.lo < last.hi || (r.lo == last.hi && !(r.loOpen && last.hiOpen));
            if (joins) {
                if (r.hi > last.hi) {
                    last.hi = r.hi;
                    last.hiOpen = r.hiOpen;
                } else if (r.hi == last.hi) {
                    last.hiOpen = last.hiOpen && r.hiOpen;
                }
                continue;
            }
        }
        out.push_back(std::move(r));
    }
    return out;
}

KeyRange intersection(const KeyRange& a, const KeyRange& b) {
    KeyRange r = a;
    if (b.lo > r.lo) {
        r.lo = b.lo;
        r.loOpen = b.loOpen;
    } else if (b.lo == r.lo) {
        r.loOpen = r.loOpen || b.loOpen;
    }
    if (b.hi < r.hi) {
        r.hi = b.hi;
        r.hiOpen = b.hiOpen;
    } else if (b.hi == r.hi) {
        r.hiOpen = r.hiOpen || b.hiOpen;
    }
    return r;
}

std::vector<TagRanges> unite(std::vector<TagRanges> a, const std::vector<TagRanges>& b) {
    for (const TagRanges& scan : b) {
        auto it =
            std::find_if(a.begin(), a.end(), [&](const TagRanges& t) { return t.tag == scan.tag; });
        if (it == a.end()) {
            a.push_back(scan);
        } else {
            it->ranges.insert(it->ranges.end(), scan.ranges.begin(), scan.ranges.end());
            it->ranges = normalized(std::move(it->ranges));
        }
    }
    std::sort(a.begin(), a.end(),
              [](const TagRanges& x, const TagRanges& y) { return x.tag < y.tag; });
    return a;
}

// The share of the key space a plan covers, read from the first 8 key bytes:
// a cheap guess of its size that needs no index page.
double keySpaceShare(const std::vector<TagRanges>& scans) {
    auto leading = [](const std::string& key) {
        double v = 0;
        for (std::size_t i = 0; i < 8; ++i) {
            v = v * 256 + (i < key.size() ? static_cast<unsigned char>(key[i]) : 0);
        }
        return v;
    };
    double share = 0;
    for (const TagRanges& scan : scans) {
        for (const KeyRange& r : scan.ranges)
            share += (leading(r.hi) - leading(r.lo) + 1) / 0x1p64;
    }
    return share;
}

std::vector<TagRanges> narrow(std::vector<TagRanges> a, std::vector<TagRanges> b) {
    if (a.size() == 1 && b.size() == 1 && a[0].tag == b[0].tag) {
        std::vector<KeyRange> both;
        for (const KeyRange& x : a[0].ranges) {
            for (const KeyRange& y : b[0].ranges)
                both.push_back(intersection(x, y));
        }
        a[0].ranges = normalized(std::move(both));
        return a;
    }
    return keySpaceShare(b) < keySpaceShare(a) ? b : a;
}

// exact tells whether every key inside the ranges found satisfies node:
// then a candidate read from a range with a current key needs no check.
Candidates candidates(const ExprNode& node, const std::vector<PlanTag>& tags,
                      const RecordSource& src, bool& exact) {
    exact = false;
    const std::string op = upperAscii(node.op);
    if (node.kind == ExprNode::Kind::Binary && node.args.size() == 2) {
        bool exactA = false, exactB = false;
        if (op == ".OR.") {
            Candidates a = candidates(*node.args[0], tags, src, exactA);
            if (!a) return std::nullopt;
            Candidates b = candidates(*node.args[1], tags, src, exactB);
            if (!b) return std::nullopt;
            exact = exactA && exactB;
            return unite(std::move(*a), *b);
        }
        if (op == ".AND.") {
            Candidates a = candidates(*node.args[0], tags, src, exactA);
            Candidates b = candidates(*node.args[1], tags, src, exactB);
            if (!a || !b) return a ? a : b;
            const bool intersected = a->size() == 1 && b->size() == 1 && (*a)[0].tag == (*b)[0].tag;
            std::vector<TagRanges> both = narrow(std::move(*a), std::move(*b));
            exact = both.empty() || (intersected && exactA && exactB);
            return both;
        }
        if (isComparison(op)) return comparisonCandidates(node, tags, src, exact);
    }
    if (node.kind == ExprNode::Kind::Constant && node.type == ValueType::Logical &&
        !node.constant.logical) {
        exact = true;
        return std::vector<TagRanges>{};  // .F.: no record
    }
    return std::nullopt;
}

// True when STR(sort) texts of width strWidth order like the sort values of
// every record, judged by the sort tag's first and last keys (invariant 6).
bool strOrderHolds(const Expression& sort, const PlanTag& sortTag, int strWidth,
                   const RecordSource& src) {
    const ExprNode& root = sort.root();
    if (root.kind != ExprNode::Kind::Field || root.fieldIndex < 0) return false;
    const FieldDesc& field = src.field(root.fieldIndex);
    if (field.type != 'N' || field.decimals != 0) return false;
    std::string first, last;
    if (!sortTag.tag->edgeKeys(first, last)) return true;
    return decodeNumericKey(first) >= 0 && decodeNumericKey(last) < std::pow(10.0, strWidth);
}

// The width of A when key is A + STR(sort) and fills the whole key; 0 otherwise.
int strSuffixOffset(const PlanTag& tag, const std::string& sortText) {
    const ExprNode& root = tag.key->root();
    if (root.kind != ExprNode::Kind::Binary || root.op != "+" || root.args.size() != 2) return 0;
    const ExprNode& head = *root.args[0];
    const ExprNode& str = *root.args[1];
    if (head.type != ValueType::Character || str.kind != ExprNode::Kind::Function ||
        upperAscii(str.op) != "STR" || str.args.empty() || str.args.size() > 2 ||
        !normalizesTo(str.args[0]->source, sortText)) {
        return 0;
    }
    if (head.width <= 0 || head.width + str.width != tag.tag->keyLength()) return 0;
    return head.width;
}

}  // namespace

bool keyBelow(std::string_view key, const KeyRange& range) {
    const int c = key.compare(range.lo);
    return c < 0 || (c == 0 && range.loOpen);
}

bool keyAbove(std::string_view key, const KeyRange& range) {
    const int c = key.compare(range.hi);
    return c > 0 || (c == 0 && range.hiOpen);
}

bool wholeRange(const KeyRange& range) {
    return !range.loOpen && !range.hiOpen &&
           range.lo.find_first_not_of('\0') == std::string::npos &&
           range.hi.find_first_not_of('\xFF') == std::string::npos;
}

QueryPlan planQuery(const Expression& query, const std::vector<PlanTag>& tags,
                    const RecordSource& src) {
    QueryPlan plan;
    bool exact = false;
    Candidates found = candidates(query.root(), tags, src, exact);
    if (found) {
        plan.optimized = true;
        plan.exact = exact;
        for (TagRanges& scan : *found) {
            if (!scan.ranges.empty()) plan.scans.push_back(std::move(scan));
        }
    }
    return plan;
}

SortPlan planSort(const Expression* sort, const std::vector<PlanTag>& tags,
                  const RecordSource& src) {
    SortPlan plan;
    plan.sort = sort;
    plan.tagOrders.resize(tags.size());
    if (sort == nullptr) {
        for (std::size_t i = 0; i < tags.size(); ++i) {
            plan.tagOrders[i].groupLength = tags[i].tag->keyLength();
        }
        return plan;
    }
    const std::string& sortText = sort->normalizedSource();
    for (std::size_t i = 0; i < tags.size(); ++i) {
        if (tags[i].normalizedKey == sortText && tags[i].key->type() == sort->type()) {
            if (plan.sortTag < 0) plan.sortTag = static_cast<int>(i);
        }
    }
    if (plan.sortTag >= 0) {
        plan.sortWidth = tags[static_cast<std::size_t>(plan.sortTag)].tag->keyLength();
    } else if (sort->type() == ValueType::Character) {
        plan.sortWidth = sort->width();
    } else {
        plan.sortWidth = sort->type() == ValueType::Logical ? 1 : 8;
    }
    for (std::size_t i = 0; i < tags.size(); ++i) {
        TagOrder& order = plan.tagOrders[i];
        if (tags[i].normalizedKey == sortText && tags[i].key->type() == sort->type() &&
            tags[i].tag->keyLength() == plan.sortWidth) {
            order = {0, TagOrder::SortKeyFrom::WholeKey, 0};
            continue;
        }
        const int offset = strSuffixOffset(tags[i], sortText);
        if (offset > 0 && plan.sortTag >= 0 && sort->type() == ValueType::Numeric &&
            strOrderHolds(*sort, tags[static_cast<std::size_t>(plan.sortTag)],
                          tags[i].tag->keyLength() - offset, src)) {
            order = {offset, TagOrder::SortKeyFrom::StrSuffix, offset};
        }
    }
    return plan;
}

namespace {

// The value of a STR() text: its digits read as one whole number, anything
// else passed over. The common form, blanks and then at most 18 digits, is
// read in one pass.
double strSuffixValue(std::string_view text) {
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && text[i] == ' ')
        ++i;
    std::uint64_t number = 0;
    for (; i < n && n - i <= 18; ++i) {
        const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
        if (digit > 9) break;
        number = number * 10 + digit;
    }
    if (i == n) return static_cast<double>(number);
    if (n <= 18) {  // digits that fit a whole number exactly
        std::uint64_t whole = 0;
        for (const char c : text) {
            const unsigned digit = static_cast<unsigned char>(c) - unsigned{'0'};
            if (digit <= 9) whole = whole * 10 + digit;
        }
        return static_cast<double>(whole);
    }
    double value = 0;
    for (const char c : text) {
        const unsigned digit = static_cast<unsigned char>(c) - unsigned{'0'};
        if (digit <= 9) value = value * 10 + digit;
    }
    return value;
}

}  // namespace

void entrySortKey(const TagOrder& order, std::string_view key, std::string& out) {
    switch (order.from) {
        case TagOrder::SortKeyFrom::WholeKey:
            out.assign(key);
            return;
        case TagOrder::SortKeyFrom::StrSuffix: {
            // Leading blanks, then the digits of a whole number (invariant 6);
            // written in place, as this runs once per entry a merge reads.
            const auto from = std::min(static_cast<std::size_t>(order.offset), key.size());
            out.resize(8);
            numericKeyInto(strSuffixValue(key.substr(from)), out.data());
            return;
        }
        case TagOrder::SortKeyFrom::Nothing:
            break;
    }
    out.clear();
}

}  // namespace xbase
