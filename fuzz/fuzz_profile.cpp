// Fuzz target: a settings file of any bytes read as the program reads its
// settings, and written to with a key and value taken from the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"Fontsize", "HeaderSize", "Drawer 1", "Drawer 12"})
        platform::profileLookup(text, "Setup", key, "NONE", 7);
    const std::size_t cut = text.find('=');
    if (cut != std::string::npos) {
        const std::string key = text.substr(0, cut);
        const std::string value = text.substr(cut + 1, 64);
        if (auto updated = platform::profileUpdate(text, "Setup", key, value))
            platform::profileLookup(*updated, "Setup", key, "", 256);
    }
    platform::profileUpdate(text, "Setup", "FontSize", "12");
    return 0;
}
