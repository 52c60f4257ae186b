// measure RUNS [--remove FILE]... COMMAND...: runs a command RUNS times and prints its median wall
// time and median CPU time (user and system, all threads) in milliseconds and its largest peak
// resident memory in MB, as "ms=... cpu_ms=... rss_mb=...".
// Each FILE is removed before every run, untimed, so that a command that writes new files
// writes them anew each time. The command's output goes to /dev/null; a failing run fails the
// measurement.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: measure RUNS [--remove FILE]... COMMAND...\n");
        return 1;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<const char*> removed;
    int command = 2;
    while (command + 1 < argc && std::strcmp(argv[command], "--remove") == 0) {
        removed.push_back(argv[command + 1]);
        command += 2;
    }
    std::vector<double> times;
    std::vector<double> cpuTimes;
    long peakKb = 0;
    for (int run = 0; run < runs; ++run) {
        for (const char* file : removed)
            std::remove(file);
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            execvp(argv[command], argv + command);
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "measure: %s failed\n", argv[command]);
            return 1;
        }
        times.push_back(took.count());
        const auto milliseconds = [](const timeval& time) {
            return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
        };
        cpuTimes.push_back(milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime));
        peakKb = std::max(peakKb, usage.ru_maxrss);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    std::printf("ms=%.0f cpu_ms=%.0f rss_mb=%.1f\n", times[times.size() / 2],
                cpuTimes[cpuTimes.size() / 2], peakKb / 1024.0);
    return 0;
}
