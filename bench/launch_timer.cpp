// Times a program from the moment before it is started to its first frame, as stamped
// (CLOCK_MONOTONIC, nanoseconds, one line) into a file by the paint probe or by the
// program itself. Prints the milliseconds between the two, then the milliseconds of CPU
// time (user and system) the child had used when it ended, which the paint probe makes
// the moment after the first frame.
//
//   bench_launch_timer [--preload LIB] [--timeout SECONDS] STAMP_FILE -- PROGRAM [ARGS...]
//
// The child gets BMI_PROBE_OUT=STAMP_FILE, BMI_LAUNCH_NS (the start time, for a program
// that breaks its own start-up down) and, with --preload, LD_PRELOAD=LIB: set in the
// child only, so the launcher itself stays small. The child runs in its own process
// group, which is killed when the child ends or the timeout passes, so nothing left in
// that group outlives the measurement. Exit status: 0 measured, 1 usage, 2 timeout,
// 3 no stamp.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

int usage() {
    std::fputs("usage: bench_launch_timer [--preload LIB] [--timeout SECONDS] STAMP_FILE -- "
               "PROGRAM [ARGS...]\n",
               stderr);
    return 1;
}

bool readStamp(const char* path, long long& stamp) {
    std::FILE* in = std::fopen(path, "r");
    if (!in)
        return false;
    char line[64] = {};
    const bool got = std::fgets(line, sizeof line, in) != nullptr;
    std::fclose(in);
    if (!got)
        return false;
    long long value = 0;
    int digits = 0;
    for (const char* p = line; *p >= '0' && *p <= '9'; ++p, ++digits)
        value = value * 10 + (*p - '0');
    stamp = value;
    return digits > 0;
}

} // namespace

int main(int argc, char** argv) {
    const char* preload = nullptr;
    int timeoutSeconds = 30;
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && std::string_view(argv[i]) != "--"; i += 2) {
        if (i + 1 >= argc)
            return usage();
        const std::string_view option = argv[i];
        if (option == "--preload") {
            preload = argv[i + 1];
        } else if (option == "--timeout") {
            timeoutSeconds = 0;
            for (const char* p = argv[i + 1]; *p; ++p) {
                if (*p < '0' || *p > '9' || timeoutSeconds > 100000)
                    return usage();
                timeoutSeconds = timeoutSeconds * 10 + (*p - '0');
            }
        } else {
            return usage();
        }
    }
    if (i + 2 >= argc || std::string_view(argv[i + 1]) != "--")
        return usage();
    const char* stampPath = argv[i];
    char** program = argv + i + 2;

    // The child's environment, made before the clock starts.
    std::vector<std::string> owned;
    for (char** e = environ; *e; ++e) {
        const std::string_view entry = *e;
        if (entry.starts_with("BMI_PROBE_OUT=") || entry.starts_with("BMI_LAUNCH_NS=") ||
            (preload && entry.starts_with("LD_PRELOAD=")))
            continue;
        owned.emplace_back(entry);
    }
    owned.push_back(std::string("BMI_PROBE_OUT=") + stampPath);
    if (preload)
        owned.push_back(std::string("LD_PRELOAD=") + preload);
    char launchEntry[64] = "BMI_LAUNCH_NS=";
    std::vector<char*> env;
    for (std::string& entry : owned)
        env.push_back(entry.data());
    env.push_back(launchEntry);
    env.push_back(nullptr);

    if (unlink(stampPath) != 0 && errno != ENOENT) {
        std::perror(stampPath);
        return 1;
    }
    sigset_t childSignal, previous;
    sigemptyset(&childSignal);
    sigaddset(&childSignal, SIGCHLD);
    sigprocmask(SIG_BLOCK, &childSignal, &previous);

    const long long start = monotonicNs();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return 1;
    }
    if (pid == 0) {
        setpgid(0, 0);
        std::snprintf(launchEntry, sizeof launchEntry, "BMI_LAUNCH_NS=%lld", start);
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        execve(program[0], program, env.data());
        std::perror(program[0]);
        _exit(127);
    }
    setpgid(pid, pid); // either side may get there first

    int status = 0;
    rusage usage{};
    bool ended = false;
    const long long deadline = start + timeoutSeconds * 1000000000LL;
    while (!ended) {
        const pid_t got = wait4(pid, &status, WNOHANG, &usage);
        if (got == pid) {
            ended = true;
            break;
        }
        const long long left = deadline - monotonicNs();
        if (left <= 0)
            break;
        const timespec wait{static_cast<time_t>(left / 1000000000LL),
                            static_cast<long>(left % 1000000000LL)};
        sigtimedwait(&childSignal, nullptr, &wait);
    }
    // Whatever the child left behind in its group goes with it.
    kill(-pid, SIGKILL);
    if (!ended) {
        waitpid(pid, &status, 0);
        std::fprintf(stderr, "bench_launch_timer: %s showed no frame within %d s\n", program[0],
                     timeoutSeconds);
        return 2;
    }

    long long stamp = 0;
    if (!readStamp(stampPath, stamp)) {
        if (WIFEXITED(status))
            std::fprintf(stderr, "bench_launch_timer: %s exited with %d before its first frame\n",
                         program[0], WEXITSTATUS(status));
        else
            std::fprintf(stderr, "bench_launch_timer: %s was killed by signal %d\n", program[0],
                         WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        return 3;
    }
    const double cpuMs = (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
                          static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec)) /
                         1e3;
    std::printf("%.3f %.3f\n", static_cast<double>(stamp - start) / 1e6, cpuMs);
    return 0;
}
