// The engine handle (see code4.h).
#include "xbase/code4.h"

#include <algorithm>

#include "xbase/data4.h"
#include "xbase/return_codes.h"

namespace xbase {

const char* errorText(short code) {
    switch (code) {
        case rc::kSuccess:
            return "success";
        case rc::kAfter:
            return "no exact match";
        case rc::kEof:
            return "end of file";
        case rc::kBof:
            return "beginning of file";
        case rc::kUnique:
            return "the key exists in a unique tag";
        case rc::kLocked:
            return "locked by another user";
        case rc::kNoTag:
            return "no such tag";
        case rc::kOpen:
            return "the file cannot be opened";
        case rc::kCreate:
            return "the file cannot be created";
        case rc::kRead:
            return "a read failed";
        case rc::kWrite:
            return "a write failed";
        case rc::kData:
            return "the table is damaged or of a foreign format";
        case rc::kIndex:
            return "the index is damaged";
        case rc::kMemo:
            return "the memo file is damaged";
        case rc::kFieldName:
            return "no such field";
        case rc::kFieldType:
            return "the value does not suit the field";
        case rc::kExprSyntax:
            return "the expression does not parse";
        case rc::kExprType:
            return "the expression has operands of the wrong type";
        case rc::kLockNeeded:
            return "the record must be locked first";
        case rc::kAccess:
            return "the table is in use by another user";
        case rc::kParameter:
            return "invalid parameter";
        case rc::kMemory:
            return "out of memory";
        case rc::kRelate:
            return "the query relation cannot run";
        default:
            return "error";
    }
}

Code4::Code4() = default;

Code4::~Code4() {
    closeAll();
}

short Code4::setErrorCode(short code) {
    short old = errorCode_;
    errorCode_ = code;
    return old;
}

short Code4::report(short code, const std::string& text) {
    errorCode_ = code;
    if (errorReports && callback_) callback_(code, text);
    return code;
}

Data4* Code4::adopt(std::unique_ptr<Data4> table) {
    tables_.push_back(std::move(table));
    return tables_.back().get();
}

short Code4::close(Data4* table) {
    auto it = std::find_if(tables_.begin(), tables_.end(),
                           [table](const std::unique_ptr<Data4>& t) { return t.get() == table; });
    if (it == tables_.end()) return rc::kParameter;
    short r = (*it)->close();
    tables_.erase(it);
    return r;
}

short Code4::closeAll() {
    short result = rc::kSuccess;
    while (!tables_.empty()) {
        short r = close(tables_.back().get());
        if (result == rc::kSuccess) result = r;
    }
    return result;
}

}  // namespace xbase
