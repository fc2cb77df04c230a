// Stand-in for Quenlar.exe, for the tests and the benchmark. When the variable
// QUENLAR_STANDIN_LOG names a file, each run appends one line to it: the
// steady-clock time of the start in nanoseconds, then every argument, all
// separated by the unit separator (0x1F).
#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    const auto started = std::chrono::steady_clock::now().time_since_epoch();
    const char *log = std::getenv("QUENLAR_STANDIN_LOG");
    if (!log)
        return 0;
    std::FILE *f = std::fopen(log, "ab");
    if (!f)
        return 1;
    std::fprintf(f, "%lld",
                 static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(started).count()));
    for (int i = 1; i < argc; ++i) {
        std::fputc(0x1F, f);
        std::fputs(argv[i], f);
    }
    std::fputc('\n', f);
    std::fclose(f);
    return 0;
}
