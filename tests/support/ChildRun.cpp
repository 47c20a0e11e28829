#include "ChildRun.h"

#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvane::test {

bool Account::become() const {
  const rlimit limit{fileSizeLimit, fileSizeLimit};
  ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing the child
  ::umask(022);
  return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 && ::setgroups(groups.size(), groups.data()) == 0 &&
         ::setgid(gid) == 0 && ::setuid(uid) == 0;
}

std::string inChild(const std::function<std::string()>& body) {
  int channel[2];
  if (::pipe(channel) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    const std::string result = body();
    _exit(::write(channel[1], result.data(), result.size()) == static_cast<ssize_t>(result.size())
              ? 0
              : 1);
  }
  ::close(channel[1]);
  std::string result;
  char block[4096];
  for (ssize_t got; (got = ::read(channel[0], block, sizeof block)) > 0;)
    result.append(block, static_cast<std::size_t>(got));
  ::close(channel[0]);
  int status = 0;
  const bool exited = ::waitpid(child, &status, 0) == child && WIFEXITED(status);
  return exited && WEXITSTATUS(status) == 0 ? result : "child died";
}

bool privateMounts() {
  return ::unshare(CLONE_NEWNS) == 0 &&
         ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

}  // namespace orvane::test
