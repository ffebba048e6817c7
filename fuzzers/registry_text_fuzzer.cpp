// Fuzzes turning the stored value's bytes into the list text. Input: the bytes the registry
// returned, of any type, cut at the read capacity as the store cuts them.
#include "fuzzers/fuzz_check.h"
#include "settings/registry_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Blocks of exactly the sizes promised, so that the sanitizer sees a read past the bytes
    // or a write past the text's room.
    const std::size_t count = std::min(size, kNumberListReadCapacityBytes);
    const std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[count]);
    std::memcpy(bytes.get(), data, count);
    const std::size_t room = count / 2;
    const std::unique_ptr<char16_t[]> text(new char16_t[room]);
    const std::size_t length = DecodeRegistryText(bytes.get(), count, text.get());

    // The text is the units before the first 0 unit, or every whole unit when there is none:
    // read here byte by byte, apart from the decoder's own helpers.
    std::vector<char16_t> expected;
    for (std::size_t at = 0; at + 1 < count && (bytes[at] | bytes[at + 1]); at += 2)
        expected.push_back(static_cast<char16_t>(bytes[at] | bytes[at + 1] << 8));
    FUZZ_CHECK(std::vector<char16_t>(text.get(), text.get() + length) == expected);

    // Only a full buffer without a 0 unit holds a text longer than any that may be saved: it
    // is read whole, to the end of the bytes.
    if (length > kNumberListMaxChars) {
        FUZZ_CHECK(count == kNumberListReadCapacityBytes && length == room);
        return 0;
    }
    // Any other text read can be saved, as the store writes it (little-endian units and one 0
    // unit), and is read back the same. The wide unit of the Windows build reads it alike.
    const std::size_t savedSize = (length + 1) * 2;
    FUZZ_CHECK(savedSize <= kNumberListReadCapacityBytes);
    const std::unique_ptr<std::uint8_t[]> saved(new std::uint8_t[savedSize]);
    for (std::size_t i = 0; i <= length; ++i) {
        const char16_t unit = i < length ? text[i] : 0;
        saved[2 * i] = static_cast<std::uint8_t>(unit);
        saved[2 * i + 1] = static_cast<std::uint8_t>(unit >> 8);
    }
    const std::unique_ptr<wchar_t[]> reread(new wchar_t[savedSize / 2]);
    FUZZ_CHECK(DecodeRegistryText(saved.get(), savedSize, reread.get()) == length);
    for (std::size_t i = 0; i < length; ++i)
        FUZZ_CHECK(reread[i] == static_cast<wchar_t>(text[i]));
    return 0;
}
