#pragma once

// A property that does not hold is a finding: the trap stops the run where libFuzzer saves the
// input, in every build type.
namespace orvane::fuzz {

inline void expect(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace orvane::fuzz
