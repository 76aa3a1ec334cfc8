// Runs one command with its output sent to a file and prints its wall time in
// seconds and its peak resident memory in KiB (of the largest process it waited for).
//
//   tessaron-bench-measure OUTFILE COMMAND [ARG...]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tessaron-bench-measure OUTFILE COMMAND [ARG...]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
        const int out = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || dup2(out, 1) < 0) _exit(127);
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return 2;
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    std::printf("%.4f %ld\n", wall.count(), usage.ru_maxrss);
    // The checker exits 1 when it reports something; only a crash is a failure.
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1 ? 0 : 1;
}
