// Fuzz target: an expression parsed against the keyword table's fields,
// evaluated and turned into an index key on a record, then run as a query
// over the table (the planner may answer it from the tags).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/sample_store.h"
#include "xbase/d4.h"
#include "xbase/data4.h"
#include "xbase/expr.h"
#include "xbase/relate4.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    fuzzing::put_sample_store(false);
    xbase::Code4* code = xbase::d4init_v();
    xbase::code4errOff(code, 1);
    xbase::Data4* keys = xbase::d4open(code, "Keys.dbf");
    if (keys != nullptr && xbase::d4goTo(keys, 3) == 0) {
        short error = 0;
        auto expression = xbase::Expression::compile(text, keys->recordSource(), error);
        if (expression) {
            xbase::Value value = expression->evaluate(keys->recordSource());
            volatile std::size_t keep =
                value.text.size() + expression->key(keys->recordSource()).size();
            (void)keep;
        }
        xbase::Relate4* relation = xbase::relate4init(keys);
        if (xbase::relate4querySet(relation, text.c_str()) == 0) {
            xbase::relate4sortSet(relation, "ITEMS");
            xbase::relate4skipEnableVB(relation, -1);
            int hits = 0;
            for (short rc = xbase::relate4top(relation); rc == 0 && hits < 500;
                 rc = xbase::relate4skip(relation, 1))
                ++hits;
        }
        xbase::relate4freeVB(relation, 0);
    }
    xbase::d4initUndo(code);
    return 0;
}
