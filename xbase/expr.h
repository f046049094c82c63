// The xBase expression language: parse once against a table's fields, then
// evaluate against the current record as often as needed. Index keys, tag FOR
// clauses and query relations are all expressions.
//
// Dialect: field names (any case), '...' "..." and [...] strings, numbers,
// .T. .F., + - * /, = == <> # != < <= > >= $, .AND. .OR. .NOT. (and !),
// parentheses, and the functions UPPER LOWER STR VAL TRIM RTRIM LTRIM ALLTRIM
// SUBSTR LEFT RIGHT DTOS CTOD DATE DELETED RECNO IIF. Character `=` is the
// non-exact rule: true when the left side begins with the right side.
//
// Rules of this implementation:
// - Character comparisons are byte-wise unsigned with the shorter side padded
//   with blanks. `a = b` holds when a begins with b (an empty b matches all;
//   a shorter a must be followed in b by blanks only); `<>` `#` `!=` negate
//   it. `a == b` is equality with trailing blanks ignored on both sides, so
//   that `==`, `<` and `>` agree with each other and with the order of
//   blank-padded character keys. `a $ b`: b contains a (an empty a is
//   contained in everything).
// - Numbers are doubles; x / 0 gives 0, so no key is ever infinite or NaN.
//   Dates are Julian day numbers (0 for the empty date, which sorts first);
//   D + N, D - N give dates, D - D a number of days.
// - Widths known at parse time: a C field its length, a memo field 0
//   (variable; not indexable), UPPER/LOWER/TRIM/LTRIM/ALLTRIM the argument's
//   width, STR its length (which must be constant), SUBSTR/LEFT/RIGHT the
//   constant length or what the argument leaves, IIF the wider branch.
//   Actual results may be shorter; keys are padded to the width.
// - Constant subtrees are folded at parse time into Constant nodes (`-5`,
//   `'A' + 'B'`); DATE(), RECNO() and DELETED() are never folded.
// - Limits: text of at most 64 KiB, trees at most 200 nodes deep; beyond
//   them compile() refuses with rc::kExprSyntax.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xbase {

class ExprProgram;  // the compiled form that evaluate() runs (expr_eval.h)
struct KeyRecipe;   // how key() writes a key without evaluating (expr_eval.h)

enum class ValueType : char { Character = 'C', Numeric = 'N', Date = 'D', Logical = 'L' };

struct Value {
    ValueType type = ValueType::Logical;
    std::string text;   // Character: the bytes, cp1252
    double number = 0;  // Numeric; Date: Julian day number, 0 for an empty date
    bool logical = false;
};

// A field as the expression sees it.
struct FieldDesc {
    std::string name;  // upper case
    char type = 'C';   // C N F D L M
    int length = 0;
    int decimals = 0;
};

// What an expression reads of a table: its field list and the current record.
class RecordSource {
  public:
    virtual ~RecordSource() = default;
    virtual int fieldCount() const = 0;
    virtual const FieldDesc& field(int index) const = 0;
    // Index of the field, name compared without regard to case; -1 when none.
    virtual int findField(std::string_view name) const = 0;
    // Raw bytes of the field in the current record buffer.
    virtual std::string_view fieldBytes(int index) const = 0;
    // Text of a memo field of the current record; empty when there is none.
    virtual std::string memoText(int index) const = 0;
    virtual long recNo() const = 0;
    virtual bool deleted() const = 0;
};

// One node of a parsed expression. The query planner reads the tree.
struct ExprNode {
    enum class Kind { Field, Constant, Function, Unary, Binary };
    Kind kind = Kind::Constant;
    ValueType type = ValueType::Logical;  // type of this node's result
    int width = 0;                        // Character: result width in bytes
    std::string op;                       // Function: upper-case name; Unary/Binary: the operator
                                          // (".AND.", ".OR.", ".NOT.", "=", "==", "<>", "<", ...)
                                          // in one spelling: # and != are "<>", ! is ".NOT."
    int fieldIndex = -1;                  // Field
    Value constant;                       // Constant
    std::vector<std::unique_ptr<ExprNode>> args;  // operands or arguments, left to right
    // The node's source text, as written: a view of the text it was parsed
    // from (an Expression's own copy).
    std::string_view source;
};

// Where the parts of a compiled expression find their values in an index
// key instead of the record (see Expression::bindKey): one entry per
// instruction of its program, {offset, width} of its bytes in the key, or
// {-1, 0} for one that is computed.
struct KeyBinding {
    std::vector<std::pair<int, int>> parts;
    // When the whole expression is one character = or <> of a bound part and
    // a constant, or an .OR. (.AND. when all is set) of such comparisons:
    // those comparisons, which evaluation then answers without the program.
    struct Test {
        int offset = 0;
        int width = 0;
        bool equal = true;  // = (else <>)
        std::string literal;
    };
    std::vector<Test> tests;
    bool all = false;
};

// A field an index key holds: its stored bytes unchanged at offset, or, when
// numeric is set, its value as the 8-byte numeric key (see numericKey).
struct KeyField {
    int field = 0;
    int offset = 0;
    int width = 0;
    bool numeric = false;
};

class Expression {
  public:
    // Parses text against the fields of src. On failure returns nullptr and
    // sets error to rc::kExprSyntax or rc::kExprType (or rc::kFieldName, or
    // rc::kMemory when an allocation fails); on success error is 0.
    static std::unique_ptr<Expression> compile(std::string_view text, const RecordSource& src,
                                               short& error);

    ValueType type() const { return root_->type; }
    // Character: the result width; Numeric and Date: 8 (the index key width); Logical: 1.
    int width() const;
    const ExprNode& root() const { return *root_; }
    const std::string& source() const { return source_; }
    // The source as normalizeExprText gives it, made on first use.
    const std::string& normalizedSource() const;

    // src must have the field list the expression was compiled against. Only
    // an allocation failure (std::bad_alloc) can escape.
    Value evaluate(const RecordSource& src) const;
    // The index key of the current record: see encodeKey().
    std::string key(const RecordSource& src) const;

    // True when evaluations can give different values: the expression reads
    // a field, RECNO(), DELETED() or DATE(). A query whose comparisons the
    // begins-with rule decides alone (x = '') does not vary. src as for evaluate().
    bool varies(const RecordSource& src) const;
    // How to evaluate this expression from the keys of a tag on keyExpr
    // (keyLength bytes each) instead of the record: each part of it whose
    // text (compared as normalizeExprText does) is keyExpr, or a side of an
    // A + B in keyExpr whose results have exact widths, takes its bytes from
    // the key. Nullopt unless the key holds keyExpr's value byte for byte
    // and the expression reads nothing else of the record. Both expressions
    // must be compiled against src's fields.
    std::optional<KeyBinding> bindKey(const Expression& keyExpr, int keyLength,
                                      const RecordSource& src) const;
    // For a key expression of keyLength bytes: the fields its keys hold, so a
    // record's field can be read from its key. A part of a + chain qualifies
    // when it is a character field of its own width, or STR() of a
    // whole-number numeric field at the field's width (the right-aligned
    // form in which whole numbers are stored); a numeric key when it is a
    // whole-number field alone. Worked out on first use and kept, as the
    // expression's fields do not change.
    const std::vector<KeyField>& keyFields(int keyLength, const RecordSource& src) const;
    // Evaluates with the bound parts read from key, a key of that tag; src
    // gives the rest (its current record is not read).
    Value evaluate(const RecordSource& src, const KeyBinding& binding, std::string_view key) const;
    // The logical result of that evaluation, for a logical expression.
    bool holds(const RecordSource& src, const KeyBinding& binding, std::string_view key) const;

    ~Expression();

  private:
    Expression();
    // The tree flattened for evaluation, made on first use: a query that an
    // index answers alone is never evaluated.
    const ExprProgram& program(const RecordSource& src) const;

    std::unique_ptr<ExprNode> root_;
    mutable std::unique_ptr<const ExprProgram> program_;
    std::string source_;
    mutable std::optional<std::string> normalized_;
    // By key length; a node once made stays, so references handed out stay valid.
    mutable std::map<int, std::vector<KeyField>> keyFields_;
    // How key() writes keys from the record's bytes, worked out on its first
    // call; empty when they are evaluated.
    mutable bool recipeTried_ = false;
    mutable std::unique_ptr<const KeyRecipe> recipe_;
};

// Text of an expression with letters upper-cased and blanks removed outside
// string literals, so "UPPER(Keys) + STR(Items)" and "upper(keys)+str(items)"
// compare equal.
std::string normalizeExprText(std::string_view text);
// normalizeExprText(text) == normalized, without making the text.
bool normalizesTo(std::string_view text, std::string_view normalized);

// Index key bytes of a value: Character padded with blanks (or cut) to
// keyLength; Numeric and Date as the 8-byte order-preserving double transform;
// Logical as "T" or "F". A Character value's text becomes the key (moved,
// not copied, when the caller gives the value up).
std::string encodeKey(Value value, int keyLength);
std::string numericKey(double value);
void numericKeyInto(double value, char* out);  // the same 8 bytes, written to out
double decodeNumericKey(std::string_view key);
// The byte that pads keys of this type: blank for Character and Logical, 0 otherwise.
char keyFiller(ValueType type);

// Julian day number of a YYYYMMDD text; 0 when it is blank or no valid date.
double julianDay(std::string_view yyyymmdd);
std::string dateText(double julian);  // back to YYYYMMDD; 8 blanks for 0

// The one cp1252 case table of the program (accented letters included).
unsigned char upperCp1252(unsigned char c);
unsigned char lowerCp1252(unsigned char c);
std::string upperCp1252(std::string_view text);
std::string lowerCp1252(std::string_view text);

}  // namespace xbase
