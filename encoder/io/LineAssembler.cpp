#include "LineAssembler.h"

namespace orvane {

std::vector<LineAssembler::Piece> LineAssembler::feed(std::string_view bytes) {
  std::vector<Piece> out;
  feed(bytes, [&out](Piece::Kind kind, std::string_view line) {
    out.push_back({kind, std::string(line)});
  });
  return out;
}

}  // namespace orvane
