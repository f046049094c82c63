// Expression: the public face of the expression language. Compiling runs the
// parser (expr_parser); the first evaluation flattens the tree into a program
// (expr_eval), which every evaluation runs.
#include "xbase/expr.h"

#include <new>

#include "xbase/cp1252_case.h"
#include "xbase/expr_eval.h"
#include "xbase/expr_lexer.h"
#include "xbase/expr_parser.h"
#include "xbase/return_codes.h"

namespace xbase {

Expression::Expression() = default;
Expression::~Expression() = default;

std::unique_ptr<Expression> Expression::compile(std::string_view text, const RecordSource& src,
                                                short& error) {
    error = rc::kSuccess;
    try {
        // The nodes view their text in the expression's own copy of it.
        std::unique_ptr<Expression> expr(new Expression());
        expr->source_.assign(text);
        expr->root_ = parseExpr(expr->source_, src, error);
        if (expr->root_ == nullptr) return nullptr;
        return expr;
    } catch (const std::bad_alloc&) {
        error = rc::kMemory;
        return nullptr;
    }
}

const std::string& Expression::normalizedSource() const {
    if (!normalized_) normalized_ = normalizeExprText(source_);
    return *normalized_;
}

int Expression::width() const {
    switch (root_->type) {
        case ValueType::Character:
            return root_->width;
        case ValueType::Logical:
            return 1;
        default:
            return 8;
    }
}

const ExprProgram& Expression::program(const RecordSource& src) const {
    if (!program_) program_ = std::make_unique<const ExprProgram>(*root_, src);
    return *program_;
}

Value Expression::evaluate(const RecordSource& src) const {
    return program(src).evaluate(src);
}

std::string Expression::key(const RecordSource& src) const {
    if (!recipeTried_) {
        recipeTried_ = true;
        if (std::optional<KeyRecipe> recipe = keyRecipeOf(*root_, width(), src))
            recipe_ = std::make_unique<const KeyRecipe>(std::move(*recipe));
    }
    if (recipe_) {
        std::string key(static_cast<std::size_t>(width()), ' ');
        if (writeKeyByRecipe(*recipe_, src, key.data())) return key;
    }
    return encodeKey(evaluate(src), width());
}

bool Expression::varies(const RecordSource& src) const {
    return program(src).varies();
}

std::optional<KeyBinding> Expression::bindKey(const Expression& keyExpr, int keyLength,
                                              const RecordSource& src) const {
    return program(src).bindKey(*root_, *keyExpr.root_, keyLength, src);
}

const std::vector<KeyField>& Expression::keyFields(int keyLength, const RecordSource& src) const {
    auto known = keyFields_.find(keyLength);
    if (known == keyFields_.end())
        known = keyFields_.emplace(keyLength, keyFieldsOf(*root_, keyLength, src)).first;
    return known->second;
}

bool Expression::holds(const RecordSource& src, const KeyBinding& binding,
                       std::string_view key) const {
    return program(src).holds(src, binding, key);
}

Value Expression::evaluate(const RecordSource& src, const KeyBinding& binding,
                           std::string_view key) const {
    return program(src).evaluate(src, binding, key);
}

namespace {

// Hands each character of text's normalized form (see normalizeExprText) to
// out, while out returns true; false when out stopped it.
template <typename Out>
bool forEachNormalized(std::string_view text, Out out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'' || c == '"' || c == '[') {
            // A string literal, passed as it is up to its closing delimiter.
            const char close = c == '[' ? ']' : c;
            std::size_t end = text.find(close, i + 1);
            end = end == std::string_view::npos ? text.size() : end + 1;
            for (; i < end; ++i) {
                if (!out(text[i])) return false;
            }
            --i;
        } else if (!isExprBlank(c)) {
            if (!out(static_cast<char>(upperCp1252(static_cast<unsigned char>(c))))) return false;
        }
    }
    return true;
}

}  // namespace

std::string normalizeExprText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    forEachNormalized(text, [&](char c) {
        out += c;
        return true;
    });
    return out;
}

bool normalizesTo(std::string_view text, std::string_view normalized) {
    std::size_t at = 0;
    return forEachNormalized(
               text, [&](char c) { return at < normalized.size() && normalized[at++] == c; }) &&
           at == normalized.size();
}

}  // namespace xbase
