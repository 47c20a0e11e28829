#include <gtest/gtest.h>

#include <string>

#include "ChangeLedger.h"

namespace orvane {
namespace {

// A later change from another address must leave nothing of the first behind.
TEST(ChangeLedger, KeepsEachDoorsLastChangeWhoAndHowOften) {
  std::int64_t now = 1'000;
  ChangeLedger ledger([&now] { return now; });
  ledger.record(ChangeSource::Console, "[2001:db8::1234:5678]:40001");
  now = 2'000;
  ledger.record(ChangeSource::Console, "10.0.0.5:4000");
  ledger.record(ChangeSource::Http, std::string(200, 'a'));

  const ChangeLedger::Entry& console = *ledger.last(ChangeSource::Console);
  EXPECT_EQ(console.address, "10.0.0.5:4000");
  EXPECT_EQ(console.unixMicros, 2'000);
  EXPECT_EQ(console.changes, 2u);
  EXPECT_EQ(ledger.last(ChangeSource::Http)->address.size(), ChangeLedger::kMaxAddress);
}

}  // namespace
}  // namespace orvane
