// The binding routines between the program's text and the engine's fields.
#include "store/bindings.h"

#include <algorithm>
#include <array>
#include <limits>

namespace store {

namespace {
constexpr long kLongestMemo = 32767;
}  // namespace

std::string_view field_view(xbase::Field4* field) {
    const char* bytes = xbase::f4ptr(field);
    long length = xbase::f4len_v(field);
    if (bytes == nullptr || length <= 0) return {};
    return {bytes, static_cast<std::size_t>(length)};
}

std::string field_text(xbase::Field4* field) {
    const std::string_view bytes = field_view(field);
    std::string text(bytes.size(), ' ');
    if (!bytes.empty()) xbase::u4memCpy(text.data(), bytes.data(), static_cast<long>(bytes.size()));
    return text;
}

short assign_text(xbase::Field4* field, std::string_view text) {
    // The count is 16-bit: a longer text is cut rather than wrapped around.
    auto length =
        static_cast<short>(std::min<std::size_t>(text.size(), std::numeric_limits<short>::max()));
    return xbase::f4assignNVB(field, text.data(), length);
}

std::string memo_text(xbase::Field4* field, platform::Dialogs& dialogs) {
    long length = xbase::f4memoLenVB(field);
    const char* bytes = xbase::f4memoPtr(field);
    if (length <= 0 || bytes == nullptr) return {};
    if (length > kLongestMemo) {
        const std::string lines = "\n\r";
        dialogs.messageBox("Error #: -910" + lines + "Unexpected Information" + lines +
                               "Memo entry too long to return in String function. Try calling "
                               "'f4memoStrB'." +
                               lines + "Field Name:" + lines + cstr_text(xbase::f4name(field)),
                           "CodeBasic Error", platform::Icon::Critical, platform::Buttons::Ok);
        return {};
    }
    return std::string(bytes, static_cast<std::size_t>(length));
}

std::string cstr_text(const char* text) {
    if (text == nullptr) return {};
    std::array<char, 256> buffer{};
    unsigned count = xbase::u4ncpy(buffer.data(), text, buffer.size());
    return std::string(buffer.data(), count);
}

}  // namespace store
