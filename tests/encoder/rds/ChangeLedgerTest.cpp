#include <gtest/gtest.h>

#include <string>

#include "ChangeLedger.h"

namespace orvane {
namespace {

// Each door keeps its own last change; a later one from another address must leave nothing of
// the first behind, however long either was.
TEST(ChangeLedger, KeepsEachDoorsLastChangeWhoAndHowOften) {
  std::int64_t now = 1'000;
  ChangeLedger ledger([&now] { return now; });
  EXPECT_FALSE(ledger.lastChangeMicros());

  ledger.record(ChangeSource::Console, "[2001:db8::1234:5678]:40001");
  now = 2'000;
  ledger.record(ChangeSource::Console, "10.0.0.5:4000");
  now = 3'000;
  ledger.record(ChangeSource::Http, std::string(200, 'a'));

  const auto& console = ledger.last(ChangeSource::Console);
  ASSERT_TRUE(console);
  EXPECT_EQ(console->address, "10.0.0.5:4000");
  EXPECT_EQ(console->unixMicros, 2'000);
  EXPECT_EQ(console->changes, 2u);
  EXPECT_EQ(ledger.last(ChangeSource::Http)->address.size(), ChangeLedger::kMaxAddress);
  EXPECT_EQ(ledger.last(ChangeSource::Http)->changes, 1u);
  EXPECT_FALSE(ledger.last(ChangeSource::Agenda));
  EXPECT_EQ(ledger.lastChangeMicros(), 3'000);
}

}  // namespace
}  // namespace orvane
