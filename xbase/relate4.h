// Query relations: the records of one table that satisfy a query expression,
// in the order of a sort expression, handed out one at a time and answered
// from the table's tags wherever a comparison allows it.
#pragma once

#include "xbase/data4.h"
#include "xbase/query_cursor.h"

namespace xbase {

// A query relation on one table. The program holds it only by pointer.
struct Relate4;

// A relation on table (which must stay open while the relation lives);
// nullptr when table is null or memory runs out.
Relate4* relate4init(Data4* table);
// Sets the query, a logical expression over the table's fields; null or empty
// text means every record. An expression that does not parse or is not
// logical gives its error code (reported) and leaves no query that matches.
short relate4querySet(Relate4* relation, const char* expression);
// Sets the delivery order: ascending values of expression, ties by record
// number; null or empty text means record-number order.
short relate4sortSet(Relate4* relation, const char* expression);
// Non-zero when the table's tags serve the whole query (no scan of every
// record is needed to find the candidates).
short relate4optimizeable(Relate4* relation);
// Non-zero flag: relate4skip may also move backwards.
short relate4skipEnableVB(Relate4* relation, short flag);
// Moves to the first matching record and makes it the table's current
// record: 0, or rc::kEof when none matches (the table then stands at end of
// file), or an error code.
short relate4top(Relate4* relation);
// Moves n matching records forwards (or backwards, when enabled): 0 while on
// a matching record; rc::kEof past the last, rc::kBof before the first (the
// first record stays current).
short relate4skip(Relate4* relation, long n);
// Moves forwards past the current record's group, the matching records with
// its sort value, to the first matching record with a later one: codes as
// relate4skip(relation, 1), which it is in record-number order. A caller
// that needs only the first records of each group passes over the rest
// without reading them.
short relate4skipGroup(Relate4* relation);
// Passes over the groups, from the current record's on, that surely hold
// fewer than n matching records (counting from the current record), to the
// first record of the first group that may hold n or more: 0 on a record
// (the current one when its group may hold n), rc::kEof past the last. Only
// groups the walk can count without handing out each record are passed (a
// merge of index runs whose keys are still current); any other stays to be
// judged record by record. A caller that wants only groups of n or more
// records reads no record of the others. Passed records are not kept for
// backward skipping.
short relate4skipSmallGroups(Relate4* relation, long n);
// For tests and benchmarks: how the next walk produces its candidates, and
// the strategy the current walk uses (Strategy::Empty before relate4top).
short relate4tune(Relate4* relation, const CursorTuning& tuning);
Strategy relate4strategy(Relate4* relation);
// Releases the relation; a non-zero closeFiles also closes its table.
short relate4freeVB(Relate4* relation, short closeFiles);

}  // namespace xbase
