#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace tw {

// The integer conversion of text used wherever text becomes an integer:
// leading blanks skipped, then an optional sign and decimal digits, or a hex
// number after "$", "x", "X", "0x" or "0X"; nothing may follow; 32 bits.
std::optional<std::int32_t> tryStrToInt(std::string_view text);

// As above; fails with "'<text>' is not a valid integer value".
std::int32_t strToInt(std::string_view text);

}  // namespace tw
