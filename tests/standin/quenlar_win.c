/* Windows stand-in for Quenlar.exe: a real 64-bit console program, run under
 * Wine on Linux and by the Windows build's tests. When QUENLAR_STANDIN_LOG
 * names a file, each run appends one line in UTF-8: the size of the source
 * file (its first argument) as opened from inside the program, or -1, then the
 * raw command line (GetCommandLineW), then every parsed argument, all
 * separated by the unit separator (0x1F). With QUENLAR_STANDIN_HOLD=<ms> it
 * waits that long before it ends, so that its console can be looked at. */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>

static void put_utf8(HANDLE file, const wchar_t *text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
    if (size <= 1)
        return;
    char *buffer = (char *)malloc((size_t)size);
    if (!buffer)
        return;
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, size, NULL, NULL);
    DWORD written = 0;
    WriteFile(file, buffer, (DWORD)(size - 1), &written, NULL);
    free(buffer);
}

static long long file_size(const wchar_t *path)
{
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    LARGE_INTEGER size;
    long long result = GetFileSizeEx(h, &size) ? (long long)size.QuadPart : -1;
    CloseHandle(h);
    return result;
}

int main(void)
{
    const wchar_t *commandLine = GetCommandLineW();
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(commandLine, &argc);
    if (!argv)
        return 2;
    const long long size = argc > 1 ? file_size(argv[1]) : -1;

    printf("Quenlar stand-in: %d argument(s), source size %lld\n", argc - 1, size);
    fflush(stdout);

    wchar_t logName[MAX_PATH * 4];
    if (GetEnvironmentVariableW(L"QUENLAR_STANDIN_LOG", logName, MAX_PATH * 4)) {
        HANDLE log = CreateFileW(logName, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (log == INVALID_HANDLE_VALUE)
            return 1;
        /* One line in one write, so that parallel runs do not interleave. */
        size_t length = wcslen(commandLine) + 64;
        for (int i = 1; i < argc; ++i)
            length += wcslen(argv[i]) + 1;
        wchar_t *line = (wchar_t *)calloc(length + 2, sizeof(wchar_t));
        if (!line)
            return 2;
        swprintf(line, length, L"%lld\x1f%ls", size, commandLine);
        for (int i = 1; i < argc; ++i) {
            wcscat(line, L"\x1f");
            wcscat(line, argv[i]);
        }
        wcscat(line, L"\n");
        put_utf8(log, line);
        free(line);
        CloseHandle(log);
    }

    wchar_t hold[32];
    if (GetEnvironmentVariableW(L"QUENLAR_STANDIN_HOLD", hold, 32))
        Sleep((DWORD)_wtoi(hold));
    LocalFree(argv);
    return 0;
}
