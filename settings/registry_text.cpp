// Finds where the list text ends in the bytes the registry returned.
#include "settings/registry_text.h"

std::size_t RegistryTextLength(const std::uint8_t* bytes, std::size_t byteCount)
{
    // The returned data need not hold a NUL: the text then ends with the bytes.
    const std::size_t units = byteCount / 2;
    std::size_t length = 0;
    while (length < units && ReadUtf16Unit(bytes, length) != 0)
        ++length;
    return length;
}
