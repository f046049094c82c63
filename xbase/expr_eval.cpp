// The expression evaluator.
//
// Design: the tree is flattened into a vector of instructions, children
// before parents. Identical subtrees are compiled once (hash-consing), so the
// program is a DAG: `UPPER(Keys) + STR(Items)`, written once per keyword in a
// search query, becomes one instruction that all terms share. An instruction
// used by more than one parent caches its result for the current evaluation.
//
// Invariants:
//  1. Character results are windows (pointer, size) into the record buffer,
//     a constant of the program, or the thread's scratch arena; none is ever
//     copied unless an operator makes new bytes (UPPER, +, STR, ...).
//  2. Everything taken from the arena during one evaluate() is released when
//     it returns; only the returned Value owns memory.
//  3. Evaluation recurses along the tree, at most kMaxExprDepth deep.
//  4. .AND., .OR. and IIF evaluate only the operands they need; a chain of
//     one logical operator is one instruction with a list of operands.
//  5. Two rewrites of character `=` (and `<>`) against a constant give the
//     same answer by the begins-with rule: against '' the result is .T.
//     (.F.) whatever the left side holds; and A + B = 'lit', where every
//     result of A is at least as long as 'lit', is A = 'lit'.
//  6. An instruction bound to an index key (KeyBinding) takes its value from
//     the key's bytes and computes nothing; a binding is only made for parts
//     whose value the key holds byte for byte. A program that is only an
//     .OR. (or .AND.) of bound parts compared with constants by = or <> is
//     answered from the binding's list of those comparisons, with the same
//     beginsWith() the program would run.
#include "xbase/expr_eval.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>

#include "xbase/cp1252_case.h"
#include "xbase/expr_functions.h"
#include "xbase/expr_number.h"
#include "xbase/expr_scratch.h"
#include "xbase/index_key.h"

namespace xbase {
namespace {

enum class Op : unsigned char {
    FieldChar,
    FieldMemo,
    FieldNumber,
    FieldDate,
    FieldLogical,
    Constant,
    Concat,      // C + C
    ConcatTrim,  // C - C: the left side's trailing blanks move to the end
    Add,         // N + N, D + N, N + D
    Subtract,    // N - N, D - N, D - D
    Multiply,
    Divide,
    Negate,
    Not,
    And,
    Or,
    Equal,  // character: the non-exact begins-with rule
    ExactEqual,
    NotEqual,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    Contains,  // $
    Upper,
    Lower,
    Str,
    Val,
    Trim,
    LTrim,
    AllTrim,
    Substr,
    Left,
    Right,
    Dtos,
    Ctod,
    Date,
    Deleted,
    RecNo,
    Iif,
};

Op fieldOp(char fieldType) {
    switch (fieldType) {
        case 'M':
            return Op::FieldMemo;
        case 'N':
        case 'F':
            return Op::FieldNumber;
        case 'D':
            return Op::FieldDate;
        case 'L':
            return Op::FieldLogical;
        default:
            return Op::FieldChar;
    }
}

Op binaryOp(const std::string& op, ValueType operand) {
    const bool text = operand == ValueType::Character;
    if (op == "+") return text ? Op::Concat : Op::Add;
    if (op == "-") return text ? Op::ConcatTrim : Op::Subtract;
    if (op == "*") return Op::Multiply;
    if (op == "/") return Op::Divide;
    if (op == ".AND.") return Op::And;
    if (op == ".OR.") return Op::Or;
    if (op == "=") return Op::Equal;
    if (op == "==") return Op::ExactEqual;
    if (op == "<>") return Op::NotEqual;
    if (op == "<") return Op::Less;
    if (op == "<=") return Op::LessEqual;
    if (op == ">") return Op::Greater;
    if (op == ">=") return Op::GreaterEqual;
    return Op::Contains;  // "$", the last operator the parser makes
}

Op functionOp(Func func) {
    switch (func) {
        case Func::Upper:
            return Op::Upper;
        case Func::Lower:
            return Op::Lower;
        case Func::Str:
            return Op::Str;
        case Func::Val:
            return Op::Val;
        case Func::Trim:
            return Op::Trim;
        case Func::LTrim:
            return Op::LTrim;
        case Func::AllTrim:
            return Op::AllTrim;
        case Func::Substr:
            return Op::Substr;
        case Func::Left:
            return Op::Left;
        case Func::Right:
            return Op::Right;
        case Func::Dtos:
            return Op::Dtos;
        case Func::Ctod:
            return Op::Ctod;
        case Func::Date:
            return Op::Date;
        case Func::Deleted:
            return Op::Deleted;
        case Func::RecNo:
            return Op::RecNo;
        case Func::Iif:
            return Op::Iif;
    }
    return Op::Iif;
}

// Byte-wise unsigned comparison with the shorter side padded with blanks.
int comparePadded(std::string_view a, std::string_view b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    if (common > 0) {
        if (int r = std::memcmp(a.data(), b.data(), common)) return r;
    }
    const std::string_view rest = a.size() > common ? a.substr(common) : b.substr(common);
    const int sign = a.size() > common ? 1 : -1;
    for (char c : rest) {
        const auto u = static_cast<unsigned char>(c);
        if (u != ' ') return u > ' ' ? sign : -sign;
    }
    return 0;
}

// The non-exact `=`: a begins with b (a shorter a counts as padded with blanks).
bool beginsWith(std::string_view a, std::string_view b) {
    if (b.size() <= a.size()) return b.empty() || std::memcmp(a.data(), b.data(), b.size()) == 0;
    return comparePadded(a, b) == 0;
}

template <typename N>
int compareOrdered(N a, N b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

bool isConcat(const ExprNode& node) {
    return node.kind == ExprNode::Kind::Binary && node.op == "+" &&
           node.type == ValueType::Character && node.args.size() == 2;
}

bool readsRecordOp(Op op) {
    switch (op) {
        case Op::FieldChar:
        case Op::FieldMemo:
        case Op::FieldNumber:
        case Op::FieldDate:
        case Op::FieldLogical:
        case Op::Deleted:
        case Op::RecNo:
            return true;
        default:
            return false;
    }
}

// The parts of a key expression whose values a key of keyLength bytes holds:
// the whole expression, and the two sides of every A + B among them whose
// results have exact widths, each with its offset in the key.
struct KeyPart {
    const ExprNode* node;
    int offset;
    int width;
};

void keyParts(const ExprNode& node, int offset, int width, const RecordSource& src,
              std::vector<KeyPart>& out) {
    out.push_back({&node, offset, width});
    if (!isConcat(node)) return;
    const int left = exactWidth(*node.args[0], src);
    const int right = exactWidth(*node.args[1], src);
    if (left < 0 || right < 0 || left + right != width) return;
    keyParts(*node.args[0], offset, left, src, out);
    keyParts(*node.args[1], offset + left, right, src, out);
}

void collectNodes(const ExprNode& node, std::vector<const ExprNode*>& out) {
    out.push_back(&node);
    for (const auto& arg : node.args)
        collectNodes(*arg, out);
}

}  // namespace

int exactWidth(const ExprNode& node, const RecordSource& src) {
    if (node.type != ValueType::Character) return -1;
    switch (node.kind) {
        case ExprNode::Kind::Constant:
            return static_cast<int>(node.constant.text.size());
        case ExprNode::Kind::Field: {
            const FieldDesc& field = src.field(node.fieldIndex);
            return field.type == 'M' ? -1 : field.length;
        }
        case ExprNode::Kind::Function:
            if (node.op == "STR") return node.width;
            if ((node.op == "UPPER" || node.op == "LOWER") && node.args.size() == 1)
                return exactWidth(*node.args[0], src);
            return -1;
        case ExprNode::Kind::Binary: {
            if (!isConcat(node)) return -1;
            const int left = exactWidth(*node.args[0], src);
            const int right = exactWidth(*node.args[1], src);
            return left < 0 || right < 0 ? -1 : left + right;
        }
        case ExprNode::Kind::Unary:
            break;
    }
    return -1;
}

struct ExprProgram::Instr {
    Op op = Op::Constant;
    ValueType type = ValueType::Logical;     // of the result
    ValueType operand = ValueType::Logical;  // of the first argument
    int args[3] = {-1, -1, -1};
    int listBegin = 0;  // And, Or: the operands are lists_[listBegin, listBegin + listSize)
    int listSize = 0;
    int field = -1;
    int slot = -1;  // cache slot, when more than one parent uses the result
    StrFormat str{0, 0};
    Value constant;
};

struct ExprProgram::Cell {
    const char* text = nullptr;
    std::size_t size = 0;
    double number = 0;
    bool logical = false;

    std::string_view view() const { return {text, size}; }
    static Cell ofText(std::string_view s) { return Cell{s.data(), s.size(), 0, false}; }
    static Cell ofNumber(double n) { return Cell{nullptr, 0, n, false}; }
    static Cell ofLogical(bool b) { return Cell{nullptr, 0, 0, b}; }
};

struct ExprProgram::Context {
    const RecordSource& src;
    ScratchArena& arena;
    Cell* cache;                // one per slot
    bool* cached;               // one per slot
    const KeyBinding* binding;  // null: every instruction is computed
    std::string_view key;

    char* bytes(std::size_t n) { return static_cast<char*>(arena.allocate(n)); }
};

// Compiles a tree into the instruction vector, sharing identical subtrees.
struct ExprProgram::Builder {
    const RecordSource& src;
    std::vector<Instr>& code;
    std::vector<int>& lists;
    std::vector<std::pair<const ExprNode*, int>>& nodes;
    std::unordered_map<std::string, int> ids;  // structural key -> instruction

    // The operands of a chain of one logical operator, left to right:
    // a .OR. b .OR. c is one Or of three operands.
    void gatherOperands(const ExprNode& node, const std::string& op, std::vector<int>& out) {
        if (node.kind != ExprNode::Kind::Binary || node.op != op) {
            out.push_back(emit(node));
            return;
        }
        for (const auto& arg : node.args)
            gatherOperands(*arg, op, out);
    }

    int emit(const ExprNode& node) {
        const int id = emitNode(node);
        nodes.emplace_back(&node, id);
        return id;
    }

    // Character `=` or `<>` against a constant, rewritten (invariant 5);
    // -1 when the rewrites do not apply.
    int emitBeginsWith(const ExprNode& node) {
        const bool equal = node.op == "=";
        if (node.kind != ExprNode::Kind::Binary || (!equal && node.op != "<>") ||
            node.args.size() != 2 || node.args[0]->type != ValueType::Character ||
            node.args[1]->kind != ExprNode::Kind::Constant) {
            return -1;
        }
        const ExprNode& literal = *node.args[1];
        Instr in;
        in.type = ValueType::Logical;
        if (literal.constant.text.empty()) {
            in.constant.type = ValueType::Logical;
            in.constant.logical = equal;
            return intern(std::move(in), {});
        }
        const ExprNode* left = node.args[0].get();
        const auto length = static_cast<int>(literal.constant.text.size());
        while (isConcat(*left) && exactWidth(*left->args[0], src) >= length)
            left = left->args[0].get();
        if (left == node.args[0].get()) return -1;
        in.op = equal ? Op::Equal : Op::NotEqual;
        in.operand = ValueType::Character;
        in.args[0] = emit(*left);
        in.args[1] = emit(literal);
        return intern(std::move(in), {});
    }

    int emitNode(const ExprNode& node) {
        if (const int rewritten = emitBeginsWith(node); rewritten >= 0) return rewritten;
        Instr in;
        in.type = node.type;
        if (node.kind == ExprNode::Kind::Binary && (node.op == ".AND." || node.op == ".OR.")) {
            std::vector<int> operands;
            gatherOperands(node, node.op, operands);
            in.op = node.op == ".AND." ? Op::And : Op::Or;
            in.listBegin = static_cast<int>(lists.size());
            in.listSize = static_cast<int>(operands.size());
            return intern(std::move(in), operands);
        }
        for (std::size_t i = 0; i < node.args.size() && i < 3; ++i)
            in.args[i] = emit(*node.args[i]);
        if (!node.args.empty()) in.operand = node.args[0]->type;
        switch (node.kind) {
            case ExprNode::Kind::Field:
                in.op = fieldOp(src.field(node.fieldIndex).type);
                in.field = node.fieldIndex;
                break;
            case ExprNode::Kind::Constant:
                in.op = Op::Constant;
                in.constant = node.constant;
                break;
            case ExprNode::Kind::Unary:
                in.op = node.op == "-" ? Op::Negate : Op::Not;
                break;
            case ExprNode::Kind::Binary:
                in.op = binaryOp(node.op, in.operand);
                break;
            case ExprNode::Kind::Function:
                in.op = functionOp(findFunction(node.op)->func);
                if (in.op == Op::Str) in.str = strFormat(node);
                break;
        }
        return intern(std::move(in), {});
    }

    // The instruction's index, shared with an identical one made before.
    int intern(Instr in, const std::vector<int>& operands) {
        std::string key;
        auto put = [&key](const void* p, std::size_t n) {
            key.append(static_cast<const char*>(p), n);
        };
        put(&in.op, sizeof in.op);
        put(&in.type, sizeof in.type);
        put(in.args, sizeof in.args);
        put(&in.field, sizeof in.field);
        put(&in.str, sizeof in.str);
        put(&in.constant.number, sizeof in.constant.number);
        put(&in.constant.logical, sizeof in.constant.logical);
        put(operands.data(), operands.size() * sizeof(int));
        key += in.constant.text;
        auto [it, added] = ids.try_emplace(std::move(key), static_cast<int>(code.size()));
        if (added) {
            code.push_back(std::move(in));
            lists.insert(lists.end(), operands.begin(), operands.end());
        }
        return it->second;
    }
};

ExprProgram::ExprProgram(const ExprNode& root, const RecordSource& src) {
    Builder builder{src, code_, lists_, nodes_, {}};
    root_ = builder.emit(root);
    // Results that more than one parent reads are cached (but not those that
    // cost nothing to produce again).
    std::vector<int> parents(code_.size(), 0);
    for (const Instr& in : code_)
        for (int arg : in.args)
            if (arg >= 0) ++parents[static_cast<std::size_t>(arg)];
    for (int operand : lists_)
        ++parents[static_cast<std::size_t>(operand)];
    for (std::size_t i = 0; i < code_.size(); ++i) {
        const Op op = code_[i].op;
        const bool cheap = op == Op::Constant || op == Op::FieldChar;
        if (parents[i] > 1 && !cheap) code_[i].slot = cacheSlots_++;
    }
}

ExprProgram::~ExprProgram() = default;

Value ExprProgram::evaluate(const RecordSource& src) const {
    return evaluate(src, KeyBinding{}, {});
}

bool ExprProgram::holds(const RecordSource& src, const KeyBinding& binding,
                        std::string_view key) const {
    if (binding.tests.empty()) return evaluate(src, binding, key).logical;
    // The comparisons decide; the first deciding one stops.
    for (const KeyBinding::Test& t : binding.tests) {
        const std::size_t from = std::min(static_cast<std::size_t>(t.offset), key.size());
        const std::string_view part = key.substr(from, static_cast<std::size_t>(t.width));
        if ((beginsWith(part, t.literal) == t.equal) != binding.all) return !binding.all;
    }
    return binding.all;
}

Value ExprProgram::evaluate(const RecordSource& src, const KeyBinding& binding,
                            std::string_view key) const {
    if (!binding.tests.empty()) {
        Value v;
        v.logical = holds(src, binding, key);
        return v;
    }
    ScratchScope scope;
    ScratchArena& arena = scope.arena();
    Cell* cache = nullptr;
    bool* cached = nullptr;
    if (cacheSlots_ > 0) {
        const auto n = static_cast<std::size_t>(cacheSlots_);
        cache = static_cast<Cell*>(arena.allocate(n * sizeof(Cell)));
        cached = static_cast<bool*>(arena.allocate(n));
        for (std::size_t i = 0; i < n; ++i) {
            new (&cache[i]) Cell();
            new (&cached[i]) bool(false);
        }
    }
    Context ctx{src, arena, cache, cached, binding.parts.empty() ? nullptr : &binding, key};
    return result(run(root_, ctx));
}

Value ExprProgram::result(const Cell& c) const {
    Value v;
    v.type = code_[static_cast<std::size_t>(root_)].type;
    switch (v.type) {
        case ValueType::Character:
            v.text.assign(c.text, c.size);
            break;
        case ValueType::Numeric:
        case ValueType::Date:
            v.number = c.number;
            break;
        case ValueType::Logical:
            v.logical = c.logical;
            break;
    }
    return v;
}

ExprProgram::Cell ExprProgram::run(int index, Context& ctx) const {
    const Instr& in = code_[static_cast<std::size_t>(index)];
    if (in.op == Op::Constant) {  // the commonest leaf, without a call
        const Value& k = in.constant;
        return Cell{k.text.data(), k.text.size(), k.number, k.logical};
    }
    if (ctx.binding != nullptr) {
        const auto [offset, width] = ctx.binding->parts[static_cast<std::size_t>(index)];
        if (offset >= 0) {  // a key shorter than the binding's gives what it has, never throws
            const std::size_t from = std::min(static_cast<std::size_t>(offset), ctx.key.size());
            return Cell::ofText(ctx.key.substr(from, static_cast<std::size_t>(width)));
        }
    }
    if (in.slot < 0) return compute(in, ctx);
    const auto slot = static_cast<std::size_t>(in.slot);
    if (!ctx.cached[slot]) {
        ctx.cache[slot] = compute(in, ctx);
        ctx.cached[slot] = true;
    }
    return ctx.cache[slot];
}

ExprProgram::Cell ExprProgram::compute(const Instr& in, Context& ctx) const {
    auto arg = [&](int i) { return run(in.args[i], ctx); };
    auto argCount = [&] { return in.args[2] >= 0 ? 3 : in.args[1] >= 0 ? 2 : 1; };
    // Relations between the two operands, on the operands' type.
    auto compareArgs = [&] {
        const Cell a = arg(0);
        const Cell b = arg(1);
        switch (in.operand) {
            case ValueType::Character:
                return comparePadded(a.view(), b.view());
            case ValueType::Logical:
                return compareOrdered(a.logical, b.logical);
            default:
                return compareOrdered(a.number, b.number);
        }
    };
    auto equalArgs = [&] {
        if (in.operand != ValueType::Character) return compareArgs() == 0;
        const Cell a = arg(0);
        return beginsWith(a.view(), arg(1).view());
    };
    auto mapCase = [&](void (*map)(const char*, std::size_t, char*)) {
        const Cell a = arg(0);
        char* out = ctx.bytes(a.size);
        map(a.text, a.size, out);
        return Cell::ofText({out, a.size});
    };

    switch (in.op) {
        case Op::FieldChar:
            return Cell::ofText(ctx.src.fieldBytes(in.field));
        case Op::FieldMemo: {
            const std::string memo = ctx.src.memoText(in.field);
            char* out = ctx.bytes(memo.size());
            if (!memo.empty()) std::memcpy(out, memo.data(), memo.size());
            return Cell::ofText({out, memo.size()});
        }
        case Op::FieldNumber: {
            const std::string_view b = ctx.src.fieldBytes(in.field);
            return Cell::ofNumber(parseNumber(b.data(), b.size()));
        }
        case Op::FieldDate:
            return Cell::ofNumber(julianDay(ctx.src.fieldBytes(in.field)));
        case Op::FieldLogical: {
            const std::string_view b = ctx.src.fieldBytes(in.field);
            const char c = b.empty() ? ' ' : b[0];
            return Cell::ofLogical(c == 'T' || c == 't' || c == 'Y' || c == 'y');
        }
        case Op::Constant:
            break;  // run() answers constants itself
        case Op::Concat:
        case Op::ConcatTrim: {
            const Cell a = arg(0);
            const Cell b = arg(1);
            const std::string_view left = in.op == Op::Concat ? a.view() : trimRight(a.view());
            char* out = ctx.bytes(a.size + b.size);
            if (!left.empty()) std::memcpy(out, left.data(), left.size());
            if (b.size > 0) std::memcpy(out + left.size(), b.text, b.size);
            std::memset(out + left.size() + b.size, ' ', a.size - left.size());
            return Cell::ofText({out, a.size + b.size});
        }
        case Op::Add:
            return Cell::ofNumber(arg(0).number + arg(1).number);
        case Op::Subtract:
            return Cell::ofNumber(arg(0).number - arg(1).number);
        case Op::Multiply:
            return Cell::ofNumber(arg(0).number * arg(1).number);
        case Op::Divide: {
            const double a = arg(0).number;
            const double b = arg(1).number;
            return Cell::ofNumber(b == 0 ? 0 : a / b);
        }
        case Op::Negate:
            return Cell::ofNumber(-arg(0).number);
        case Op::Not:
            return Cell::ofLogical(!arg(0).logical);
        case Op::And:
        case Op::Or: {
            // Left to right, stopping at the first operand that decides.
            const bool decider = in.op == Op::Or;
            const int* operand = lists_.data() + in.listBegin;
            for (int i = 0; i < in.listSize; ++i)
                if (run(operand[i], ctx).logical == decider) return Cell::ofLogical(decider);
            return Cell::ofLogical(!decider);
        }
        case Op::Equal:
            return Cell::ofLogical(equalArgs());
        case Op::NotEqual:
            return Cell::ofLogical(!equalArgs());
        case Op::ExactEqual:
            return Cell::ofLogical(compareArgs() == 0);
        case Op::Less:
            return Cell::ofLogical(compareArgs() < 0);
        case Op::LessEqual:
            return Cell::ofLogical(compareArgs() <= 0);
        case Op::Greater:
            return Cell::ofLogical(compareArgs() > 0);
        case Op::GreaterEqual:
            return Cell::ofLogical(compareArgs() >= 0);
        case Op::Contains: {
            const Cell a = arg(0);
            return Cell::ofLogical(arg(1).view().find(a.view()) != std::string_view::npos);
        }
        case Op::Upper:
            return mapCase(&upperCp1252);
        case Op::Lower:
            return mapCase(&lowerCp1252);
        case Op::Str: {
            char* out = ctx.bytes(static_cast<std::size_t>(in.str.length));
            formatStr(arg(0).number, in.str.length, in.str.decimals, out);
            return Cell::ofText({out, static_cast<std::size_t>(in.str.length)});
        }
        case Op::Val: {
            const Cell a = arg(0);
            return Cell::ofNumber(parseNumber(a.text, a.size));
        }
        case Op::Trim:
            return Cell::ofText(trimRight(arg(0).view()));
        case Op::LTrim:
            return Cell::ofText(trimLeft(arg(0).view()));
        case Op::AllTrim:
            return Cell::ofText(trimLeft(trimRight(arg(0).view())));
        case Op::Substr: {
            const Cell s = arg(0);
            const double start = arg(1).number;
            const double count = argCount() == 3 ? arg(2).number : static_cast<double>(s.size);
            return Cell::ofText(substrOf(s.view(), start, count));
        }
        case Op::Left: {
            const Cell s = arg(0);
            return Cell::ofText(leftOf(s.view(), arg(1).number));
        }
        case Op::Right: {
            const Cell s = arg(0);
            return Cell::ofText(rightOf(s.view(), arg(1).number));
        }
        case Op::Dtos: {
            char* out = ctx.bytes(8);
            writeDateText(arg(0).number, out);
            return Cell::ofText({out, 8});
        }
        case Op::Ctod:
            return Cell::ofNumber(ctodValue(arg(0).view()));
        case Op::Date:
            return Cell::ofNumber(julianToday());
        case Op::Deleted:
            return Cell::ofLogical(ctx.src.deleted());
        case Op::RecNo:
            return Cell::ofNumber(static_cast<double>(ctx.src.recNo()));
        case Op::Iif:
            return arg(arg(0).logical ? 1 : 2);
    }
    return Cell{};
}

bool ExprProgram::reachesRecord(const KeyBinding* binding, bool dateToo) const {
    std::vector<bool> seen(code_.size(), false);
    std::vector<int> stack{root_};
    while (!stack.empty()) {
        const auto index = static_cast<std::size_t>(stack.back());
        stack.pop_back();
        if (seen[index]) continue;
        seen[index] = true;
        if (binding != nullptr && binding->parts[index].first >= 0) continue;
        const Instr& in = code_[index];
        if (readsRecordOp(in.op) || (dateToo && in.op == Op::Date)) return true;
        for (int arg : in.args)
            if (arg >= 0) stack.push_back(arg);
        for (int i = 0; i < in.listSize; ++i)
            stack.push_back(lists_[static_cast<std::size_t>(in.listBegin + i)]);
    }
    return false;
}

bool ExprProgram::varies() const {
    return reachesRecord(nullptr, true);
}

std::optional<KeyBinding> ExprProgram::bindKey(const ExprNode& root, const ExprNode& keyExpr,
                                               int keyLength, const RecordSource& src) const {
    if (exactWidth(keyExpr, src) != keyLength) return std::nullopt;
    std::vector<KeyPart> parts;
    keyParts(keyExpr, 0, keyLength, src, parts);
    std::vector<std::string> partTexts;
    for (const KeyPart& part : parts)
        partTexts.push_back(normalizeExprText(part.node->source));

    KeyBinding binding;
    binding.parts.assign(code_.size(), {-1, 0});
    std::vector<const ExprNode*> all;
    collectNodes(root, all);
    for (const ExprNode* node : all) {
        if (node->type != ValueType::Character || node->kind == ExprNode::Kind::Constant) continue;
        auto emitted = std::find_if(nodes_.begin(), nodes_.end(),
                                    [&](const auto& n) { return n.first == node; });
        if (emitted == nodes_.end()) continue;  // rewritten away
        const std::string text = normalizeExprText(node->source);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (partTexts[i] == text && exactWidth(*node, src) == parts[i].width) {
                binding.parts[static_cast<std::size_t>(emitted->second)] = {parts[i].offset,
                                                                            parts[i].width};
                break;
            }
        }
    }
    if (reachesRecord(&binding, false)) return std::nullopt;
    flatTests(binding);
    return binding;
}

void ExprProgram::flatTests(KeyBinding& binding) const {
    const Instr& root = code_[static_cast<std::size_t>(root_)];
    std::vector<int> operands{root_};
    if (root.op == Op::Or || root.op == Op::And) {
        operands.assign(lists_.begin() + root.listBegin,
                        lists_.begin() + root.listBegin + root.listSize);
    }
    for (int operand : operands) {
        const Instr& in = code_[static_cast<std::size_t>(operand)];
        if ((in.op != Op::Equal && in.op != Op::NotEqual) || in.operand != ValueType::Character)
            break;
        const auto [offset, width] = binding.parts[static_cast<std::size_t>(in.args[0])];
        const Instr& literal = code_[static_cast<std::size_t>(in.args[1])];
        if (offset < 0 || literal.op != Op::Constant) break;
        binding.tests.push_back({offset, width, in.op == Op::Equal, literal.constant.text});
    }
    if (binding.tests.size() != operands.size()) binding.tests.clear();
    binding.all = root.op == Op::And;
}

namespace {

bool wholeNumbers(const FieldDesc& f) {
    return (f.type == 'N' || f.type == 'F') && f.decimals == 0;
}

// The field a key part stores as it is stored in the record; -1 when none.
int storedField(const ExprNode& part, int width, const RecordSource& src) {
    if (part.kind == ExprNode::Kind::Field) {
        const FieldDesc& f = src.field(part.fieldIndex);
        return f.type == 'C' && f.length == width ? part.fieldIndex : -1;
    }
    if (part.kind != ExprNode::Kind::Function || part.op != "STR" || part.args.empty() ||
        part.args[0]->kind != ExprNode::Kind::Field) {
        return -1;
    }
    if (part.args.size() == 3) {
        const ExprNode& decimals = *part.args[2];
        if (decimals.kind != ExprNode::Kind::Constant || decimals.constant.number != 0) return -1;
    }
    const FieldDesc& f = src.field(part.args[0]->fieldIndex);
    return wholeNumbers(f) && f.length == width ? part.args[0]->fieldIndex : -1;
}

}  // namespace

std::vector<KeyField> keyFieldsOf(const ExprNode& keyExpr, int keyLength, const RecordSource& src) {
    std::vector<KeyField> out;
    if (keyExpr.kind == ExprNode::Kind::Field && keyExpr.type == ValueType::Numeric &&
        keyLength == 8 && wholeNumbers(src.field(keyExpr.fieldIndex))) {
        out.push_back({keyExpr.fieldIndex, 0, 8, true});
        return out;
    }
    if (exactWidth(keyExpr, src) != keyLength) return out;
    std::vector<KeyPart> parts;
    keyParts(keyExpr, 0, keyLength, src, parts);
    for (const KeyPart& part : parts) {
        const int field = storedField(*part.node, part.width, src);
        if (field >= 0) out.push_back({field, part.offset, part.width});
    }
    return out;
}

namespace {

// Adds the parts of a character key from offset on; false when a part has
// another form.
bool recipeParts(const ExprNode& node, int offset, const RecordSource& src,
                 std::vector<KeyRecipe::Part>& out) {
    if (isConcat(node)) {
        const int left = exactWidth(*node.args[0], src);
        return left >= 0 && recipeParts(*node.args[0], offset, src, out) &&
               recipeParts(*node.args[1], offset + left, src, out);
    }
    const int width = exactWidth(node, src);
    if (width < 0) return false;
    if (const int field = storedField(node, width, src); field >= 0) {
        const bool text = node.kind == ExprNode::Kind::Field;
        out.push_back(
            {text ? KeyRecipe::Step::Copy : KeyRecipe::Step::WholeText, field, offset, width});
        return true;
    }
    if (node.kind == ExprNode::Kind::Function && node.op == "UPPER" && node.args.size() == 1) {
        const int field = storedField(*node.args[0], width, src);
        if (field < 0 || node.args[0]->kind != ExprNode::Kind::Field) return false;
        out.push_back({KeyRecipe::Step::Upper, field, offset, width});
        return true;
    }
    return false;
}

// A whole number in the plain form (see writeKeyByRecipe) and its value.
bool plainWholeNumber(std::string_view text, double& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative) ++i;
    const std::size_t digits = text.size() - i;
    if (digits == 0 || digits > 15 || (text[i] == '0' && (digits > 1 || negative))) return false;
    std::uint64_t whole = 0;
    for (; i < text.size(); ++i) {
        const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
        if (digit > 9) return false;
        whole = whole * 10 + digit;
    }
    value = negative ? -static_cast<double>(whole) : static_cast<double>(whole);
    return true;
}

}  // namespace

std::optional<KeyRecipe> keyRecipeOf(const ExprNode& keyExpr, int keyLength,
                                     const RecordSource& src) {
    KeyRecipe recipe;
    if (keyExpr.kind == ExprNode::Kind::Field && keyExpr.type == ValueType::Numeric) {
        if (keyLength != 8 || !wholeNumbers(src.field(keyExpr.fieldIndex))) return std::nullopt;
        recipe.numericField = keyExpr.fieldIndex;
        return recipe;
    }
    if (exactWidth(keyExpr, src) != keyLength || !recipeParts(keyExpr, 0, src, recipe.parts))
        return std::nullopt;
    return recipe;
}

bool writeKeyByRecipe(const KeyRecipe& recipe, const RecordSource& src, char* key) {
    double value = 0;
    if (recipe.numericField >= 0) {
        if (!plainWholeNumber(src.fieldBytes(recipe.numericField), value)) return false;
        const std::string number = numericKey(value);
        std::memcpy(key, number.data(), number.size());
        return true;
    }
    for (const KeyRecipe::Part& part : recipe.parts) {
        const std::string_view bytes = src.fieldBytes(part.field);
        if (bytes.size() != static_cast<std::size_t>(part.width)) return false;
        switch (part.step) {
            case KeyRecipe::Step::Upper:
                upperCp1252(bytes.data(), bytes.size(), key + part.offset);
                break;
            case KeyRecipe::Step::WholeText:
                if (!plainWholeNumber(bytes, value)) return false;
                [[fallthrough]];
            case KeyRecipe::Step::Copy:
                std::memcpy(key + part.offset, bytes.data(), bytes.size());
                break;
        }
    }
    return true;
}

Value evaluateConstant(const ExprNode& node, const RecordSource& src) {
    return ExprProgram(node, src).evaluate(src);
}

}  // namespace xbase
