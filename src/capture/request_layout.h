// The history requests' structures as the messenger's control reads them. A 32-bit
// control and a 64-bit one lay out TEXTRANGEA differently, and the messenger may be of
// either width whatever the program's own, so the program writes the structure byte by
// byte in the messenger's layout instead of handing over its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace parlowen::capture {

enum class PointerWidth : std::size_t { Bits32 = 4, Bits64 = 8 };

constexpr PointerWidth kOwnPointerWidth = sizeof(void*) == 8 ? PointerWidth::Bits64 : PointerWidth::Bits32;

// TEXTRANGEA: the two 32-bit positions of its CHARRANGE, then the text buffer's
// address, aligned to its own size: 12 bytes for a 32-bit control, 16 for a 64-bit one.
constexpr std::size_t kTextAddressOffset = 8;
constexpr std::size_t TextRangeBytes(PointerWidth width) { return kTextAddressOffset + static_cast<std::size_t>(width); }
// The structure in the layout of `width`, little-endian. `textAddress` must fit in
// that width's pointers (see HighestSharedAddress).
std::vector<unsigned char> EncodeTextRange(PointerWidth width, std::int32_t start, std::int32_t end,
                                           std::uint64_t textAddress);

// The last address of a block in the messenger that both the program and the
// messenger can name. Of equal widths, any. Across widths, an address must fit in 32
// bits, and below 2 GB, because a pointer handed over as a message parameter crosses
// from 32 to 64 bits sign-extended.
std::uint64_t HighestSharedAddress(PointerWidth program, PointerWidth messenger);

}  // namespace parlowen::capture
