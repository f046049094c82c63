// The expression parser. Grammar, from the lowest precedence up:
//
//   or         := and { .OR. and }
//   and        := not { .AND. not }
//   not        := (.NOT. | !) not | comparison
//   comparison := additive { (= == <> # != < <= > >= $) additive }
//   additive   := term { (+ | -) term }
//   term       := unary { (* | /) unary }
//   unary      := (- | +) unary | primary
//   primary    := number | string | .T. | .F. | name | name ( [or {, or}] ) | ( or )
//
// Every node is type-checked as soon as it is built, so the first error wins
// and no partial tree survives a failure.
#include "xbase/expr_parser.h"

#include <algorithm>
#include <utility>

#include "xbase/expr_eval.h"
#include "xbase/expr_functions.h"
#include "xbase/expr_lexer.h"
#include "xbase/expr_number.h"
#include "xbase/return_codes.h"

namespace xbase {
namespace {

using NodePtr = std::unique_ptr<ExprNode>;
using K = Token::Kind;
using T = ValueType;

// A parsed subtree with its depth and the span of its tokens (parentheses included).
struct Parsed {
    NodePtr node;
    int depth = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};

// The canonical operator name of a binary operator token; empty for other tokens.
std::string_view binaryOpName(K kind) {
    switch (kind) {
        case K::Or:
            return ".OR.";
        case K::And:
            return ".AND.";
        case K::Plus:
            return "+";
        case K::Minus:
            return "-";
        case K::Star:
            return "*";
        case K::Slash:
            return "/";
        case K::Equal:
            return "=";
        case K::ExactEqual:
            return "==";
        case K::NotEqual:
            return "<>";
        case K::Less:
            return "<";
        case K::LessEqual:
            return "<=";
        case K::Greater:
            return ">";
        case K::GreaterEqual:
            return ">=";
        case K::Dollar:
            return "$";
        default:
            return {};
    }
}

bool isComparison(K kind) {
    return kind == K::Equal || kind == K::ExactEqual || kind == K::NotEqual || kind == K::Less ||
           kind == K::LessEqual || kind == K::Greater || kind == K::GreaterEqual ||
           kind == K::Dollar;
}

// Sets the result type and width of a binary node from its operands; 0 or rc::kExprType.
short typeBinary(K kind, ExprNode& node) {
    const T l = node.args[0]->type;
    const T r = node.args[1]->type;
    switch (kind) {
        case K::Or:
        case K::And:
            if (l != T::Logical || r != T::Logical) return rc::kExprType;
            node.type = T::Logical;
            return 0;
        case K::Plus:
        case K::Minus:
            if (l == T::Character && r == T::Character) {
                node.type = T::Character;
                node.width = node.args[0]->width + node.args[1]->width;
            } else if (l == T::Numeric && r == T::Numeric) {
                node.type = T::Numeric;
            } else if (l == T::Date && r == T::Numeric) {
                node.type = T::Date;
            } else if (kind == K::Plus && l == T::Numeric && r == T::Date) {
                node.type = T::Date;
            } else if (kind == K::Minus && l == T::Date && r == T::Date) {
                node.type = T::Numeric;
            } else {
                return rc::kExprType;
            }
            return 0;
        case K::Star:
        case K::Slash:
            if (l != T::Numeric || r != T::Numeric) return rc::kExprType;
            node.type = T::Numeric;
            return 0;
        case K::Dollar:
            if (l != T::Character || r != T::Character) return rc::kExprType;
            node.type = T::Logical;
            return 0;
        default:  // the comparisons
            if (l != r) return rc::kExprType;
            node.type = T::Logical;
            return 0;
    }
}

class Parser {
  public:
    Parser(std::string_view text, const RecordSource& src) : text_(text), src_(src), lexer_(text) {
        advance();
    }

    NodePtr parse(short& error) {
        Parsed p = parseOr();
        if (!failed() && token_.kind != K::End) fail(rc::kExprSyntax);
        error = error_;
        return failed() ? nullptr : std::move(p.node);
    }

  private:
    // Counts the parser's own recursion (nested parentheses, calls, prefix operators).
    class Nesting {
      public:
        explicit Nesting(Parser& p) : p_(p) {
            if (++p_.nesting_ > kMaxExprDepth) p_.fail(rc::kExprSyntax);
        }
        ~Nesting() { --p_.nesting_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

      private:
        Parser& p_;
    };

    void advance() { token_ = lexer_.next(); }
    bool failed() const { return error_ != 0; }
    Parsed fail(short code) {
        if (!failed()) error_ = code;
        return {};
    }

    // Completes a node: its source text, the depth check and constant folding.
    Parsed finish(NodePtr node, int depth, std::size_t begin, std::size_t end) {
        if (depth > kMaxExprDepth) return fail(rc::kExprSyntax);
        node->source = text_.substr(begin, end - begin);
        if (foldable(*node)) {
            Value value = evaluateConstant(*node, src_);
            node->kind = ExprNode::Kind::Constant;
            node->op.clear();
            node->args.clear();
            node->constant = std::move(value);
        }
        return Parsed{std::move(node), depth, begin, end};
    }

    static bool foldable(const ExprNode& node) {
        if (node.kind == ExprNode::Kind::Function) {
            const FunctionSpec* spec = findFunction(node.op);
            if (spec == nullptr || !spec->pure) return false;
        } else if (node.kind != ExprNode::Kind::Unary && node.kind != ExprNode::Kind::Binary) {
            return false;
        }
        return std::all_of(node.args.begin(), node.args.end(),
                           [](const NodePtr& a) { return a->kind == ExprNode::Kind::Constant; });
    }

    Parsed binary(K kind, Parsed left, Parsed right) {
        auto node = std::make_unique<ExprNode>();
        node->kind = ExprNode::Kind::Binary;
        node->op = binaryOpName(kind);
        const int depth = std::max(left.depth, right.depth) + 1;
        const std::size_t begin = left.begin;
        const std::size_t end = right.end;
        node->args.reserve(2);
        node->args.push_back(std::move(left.node));
        node->args.push_back(std::move(right.node));
        if (short e = typeBinary(kind, *node)) return fail(e);
        return finish(std::move(node), depth, begin, end);
    }

    // One left-associative level: operand { op operand } for the ops `accepts` takes.
    template <typename Accepts, typename Operand>
    Parsed leftChain(Accepts accepts, Operand operand) {
        Parsed left = (this->*operand)();
        while (!failed() && accepts(token_.kind)) {
            const K kind = token_.kind;
            advance();
            Parsed right = (this->*operand)();
            if (failed()) return {};
            left = binary(kind, std::move(left), std::move(right));
        }
        return failed() ? Parsed{} : std::move(left);
    }

    Parsed parseOr() {
        return leftChain([](K k) { return k == K::Or; }, &Parser::parseAnd);
    }
    Parsed parseAnd() {
        return leftChain([](K k) { return k == K::And; }, &Parser::parseNot);
    }
    Parsed parseComparison() { return leftChain(isComparison, &Parser::parseAdditive); }
    Parsed parseAdditive() {
        return leftChain([](K k) { return k == K::Plus || k == K::Minus; }, &Parser::parseTerm);
    }
    Parsed parseTerm() {
        return leftChain([](K k) { return k == K::Star || k == K::Slash; }, &Parser::parseUnary);
    }

    Parsed parseNot() {
        if (token_.kind != K::Not) return parseComparison();
        return prefix(".NOT.", T::Logical, &Parser::parseNot);
    }

    Parsed parseUnary() {
        if (token_.kind == K::Minus) return prefix("-", T::Numeric, &Parser::parseUnary);
        if (token_.kind != K::Plus) return parsePrimary();
        // Unary plus changes nothing: no node, but the operand must be a number.
        const std::size_t begin = token_.begin;
        advance();
        Nesting nesting(*this);
        Parsed operand = failed() ? Parsed{} : parseUnary();
        if (failed()) return {};
        if (operand.node->type != T::Numeric) return fail(rc::kExprType);
        operand.begin = begin;
        return operand;
    }

    // A prefix operator applied to one operand of type `type`.
    Parsed prefix(std::string_view op, T type, Parsed (Parser::*operand)()) {
        const std::size_t begin = token_.begin;
        advance();
        Nesting nesting(*this);
        Parsed inner = failed() ? Parsed{} : (this->*operand)();
        if (failed()) return {};
        if (inner.node->type != type) return fail(rc::kExprType);
        auto node = std::make_unique<ExprNode>();
        node->kind = ExprNode::Kind::Unary;
        node->op = op;
        node->type = type;
        const int depth = inner.depth + 1;
        const std::size_t end = inner.end;
        node->args.push_back(std::move(inner.node));
        return finish(std::move(node), depth, begin, end);
    }

    Parsed constant(Value value, int width) {
        auto node = std::make_unique<ExprNode>();
        node->kind = ExprNode::Kind::Constant;
        node->type = value.type;
        node->width = width;
        node->constant = std::move(value);
        const Token t = token_;
        advance();
        return finish(std::move(node), 1, t.begin, t.end);
    }

    Parsed parsePrimary() {
        switch (token_.kind) {
            case K::Number: {
                Value v;
                v.type = T::Numeric;
                v.number = parseNumber(token_.text.data(), token_.text.size());
                return constant(std::move(v), 0);
            }
            case K::String: {
                Value v;
                v.type = T::Character;
                v.text.assign(token_.text);
                const int width = static_cast<int>(v.text.size());
                return constant(std::move(v), width);
            }
            case K::True:
            case K::False: {
                Value v;
                v.type = T::Logical;
                v.logical = token_.kind == K::True;
                return constant(std::move(v), 0);
            }
            case K::LParen: {
                const std::size_t begin = token_.begin;
                advance();
                Nesting nesting(*this);
                Parsed inner = failed() ? Parsed{} : parseOr();
                if (failed()) return {};
                if (token_.kind != K::RParen) return fail(rc::kExprSyntax);
                inner.begin = begin;
                inner.end = token_.end;
                advance();
                return inner;
            }
            case K::Name: {
                const Token name = token_;
                advance();
                return token_.kind == K::LParen ? parseCall(name) : field(name);
            }
            default:
                return fail(rc::kExprSyntax);
        }
    }

    Parsed field(const Token& name) {
        const int index = src_.findField(name.text);
        if (index < 0) return fail(rc::kFieldName);
        const FieldDesc& desc = src_.field(index);
        auto node = std::make_unique<ExprNode>();
        node->kind = ExprNode::Kind::Field;
        node->fieldIndex = index;
        switch (desc.type) {
            case 'C':
                node->type = T::Character;
                node->width = desc.length;
                break;
            case 'M':
                node->type = T::Character;
                break;  // variable length: width 0
            case 'N':
            case 'F':
                node->type = T::Numeric;
                break;
            case 'D':
                node->type = T::Date;
                break;
            case 'L':
                node->type = T::Logical;
                break;
            default:
                return fail(rc::kExprType);
        }
        return finish(std::move(node), 1, name.begin, name.end);
    }

    Parsed parseCall(const Token& name) {
        const FunctionSpec* spec = findFunction(name.text);
        if (spec == nullptr) return fail(rc::kExprSyntax);
        advance();  // the '('
        Nesting nesting(*this);
        auto node = std::make_unique<ExprNode>();
        node->kind = ExprNode::Kind::Function;
        node->op = spec->name;
        int depth = 0;
        if (token_.kind != K::RParen) {
            while (!failed()) {
                if (static_cast<int>(node->args.size()) == spec->maxArgs)
                    return fail(rc::kExprSyntax);
                Parsed arg = parseOr();
                if (failed()) return {};
                depth = std::max(depth, arg.depth);
                node->args.push_back(std::move(arg.node));
                if (token_.kind != K::Comma) break;
                advance();
            }
        }
        if (failed()) return {};
        if (token_.kind != K::RParen || static_cast<int>(node->args.size()) < spec->minArgs)
            return fail(rc::kExprSyntax);
        const std::size_t end = token_.end;
        advance();
        if (short e = typeCall(spec->func, *node)) return fail(e);
        return finish(std::move(node), depth + 1, name.begin, end);
    }

    std::string_view text_;
    const RecordSource& src_;
    Lexer lexer_;
    Token token_;
    short error_ = 0;
    int nesting_ = 0;
};

}  // namespace

std::unique_ptr<ExprNode> parseExpr(std::string_view text, const RecordSource& src, short& error) {
    if (text.size() > kMaxExprLength) {
        error = rc::kExprSyntax;
        return nullptr;
    }
    return Parser(text, src).parse(error);
}

}  // namespace xbase
