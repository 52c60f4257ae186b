// measure RUNS COMMAND...: runs a command RUNS times and prints its median wall time and median
// CPU time (user and system, all threads) in milliseconds and its largest peak resident memory
// in MB, as "ms=... cpu_ms=... rss_mb=...".
// The command's output goes to /dev/null; a failing run fails the measurement.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: measure RUNS COMMAND...\n");
        return 1;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<double> times;
    std::vector<double> cpuTimes;
    long peakKb = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            execvp(argv[2], argv + 2);
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "measure: %s failed\n", argv[2]);
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
