// The RecordSource over a record buffer (see record_view.h).
#include "xbase/record_view.h"

#include "xbase/field_codec.h"

namespace xbase {

int RecordView::fieldCount() const {
    return static_cast<int>(table_->fields().size());
}

const FieldDesc& RecordView::field(int index) const {
    return table_->fields()[static_cast<std::size_t>(index)];
}

int RecordView::findField(std::string_view name) const {
    return table_->findField(name);
}

std::string_view RecordView::fieldBytes(int index) const {
    return {record_ + table_->fieldOffset(index), static_cast<std::size_t>(field(index).length)};
}

std::string RecordView::memoText(int index) const {
    if (pending_ && (*pending_)[static_cast<std::size_t>(index)])
        return *(*pending_)[static_cast<std::size_t>(index)];
    long long block = memoBlock(fieldBytes(index));
    std::string text;
    if (memo_ && block > 0) memo_->read(static_cast<std::uint32_t>(block), text);
    return text;
}

}  // namespace xbase
