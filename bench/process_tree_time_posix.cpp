// Runs a command with its standard streams on /dev/null and prints "<wall ms> <CPU ms>": its wall
// time and the user
// and system time of every process it started that ended with it. Under Wine `wine program.exe`
// hands the program to start.exe, whose own child is orphaned: the shell's `time` never sees
// the program's process. Made a subreaper, this process inherits such orphans, reaps them and so
// gets their times. Processes still running when the command ends (a service Wine started) are
// left alone and not counted.
//
//   kvtreetime <program> [arguments...]
//
// Exits with the command's exit code, 127 when it could not be started.
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

int main(int argc, char* argv[]) {
  if (argc < 2) return 127;
  if (prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) {
    std::perror("prctl");
    return 127;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return 127;
  if (child == 0) {
    const int null = open("/dev/null", O_RDWR);
    if (null < 0) _exit(127);
    for (int stream = 0; stream < 3; ++stream) dup2(null, stream);
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  int status = 0;
  for (;;) {
    int ended = 0;
    const pid_t pid = waitpid(-1, &ended, 0);
    if (pid == child) {
      status = ended;
      break;
    }
    if (pid < 0 && errno != EINTR) break;
  }
  const auto end = std::chrono::steady_clock::now();
  // An orphan whose parent ended just now may reach this process a moment later.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto ms = [](const timeval& time) { return time.tv_sec * 1000L + time.tv_usec / 1000L; };
  std::printf(
      "%ld %ld\n",
      static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(end - start).count()),
      ms(usage.ru_utime) + ms(usage.ru_stime));
  return WIFEXITED(status) ? WEXITSTATUS(status) : 127;
}
