#include "XCommand.h"

#include <algorithm>
#include <array>
#include <optional>

#include "DoorText.h"
#include "HtmlEntities.h"
#include "RdsLimits.h"
#include "WordCut.h"

namespace orvane {
namespace {

constexpr int kRadiotextBit = 1, kTagsBit = 2, kScrollingNameBit = 4;
constexpr std::array kDestinations = {1, 3, 4, 5, 7};
// A piece longer than this could never show; the line's own bound keeps it far below.
constexpr std::size_t kMaxPieceLength = kMaxXCommandBytes;

// A cursor over the markup; blanks between elements are skipped, as hand-written X-Commands
// have them.
class Markup {
 public:
  explicit Markup(std::string_view text) : rest_(text) {}

  bool take(std::string_view tag) {
    skipBlanks();
    if (!rest_.starts_with(tag)) return false;
    rest_.remove_prefix(tag.size());
    return true;
  }
  // Characters up to the next '<', with their references decoded.
  std::string characters() {
    const std::string_view run = rest_.substr(0, std::min(rest_.find('<'), rest_.size()));
    rest_.remove_prefix(run.size());
    return decodeHtmlEntities(run);
  }
  [[nodiscard]] bool atEnd() {
    skipBlanks();
    return rest_.empty();
  }

 private:
  void skipBlanks() { rest_.remove_prefix(std::min(rest_.find_first_not_of(" \t"), rest_.size())); }
  std::string_view rest_;
};

std::variant<int, std::string> readDestination(Markup& markup) {
  const std::string digits = markup.characters();
  if (digits.size() != 1 || !markup.take("</dest>")) return std::string("<dest> sem um algarismo");
  const int destination = digits[0] - '0';
  if (std::ranges::find(kDestinations, destination) == kDestinations.end()) {
    return std::string("<dest> deve ser 1, 3, 4, 5 ou 7");
  }
  return destination;
}

std::optional<std::string> readText(Markup& markup, std::vector<XCommand::Piece>& pieces) {
  using Role = XCommand::Role;
  struct Element {
    std::string_view open, close;
    Role role;
  };
  static constexpr std::array<Element, 2> kElements = {
      {{"<artist>", "</artist>", Role::Artist}, {"<title>", "</title>", Role::Title}}};
  for (;;) {
    pieces.push_back({Role::Plain, markup.characters()});
    if (markup.take("</text>")) return std::nullopt;
    if (markup.atEnd()) return std::string("falta </text>");
    const auto element = std::ranges::find_if(
        kElements, [&markup](const Element& e) { return markup.take(e.open); });
    if (element == kElements.end())
      return std::string("em <text> só se aceitam <artist> e <title>");
    const Role role = element->role;
    if (std::ranges::any_of(pieces, [role](const auto& piece) { return piece.role == role; })) {
      return std::string(element->open) + " repetido";
    }
    pieces.push_back({role, markup.characters()});
    if (!markup.take(element->close)) {
      return std::string(element->open) + " sem " + std::string(element->close);
    }
  }
}

// Blanks around a field would end up inside its tag.
RtPlusTag tagOf(int contentType, std::size_t start, std::string_view text, int maxLength,
                std::size_t textLength) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  start += first;
  const std::size_t length = text.find_last_not_of(' ') - first + 1;
  if (start > static_cast<std::size_t>(kMaxTagStart) || start >= textLength) return {};
  return {contentType, static_cast<int>(start),
          static_cast<int>(
              std::min({length, textLength - start, static_cast<std::size_t>(maxLength)}))};
}

}  // namespace

std::string XCommand::plainText() const {
  std::string text;
  for (const Piece& piece : pieces) text += piece.text;
  return text;
}

std::variant<XCommand, std::string> readXCommand(std::string_view text) {
  if (text.size() > kMaxXCommandBytes) {
    return "mais de " + std::to_string(kMaxXCommandBytes) + " bytes";
  }
  Markup markup(text);
  if (!markup.take("<rds>") || !markup.take("<item>")) {
    return std::string("esperado <rds><item>");
  }
  XCommand command;
  std::optional<int> destination;
  bool hasText = false;
  while (!markup.take("</item>")) {
    if (!destination && markup.take("<dest>")) {
      auto read = readDestination(markup);
      if (auto* error = std::get_if<std::string>(&read)) return std::move(*error);
      destination = std::get<int>(read);
    } else if (!hasText && markup.take("<text>")) {
      if (auto error = readText(markup, command.pieces)) return std::move(*error);
      hasText = true;
    } else {
      return std::string("em <item> só se aceitam um <dest> e um <text>");
    }
  }
  if (!markup.take("</rds>") || !markup.atEnd()) return std::string("esperado </rds> no fim");
  if (!destination || !hasText) return std::string("falta <dest> ou <text>");
  command.radiotext = (*destination & kRadiotextBit) != 0;
  command.tags = (*destination & kTagsBit) != 0;
  command.scrollingName = (*destination & kScrollingNameBit) != 0;
  return command;
}

std::variant<OnAirState::SongTags, std::string> xCommandRadiotext(const XCommand& command,
                                                                  bool& cut) {
  std::string line, error;
  struct Placed {
    std::size_t start = 0;
    std::string text;
  };
  std::optional<Placed> artist, title;
  for (const XCommand::Piece& piece : command.pieces) {
    auto fitted = fitDoorText(piece.text, kMaxPieceLength, CutAt::WordEnd, error);
    if (!fitted) return error;
    if (piece.role == XCommand::Role::Artist) artist = Placed{line.size(), fitted->text};
    if (piece.role == XCommand::Role::Title) title = Placed{line.size(), fitted->text};
    line += fitted->text;
  }
  cut = line.size() > kMaxRadiotextLength;
  OnAirState::SongTags song{cutAtWord(line, kMaxRadiotextLength), {}};
  if (!command.tags) return song;
  // The longer field takes the first tag, which can be longer, as the console's own tagger does.
  std::vector<std::pair<int, const Placed*>> marked;
  if (artist) marked.emplace_back(kItemArtist, &*artist);
  if (title) marked.emplace_back(kItemTitle, &*title);
  std::ranges::stable_sort(marked, [](const auto& a, const auto& b) {
    return a.second->text.size() > b.second->text.size();
  });
  for (std::size_t i = 0; i < marked.size(); ++i) {
    song.tags.tags[i] = tagOf(marked[i].first, marked[i].second->start, marked[i].second->text,
                              kMaxTagLength[i], song.text.size());
  }
  song.tags.itemRunning = std::ranges::any_of(
      song.tags.tags, [](const RtPlusTag& tag) { return tag.contentType != 0; });
  return song;
}

}  // namespace orvane
