#pragma once

#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace virlo::test {

// The ordinary user the tests act as when they run as root.
constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;

// Only root may act as another user.
inline bool CanActAsAnotherUser() { return ::geteuid() == 0; }
// The user a test acts as where rights matter: nobody when run as root, else this user.
inline uid_t OrdinaryUser() { return CanActAsAnotherUser() ? Nobody : ::geteuid(); }

// Runs what in a child process as user (with its group alone), and gives
// the status it ended with: what returns it, 128 + N when signal N killed
// it, 125 when it could not become that user.
inline int RunAs(uid_t user, const std::function<int()>& what) {
  const pid_t child = ::fork();
  if (child == 0) {
    const gid_t group = user == Nobody ? NoGroup : ::getegid();
    if (user != ::geteuid() && (::setgroups(0, nullptr) != 0 || ::setgid(group) != 0 || ::setuid(user) != 0)) {
      ::_exit(125);
    }
    ::_exit(what());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace virlo::test
