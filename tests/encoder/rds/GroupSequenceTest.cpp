#include <gtest/gtest.h>

#include <tuple>

#include "GroupScheduler.h"
#include "GroupSequence.h"

namespace orvane::test {
namespace {

// The encoder's own sequence keeps every rule it asks of an engineer's; a sequence that would
// starve a receiver of a service it carries is refused with the rule it breaks, and so are the
// groups that go by the clock.
TEST(GroupSequence, OnlyASequenceThatKeepsEveryWindowIsTaken) {
  std::string error;
  const std::string standard = GroupSequence::standard().text();
  ASSERT_TRUE(GroupSequence::parse(standard, error)) << error;
  const std::tuple<std::string_view, std::string_view> rows[] = {
      {"0A,2A,0A,2A,2A", ""},
      {"0A 2A, 0A,2A ,11A,0A,2A,0A,3A,2A", ""},
      {"0A,2A,2A,0A,2A,2A", "poucos 0A (4 em cada 10 lugares): o nome completo em cada segundo"},
      {"0A,2A,0A,15A,15A",
       "poucos 2A (16 em cada 54 lugares): um radiotexto de 64 caracteres em 5 s"},
      {"0A,2A,0A,2A,2A,0A,2A,0A,2A,11A", "3A em falta: um 3A em cada 4,5 s"},
      {"0A,2A,0A,2A,4A", "4A não entra na sequência: vai no limite de cada minuto"},
      {"0A,2A,0A,2A,1A", "1A não entra na sequência: vai no seu tempo"},
      {"0A,2A,0A,2A,0B", "grupo desconhecido: 0B"},
      {"", "0A em falta: o nome completo em cada segundo"}};
  for (const auto& [text, refusal] : rows) {
    error.clear();
    const auto sequence = GroupSequence::parse(text, error);
    EXPECT_EQ(std::tuple(sequence.has_value(), error), std::tuple(refusal.empty(), refusal))
        << text;
  }
}

// The scheduler follows the sequence it is given, place by place.
TEST(GroupSequence, TheSchedulerSendsItsPlacesInOrder) {
  std::string error;
  GroupScheduler scheduler(0x8201, [](std::int64_t) { return 0; });
  scheduler.setSequence(*GroupSequence::parse("0A,2A,0A,2A,2A", error));
  OnAirState state;
  std::string types;
  for (int i = 0; i < 10; ++i) {
    const RdsGroup group = scheduler.next(state, i * GroupScheduler::kGroupMicros);
    types += std::to_string(group.blocks[1] >> 12);
  }
  EXPECT_EQ(types, "0202202022");
}

}  // namespace
}  // namespace orvane::test
