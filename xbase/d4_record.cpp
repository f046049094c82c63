// The public record and field calls: append, delete, recall, field access and
// assignment, and the two copy helpers.
#include <cmath>
#include <cstring>

#include "xbase/d4.h"
#include "xbase/d4_guard.h"
#include "xbase/field_codec.h"

namespace xbase {

short d4appendStartVB(Data4* data, short /*useMemoEntries: the new record is always blank*/) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->appendStart(); });
}

short d4append(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->append(); });
}

short d4delete(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->setDeleted(true); });
}

short d4recall(Data4* data) {
    if (!data) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return data->setDeleted(false); });
}

short d4deleted(Data4* data) {
    if (!data) return rc::kParameter;
    return data->deleted() ? 1 : 0;
}

Field4* d4field(Data4* data, const char* name) {
    if (!data || !name) return nullptr;
    return guarded<Field4*>(nullptr, [&] { return data->field(name); });
}

long f4long(Field4* field) {
    if (!field) return 0;
    std::string_view bytes(field->data->fieldPtr(field->index),
                           static_cast<std::size_t>(field->data->fieldLength(field->index)));
    double value = std::trunc(parseLeadingNumber(bytes));
    if (value >= 2147483647.0) return 2147483647L;
    if (value <= -2147483648.0) return -2147483647L - 1;
    return static_cast<long>(value);
}

short f4assignNVB(Field4* field, const char* text, short length) {
    if (!field || length < 0 || (!text && length > 0)) return rc::kParameter;
    std::size_t n = text ? strnlen(text, static_cast<std::size_t>(length)) : 0;
    return guarded<short>(
        rc::kMemory, [&] { return field->data->assign(field->index, std::string_view(text, n)); });
}

short f4memoAssign(Field4* field, const char* text) {
    if (!field || !text) return rc::kParameter;
    return guarded<short>(rc::kMemory, [&] { return field->data->memoAssign(field->index, text); });
}

long f4len_v(Field4* field) {
    return field ? field->data->fieldLength(field->index) : 0;
}

const char* f4ptr(Field4* field) {
    return field ? field->data->fieldPtr(field->index) : nullptr;
}

long f4memoLenVB(Field4* field) {
    if (!field) return 0;
    return guarded<long>(
        0, [&] { return static_cast<long>(field->data->memoText(field->index).size()); });
}

const char* f4memoPtr(Field4* field) {
    if (!field) return nullptr;
    return guarded<const char*>(nullptr,
                                [&] { return field->data->memoText(field->index).c_str(); });
}

const char* f4name(Field4* field) {
    return field ? field->data->fieldName(field->index) : nullptr;
}

void u4memCpy(char* dest, const char* source, long length) {
    if (dest && source && length > 0) std::memcpy(dest, source, static_cast<std::size_t>(length));
}

unsigned u4ncpy(char* dest, const char* source, unsigned size) {
    if (!dest || size == 0) return 0;
    std::size_t n = source ? strnlen(source, size - 1) : 0;
    if (n > 0) std::memcpy(dest, source, n);
    dest[n] = '\0';
    return static_cast<unsigned>(n);
}

}  // namespace xbase
