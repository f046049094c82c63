// The public table calls: open, create, close, locks, flush and maintenance.
#include "xbase/d4.h"
#include "xbase/d4_guard.h"

namespace xbase {

Data4* d4open(Code4* code, const char* path) {
    if (!code || !path) return nullptr;
    return guarded<Data4*>(nullptr, [&]() -> Data4* {
        short err = rc::kSuccess;
        std::unique_ptr<Data4> data = Data4::open(*code, path, err);
        return data ? code->adopt(std::move(data)) : nullptr;
    });
}

Data4* d4create(Code4* code, const char* path, const std::vector<Field4info>& fields,
                const std::vector<Tag4info>& tags) {
    if (!code || !path) return nullptr;
    return guarded<Data4*>(nullptr, [&]() -> Data4* {
        short err = rc::kSuccess;
        std::unique_ptr<Data4> data = Data4::create(*code, path, fields, tags, err);
        return data ? code->adopt(std::move(data)) : nullptr;
    });
}

short d4close(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->code4().close(data); });
}

short d4lock(Data4* data, long recno) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->lock(recno); });
}

short d4lockAll(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->lockAll(); });
}

short d4lockAppend(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->lockAppend(); });
}

short d4unlock(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->unlock(); });
}

short d4flush(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->flush(); });
}

short d4reindex(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->reindex(); });
}

short d4pack(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->pack(); });
}

short d4memoCompress(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->memoCompress(); });
}

}  // namespace xbase
