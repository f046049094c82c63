// The expression evaluator: a typed ExprNode tree compiled into a flat
// program that is run against the current record as often as needed.
#pragma once

#include <memory>
#include <vector>

#include "xbase/expr.h"

namespace xbase {

class ExprProgram {
  public:
    // Compiles a tree made by the parser (typed, constants folded) against
    // the fields of src.
    ExprProgram(const ExprNode& root, const RecordSource& src);
    ~ExprProgram();
    ExprProgram(const ExprProgram&) = delete;
    ExprProgram& operator=(const ExprProgram&) = delete;

    // Evaluates against the current record of src, which must have the field
    // list the tree was parsed against. Allocates only for the returned
    // Character text (and, once per thread, the scratch blocks).
    Value evaluate(const RecordSource& src) const;

  private:
    struct Instr;
    struct Cell;
    struct Context;
    struct Builder;
    Cell run(int index, Context& ctx) const;
    Cell compute(const Instr& in, Context& ctx) const;

    std::vector<Instr> code_;
    std::vector<int> lists_;  // operand lists of the And and Or instructions
    int root_ = 0;
    int cacheSlots_ = 0;
};

// The value of a tree that reads no field and calls no record function.
Value evaluateConstant(const ExprNode& node, const RecordSource& src);

}  // namespace xbase
