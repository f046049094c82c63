// The public positioning calls: top, bottom, skip, go, seek, tags and counts.
#include "xbase/d4.h"
#include "xbase/d4_guard.h"

namespace xbase {

short d4top(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->top(); });
}

short d4bottom(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->bottom(); });
}

short d4skip(Data4* data, long n) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->skip(n); });
}

short d4goTo(Data4* data, long recno) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->go(recno); });
}

long d4recNo(Data4* data) {
    return data ? data->recNo() : -1;
}

long d4recCountDo(Data4* data) {
    if (!data) return -1;
    return guarded<long>(-1, [&] { return data->recCountDo(); });
}

Tag4* d4tag(Data4* data, const char* name) {
    if (!data || !name) return nullptr;
    return guarded<Tag4*>(nullptr, [&] { return data->tag(name); });
}

short d4tagSelect(Data4* data, Tag4* tag) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->selectTag(tag); });
}

short d4seek(Data4* data, const char* key) {
    if (!data || !key) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->seek(key); });
}

}  // namespace xbase
