#include "capture/request_layout.h"

#include <limits>

namespace parlowen::capture {
namespace {

void PutLittleEndian(std::vector<unsigned char>& bytes, std::size_t offset, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

std::vector<unsigned char> EncodeTextRange(PointerWidth width, std::int32_t start, std::int32_t end,
                                           std::uint64_t textAddress) {
    std::vector<unsigned char> bytes(TextRangeBytes(width));
    PutLittleEndian(bytes, 0, static_cast<std::uint32_t>(start), 4);
    PutLittleEndian(bytes, 4, static_cast<std::uint32_t>(end), 4);
    PutLittleEndian(bytes, kTextAddressOffset, textAddress, static_cast<std::size_t>(width));
    return bytes;
}

std::uint64_t HighestSharedAddress(PointerWidth program, PointerWidth messenger) {
    if (program == messenger) return std::numeric_limits<std::uint64_t>::max();
    return 0x7FFFFFFF;
}

}  // namespace parlowen::capture
