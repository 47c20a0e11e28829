// Arbitrary bytes from a client, cut into lines: however the socket happened to split them, the
// same lines come out, in the same order, each within its bound and without its ending. The
// first byte picks the ending rule and where the bytes are split.
#include <cstdint>
#include <string_view>
#include <vector>

#include "FuzzExpect.h"
#include "LineAssembler.h"

using orvane::fuzz::expect;

namespace {

using orvane::LineAssembler;

bool samePieces(const std::vector<LineAssembler::Piece>& a,
                const std::vector<LineAssembler::Piece>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || a[i].text != b[i].text) return false;
  }
  return true;
}

std::vector<LineAssembler::Piece> cutInChunks(LineAssembler::Ending ending, std::string_view bytes,
                                              std::size_t chunk) {
  LineAssembler assembler(ending);
  std::vector<LineAssembler::Piece> pieces;
  for (std::size_t at = 0; at < bytes.size(); at += chunk) {
    for (auto& piece : assembler.feed(bytes.substr(at, chunk))) pieces.push_back(std::move(piece));
  }
  return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto ending =
      (data[0] & 1) != 0 ? LineAssembler::Ending::AnyOfCrLf : LineAssembler::Ending::LineFeed;
  const std::size_t chunk = 2 + (data[0] >> 1);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  const auto whole = cutInChunks(ending, bytes, bytes.size() + 1);
  expect(samePieces(whole, cutInChunks(ending, bytes, 1)));
  expect(samePieces(whole, cutInChunks(ending, bytes, chunk)));
  for (const auto& piece : whole) {
    expect(piece.text.size() <= LineAssembler::kMaxLineLength);
    expect(piece.text.find('\n') == std::string_view::npos);
    if (ending == LineAssembler::Ending::AnyOfCrLf) {
      expect(piece.text.find('\r') == std::string_view::npos);
    }
    expect(piece.kind == LineAssembler::Piece::Kind::Line || piece.text.empty());
  }
  return 0;
}
