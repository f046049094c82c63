// The public engine calls: d4init_v, d4initUndo and the code4* settings.
#include "xbase/d4.h"
#include "xbase/d4_guard.h"

namespace xbase {

Code4* d4init_v() {
    return guarded<Code4*>(nullptr, [] { return new Code4(); });
}

short d4initUndo(Code4* code) {
    if (!code) return rc::kParameter;
    short result = guarded<short>(rc::kMemory, [&] { return code->closeAll(); });
    delete code;
    return result;
}

short code4errDefaultUnique(Code4* code, short mode) {
    if (!code || (mode != 20 && mode != 25)) return rc::kParameter;
    short old = code->uniqueMode;
    code->uniqueMode = mode;
    return old;
}

short code4errOff(Code4* code, short off) {
    if (!code) return rc::kParameter;
    short old = code->errorReports ? 0 : 1;
    code->errorReports = off == 0;
    return old;
}

short code4largeOn(Code4* code) {
    if (!code) return rc::kParameter;
    code->largeFiles = true;  // offsets are 64-bit throughout; nothing else changes
    return rc::kSuccess;
}

short code4lockEnforce(Code4* code, short on) {
    if (!code) return rc::kParameter;
    short old = code->lockEnforce ? 1 : 0;
    code->lockEnforce = on != 0;
    return old;
}

short code4accessMode(Code4* code, short mode) {
    if (!code || (mode != 0 && mode != 1)) return rc::kParameter;
    short old = code->denyWrite ? 1 : 0;
    code->denyWrite = mode == 1;
    return old;
}

short code4errorCode(Code4* code, short value) {
    return code ? code->setErrorCode(value) : rc::kParameter;
}

short code4errorCallback(Code4* code, std::function<void(short, const std::string&)> callback) {
    if (!code) return rc::kParameter;
    code->setErrorCallback(std::move(callback));
    return rc::kSuccess;
}

short code4flushSync(Code4* code, short on) {
    if (!code) return rc::kParameter;
    short old = code->syncOnFlush ? 1 : 0;
    code->syncOnFlush = on != 0;
    return old;
}

}  // namespace xbase
