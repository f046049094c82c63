// The expression parser: recursive descent over the lexer's tokens, building
// the typed ExprNode tree (type, width, canonical operator names, source
// text of every node). Subtrees whose arguments are all constants are folded
// into Constant nodes, so the query planner sees `-5` or `'A' + 'B'` as
// constants.
//
// Guarantees: no exception on any input other than an allocation failure
// (std::bad_alloc); the tree is at most kMaxExprDepth nodes deep and the
// parser recurses at most about as deep, whatever the input; text longer than
// kMaxExprLength bytes is refused before any work.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "xbase/expr.h"

namespace xbase {

constexpr int kMaxExprDepth = 200;
constexpr std::size_t kMaxExprLength = 64 * 1024;

// Parses and type-checks text against the fields of src. Returns nullptr and
// sets error (rc::kExprSyntax, rc::kExprType or rc::kFieldName) on failure.
// The nodes' source texts view text, which must outlive the tree.
std::unique_ptr<ExprNode> parseExpr(std::string_view text, const RecordSource& src, short& error);

}  // namespace xbase
