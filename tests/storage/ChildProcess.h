#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace orvane::test {

// Runs `body` in a forked child after `prepare`, as the unprivileged user "nobody" when the tests
// run as root, for whom permission bits would not count. Returns what `body` returned; a child
// that does not exit normally fails the calling test.
inline bool runRestricted(const std::function<void()>& prepare, const std::function<bool()>& body) {
  constexpr uid_t kNobody = 65534;
  const pid_t child = fork();
  if (child == 0) {
    prepare();
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(2);
    _exit(body() ? 0 : 1);
  }
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) < 2) << "child status " << status;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace orvane::test
