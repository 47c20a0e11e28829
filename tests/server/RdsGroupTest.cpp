#include <gtest/gtest.h>

#include "Checkword.h"
#include "RdsCharset.h"
#include "RdsDecoder.h"
#include "Windows1252.h"

namespace orvane::test {
namespace {

// The receiver, from its own parity-check matrix, must find each block's offset word where it was
// sent: what a wrong polynomial or offset word would break.
TEST(Checkword, ReceiversFindEveryOffset) {
  for (std::uint16_t info : {0x0000, 0xFFFF, 0x8201, 0x2A9E}) {
    for (int offset = 0; offset < 5; ++offset) {
      const std::uint32_t block = encodeBlock(info, static_cast<Offset>(offset));
      EXPECT_EQ(block >> 10, info);
      EXPECT_EQ(offsetOf(block), static_cast<Offset>(offset)) << info << " " << offset;
    }
  }
}

// Portuguese as the console types it comes back off a receiver's display as typed; what the set
// lacks becomes a look-alike, never a raw or control byte.
TEST(RdsCharset, CharactersComeBackAsTypedOrAsALookAlike) {
  for (const std::string text :
       {"áàâãéêíóôõúçÁÀÂÃÉÊÍÓÔÕÚÇºª", "€£$©‰µ¿¡§°±²³¼½¾÷ßŠšŽžŒœÄÖÜäöüÑñÅåÆæØøðÞþÝý"}) {
    EXPECT_EQ(utf8FromRds(rdsText(windows1252FromUtf8(text))), text);
  }
  EXPECT_EQ(utf8FromRds(rdsText(windows1252FromUtf8("^ ` ~ ‘x’ “y” – … ™ ÿ Ð×¢"))),
            "? ' - 'x' \"y\" - . ? y Đxc");
  for (int b = 0; b < 256; ++b) {
    const std::uint8_t code = rdsCharacter(static_cast<char>(b));
    EXPECT_TRUE(code >= 0x20 && code != 0x7F && code != 0xFF) << b;
  }
}

}  // namespace
}  // namespace orvane::test
