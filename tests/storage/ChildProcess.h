#pragma once

#include <functional>

namespace orvane::test {

// Runs `body` in a forked child after `prepare`, as the unprivileged user "nobody" when the tests
// run as root, for whom permission bits would not count. Returns what `body` returned; a child
// that does not exit normally fails the calling test.
bool runRestricted(const std::function<void()>& prepare, const std::function<bool()>& body);

}  // namespace orvane::test
