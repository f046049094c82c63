// The engine's 16-bit return codes. Zero is success; positive codes are
// positions that are not errors; negative codes are errors. Callers compare
// with zero only, but Pack shows the number, so the values are stable.
#pragma once

namespace xbase::rc {

constexpr short kSuccess = 0;
constexpr short kAfter = 2;    // a seek missed and stands on the next higher key
constexpr short kEof = 3;      // positioned at end of file
constexpr short kBof = 4;      // a move before the first record
constexpr short kUnique = 20;  // a key that a unique tag holds already: the record was not written
constexpr short kLocked = 50;  // another handle holds the lock
constexpr short kNoTag = 60;   // a tag name that the index does not hold

constexpr short kOpen = -10;        // a file cannot be opened
constexpr short kCreate = -11;      // a file cannot be created
constexpr short kRead = -20;        // a read failed or came up short
constexpr short kWrite = -21;       // a write failed
constexpr short kData = -30;        // a table header or record that is damaged or foreign
constexpr short kIndex = -31;       // a damaged index
constexpr short kMemo = -32;        // a damaged memo file or memo block
constexpr short kFieldName = -40;   // no field of that name
constexpr short kFieldType = -41;   // a value that does not suit the field
constexpr short kExprSyntax = -50;  // an expression that does not parse
constexpr short kExprType = -51;    // operands of the wrong type, or not a logical query
constexpr short kLockNeeded = -60;  // changing a record without holding its lock
constexpr short kAccess = -61;      // refused by another process's access mode
constexpr short kParameter = -70;   // a null handle or an argument out of range
constexpr short kMemory = -80;      // an allocation failed
constexpr short kRelate = -90;      // a query relation that cannot run

}  // namespace xbase::rc
