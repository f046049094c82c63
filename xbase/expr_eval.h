// The expression evaluator: a typed ExprNode tree compiled into a flat
// program that is run against the current record as often as needed.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <utility>
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
    // The same, with the bound instructions taking their values from key.
    Value evaluate(const RecordSource& src, const KeyBinding& binding, std::string_view key) const;
    // The logical result of that evaluation (flat comparison lists without
    // building a value).
    bool holds(const RecordSource& src, const KeyBinding& binding, std::string_view key) const;

    // True when evaluations can differ: some reach a field, RECNO(),
    // DELETED() or DATE().
    bool varies() const;
    // The binding of the parts of root (the tree this program was compiled
    // from) whose values keyExpr's keys hold (see Expression::bindKey).
    std::optional<KeyBinding> bindKey(const ExprNode& root, const ExprNode& keyExpr, int keyLength,
                                      const RecordSource& src) const;

  private:
    struct Instr;
    struct Cell;
    struct Context;
    struct Builder;
    Cell run(int index, Context& ctx) const;
    Cell compute(const Instr& in, Context& ctx) const;
    Value result(const Cell& c) const;
    // True when some instruction reachable from the root without passing a
    // bound one (binding may be null) reads the record, or with dateToo
    // calls DATE().
    bool reachesRecord(const KeyBinding* binding, bool dateToo) const;
    // Fills binding.tests when the program is a flat list of comparisons of
    // bound parts with constants (see KeyBinding).
    void flatTests(KeyBinding& binding) const;

    std::vector<Instr> code_;
    std::vector<int> lists_;  // operand lists of the And and Or instructions
    std::vector<std::pair<const ExprNode*, int>> nodes_;  // the instruction of each emitted node
    int root_ = 0;
    int cacheSlots_ = 0;
};

// The exact byte count of every result of a Character node, or -1 when a
// result may be shorter than the node's width (TRIM, SUBSTR, a memo, ...).
int exactWidth(const ExprNode& node, const RecordSource& src);

// See Expression::keyFields.
std::vector<KeyField> keyFieldsOf(const ExprNode& keyExpr, int keyLength, const RecordSource& src);

// How a key is written from its record's stored bytes alone, without
// evaluating the expression: a concatenation of character fields, UPPER()
// of them and STR() of whole-number fields at their width, or a whole-number
// field alone (a numeric key).
struct KeyRecipe {
    enum class Step { Copy, Upper, WholeText };
    struct Part {
        Step step = Step::Copy;
        int field = 0;
        int offset = 0;
        int width = 0;
    };
    std::vector<Part> parts;  // a character key, parts covering it in order
    int numericField = -1;    // else the field of a numeric key
};

// The recipe of a key expression of keyLength bytes; nullopt when it has
// another form.
std::optional<KeyRecipe> keyRecipeOf(const ExprNode& keyExpr, int keyLength,
                                     const RecordSource& src);

// Writes the key of src's current record into key (the recipe's keyLength
// bytes). False when a number is not stored in the plain form whose text
// STR() gives back byte for byte (blanks, an optional minus, at most 15
// digits without leading zeros): the key is then to be evaluated.
bool writeKeyByRecipe(const KeyRecipe& recipe, const RecordSource& src, char* key);

// The value of a tree that reads no field and calls no record function.
Value evaluateConstant(const ExprNode& node, const RecordSource& src);

}  // namespace xbase
