// Fuzz target: the bytes of a text file as the program opens it (UTF-8 or
// cp1252, line ends made CR LF) and as Save As writes it back; cp1252 text
// must survive the trip through UTF-8 unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/cp1252.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = platform::textFromFile(bytes);
    platform::textToFile(text);
    platform::isUtf8WithNonAscii(bytes);
    platform::utf8ToCp1252(bytes);
    if (platform::utf8ToCp1252(platform::cp1252ToUtf8(bytes)) != bytes) std::abort();
    return 0;
}
