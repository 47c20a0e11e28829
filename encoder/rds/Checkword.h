#pragma once

#include <cstdint>

namespace orvane {

// The five offset words of IEC 62106. Each block's checkword has one added to it, so that a
// receiver can tell from the syndrome alone where in a group a block belongs.
enum class Offset { A, B, C, CPrime, D };

[[nodiscard]] std::uint16_t offsetWord(Offset offset);

// The 10-bit checkword of a block: the information word times x^10 modulo
// x^10+x^8+x^7+x^5+x^4+x^3+1, plus the offset word.
[[nodiscard]] std::uint16_t checkword(std::uint16_t information, Offset offset);

// The 26 bits as they go on air, information first, most significant bit first.
[[nodiscard]] std::uint32_t encodeBlock(std::uint16_t information, Offset offset);

}  // namespace orvane
