// Stand-in for the viewer program, for the tests of Dravolt's side: when the
// variable DRAVOLT_VIEWER_STANDIN_LOG names a file, each run appends one line
// to it (its process id, then every argument, separated by 0x1F), and then
// stays open until it is ended from outside.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

int main(int argc, char **argv)
{
    if (const char *log = std::getenv("DRAVOLT_VIEWER_STANDIN_LOG")) {
        std::FILE *f = std::fopen(log, "ab");
        if (!f)
            return 1;
        std::fprintf(f, "%lld", static_cast<long long>(getpid()));
        for (int i = 1; i < argc; ++i) {
            std::fputc(0x1F, f);
            std::fputs(argv[i], f);
        }
        std::fputc('\n', f);
        std::fclose(f);
    }
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}
