#include "DoorText.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <climits>
#include <memory>
#include <utility>

#include "RdsCharset.h"
#include "Windows1252.h"
#include "WordCut.h"

namespace orvane {
namespace {

constexpr std::uint8_t kNoCharacter = '?';  // what the character table gives for none

// Any script to Latin letters, then Latin to plain ASCII: what every receiver can show. Made
// once; ICU builds it from its rule tables, which takes milliseconds.
icu::Transliterator* toLatin() {
  static const std::unique_ptr<icu::Transliterator> instance = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> made(
        icu::Transliterator::createInstance("Any-Latin; Latin-ASCII", UTRANS_FORWARD, status));
    return U_SUCCESS(status) ? std::move(made) : nullptr;
  }();
  return instance.get();
}

// The Windows-1252 byte of one character, when the RDS set has a code or a look-alike for it.
std::optional<char> carried(const icu::UnicodeString& character) {
  std::string utf8;
  character.toUTF8String(utf8);
  const std::string byte = windows1252FromUtf8(utf8);
  if (byte.size() != 1) return std::nullopt;
  const bool questionMark = utf8 == "?";
  if (!questionMark && (byte[0] == '?' || rdsCharacter(byte[0]) == kNoCharacter)) {
    return std::nullopt;
  }
  return byte[0];
}

// A character the air cannot show is dropped rather than shown as '?', which reads as a fault in
// the title; a blank it leaves doubled, or at the end, goes with it ("Fado \U0001F3B5" is "Fado").
class AirText {
 public:
  void push(char byte) {
    const bool doubled = byte == ' ' && dropped_ && (out_.empty() || out_.back() == ' ');
    dropped_ = false;
    if (!doubled) out_.push_back(byte);
  }
  void drop() { dropped_ = true; }
  [[nodiscard]] std::size_t size() const { return out_.size(); }
  [[nodiscard]] std::string take() {
    if (dropped_ && !out_.empty() && out_.back() == ' ') out_.pop_back();
    return std::move(out_);
  }

 private:
  std::string out_;
  bool dropped_ = false;
};

void appendTransliterated(icu::UnicodeString run, AirText& out) {
  if (icu::Transliterator* latin = toLatin()) latin->transliterate(run);
  for (int32_t i = 0; i < run.length();) {
    const UChar32 c = run.char32At(i);
    const std::optional<char> byte = carried(icu::UnicodeString(c));
    if (byte && c >= 0x20) {
      out.push(*byte);
    } else {
      out.drop();
    }
    i += U16_LENGTH(c);
  }
}

bool hasControlByte(std::string_view bytes, std::string& error) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x20 || byte == 0x7F) {
      error = "byte de controlo na posição " + std::to_string(i + 1);
      return true;
    }
  }
  return false;
}

}  // namespace

bool isUtf8(std::string_view bytes) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  if (bytes.size() > INT32_MAX / 2) return false;
  u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  return status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING ||
         (U_SUCCESS(status) && bytes.empty());
}

namespace {

// At most a character or a transliterated run beyond `maxLength`, so that a cut can see whether
// the character after the bound starts a new word.
std::optional<std::string> converted(std::string_view bytes, std::size_t maxLength,
                                     std::string& error) {
  if (hasControlByte(bytes, error)) return std::nullopt;
  const std::string utf8 = isUtf8(bytes) ? std::string(bytes) : utf8FromWindows1252(bytes);
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(utf8);
  AirText out;
  icu::UnicodeString run;  // characters the set lacks, transliterated together for context
  for (int32_t i = 0; i < text.length() && out.size() <= maxLength;) {
    const UChar32 c = text.char32At(i);
    i += U16_LENGTH(c);
    const std::optional<char> byte = carried(icu::UnicodeString(c));
    if (!byte) {
      run.append(c);
      continue;
    }
    if (!run.isEmpty()) appendTransliterated(std::exchange(run, {}), out);
    out.push(*byte);
  }
  if (!run.isEmpty()) appendTransliterated(run, out);
  return out.take();
}

}  // namespace

std::optional<std::string> doorText(std::string_view bytes, std::size_t maxLength,
                                    std::string& error) {
  std::optional<std::string> air = converted(bytes, maxLength, error);
  if (air && air->size() > maxLength) {
    error = "texto com mais de " + std::to_string(maxLength) + " caracteres";
    return std::nullopt;
  }
  return air;
}

std::optional<FittedText> fitDoorText(std::string_view bytes, std::size_t maxLength, CutAt cutAt,
                                      std::string& error) {
  std::optional<std::string> air = converted(bytes, maxLength, error);
  if (!air) return std::nullopt;
  if (air->size() <= maxLength) return FittedText{std::move(*air), false};
  if (cutAt == CutAt::Length) air->resize(maxLength);
  return FittedText{cutAt == CutAt::WordEnd ? cutAtWord(*air, maxLength) : std::move(*air), true};
}

}  // namespace orvane
