// Arbitrary HEX file contents through the loader, from memory. A load either
// succeeds with its range inside the image, or fails with one of the loader's
// texts and leaves the image as it was.
#include "tools/firmware/hex_file.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

unsigned sink = 0;

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool KnownError(const std::string& text) {
    using namespace vm::hex_text;
    for (const char* whole : {kEmptyHex, kHexOverflow, kBadDigit, kPrematureEnd, kNoData})
        if (text == whole) return true;
    for (const char* prefix : {kMissingFields, kNoColon, kBadChecksum, kUnsupported, kOutside})
        if (StartsWith(text, prefix) && text.size() >= 2 && text.compare(text.size() - 2, 2, ").") == 0 &&
            text.size() <= std::strlen(prefix) + vm::HEXFile::kMaxQuoted + 5)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A small image, so the bounds are reached by short inputs too.
    static vm::HEXFile image(0x300, 0xFF);
    image.Fill(0xA5);
    const std::uint32_t lowBefore = image.lowAddress(), highBefore = image.highAddress();
    try {
        image.LoadText(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const vm::ErrorMsg& e) {
        if (!KnownError(e.Message())) std::abort();
        if (image.lowAddress() != lowBefore || image.highAddress() != highBefore) std::abort();
        if (image.GetByte(0) != 0xA5 || image.GetByte(0x2FF) != 0xA5) std::abort();
        sink += static_cast<unsigned>(e.Message().size()) + static_cast<unsigned>(e.line());
        return 0;
    }
    if (!image.hasData() || image.highAddress() >= 0x300u) std::abort();
    for (std::uint32_t i = image.lowAddress(); i <= image.highAddress(); ++i)
        sink += image.GetByte(static_cast<std::int32_t>(i));
    return sink == 0xFFFFFFFFu ? 1 : 0;
}
