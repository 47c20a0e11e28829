#pragma once

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace orvane::test {

// A user the tests act as: they run as root, whom permission bits do not stop. A child process
// takes on the ids, which need no entry in the machine's user list.
struct Account {
  uid_t uid = 0;
  gid_t gid = 0;
  std::vector<gid_t> groups;  // supplementary
  rlim_t fileSizeLimit = RLIM_INFINITY;

  // In a child only. The umask makes new files foreseeable; a write past the limit fails
  // instead of killing the child; whatever hangs (a FIFO opened) ends it after a minute. Without
  // root the child stays who it is, whom permission bits stop already.
  bool become() const {
    const rlimit limit{fileSizeLimit, fileSizeLimit};
    signal(SIGXFSZ, SIG_IGN);
    umask(022);
    alarm(60);
    return setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
           (geteuid() != 0 ||
            (setgroups(groups.size(), groups.data()) == 0 && setgid(gid) == 0 && setuid(uid) == 0));
  }
};
inline const Account kRoot{};
inline const Account kNobody{65534, 65534, {}};

// Runs `body` in a forked child, which keeps to itself whatever it changes. 0 when `body` returned
// true, 1 when false, -1 when the child died.
inline int inChild(const std::function<bool()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body() ? 0 : 1);
  int status = 0;
  const bool exited = waitpid(child, &status, 0) == child && WIFEXITED(status);
  return exited ? WEXITSTATUS(status) : -1;
}

}  // namespace orvane::test
