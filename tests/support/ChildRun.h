#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace orvane::test {

// A user the tests act as. They run as root, whom permission bits do not stop; a child process
// takes on another user's ids, which need no entry in the machine's user list.
struct Account {
  uid_t uid = 0;
  gid_t gid = 0;
  std::vector<gid_t> groups;  // supplementary
  rlim_t fileSizeLimit = RLIM_INFINITY;
  // In a child only: the ids, the limit and a umask of 022, for foreseeable new files.
  bool become() const;
};

inline const Account kRoot{};
inline const Account kNobody{65534, 65534, {}};

// Runs `body` in a forked child and returns its result, or "child died". Whatever the child
// changes (its user, its mounts, its limits) stays with it.
std::string inChild(const std::function<std::string()>& body);

// In a child: mounts of its own, for tmpfs and bind mounts. False where the tests may not mount.
bool privateMounts();

}  // namespace orvane::test
