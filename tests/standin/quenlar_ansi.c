/* ANSI stand-in for Quenlar.exe: a console program of the tool's own kind,
 * which gets its arguments in the system's ANSI code page (main) and opens its
 * source with fopen. When QUENLAR_STANDIN_LOG names a file, each run appends
 * one line in UTF-8, as the Windows stand-in does (standin/quenlar_win.c): the
 * size of the source file (its first argument) as fopen opened it, or -1, then
 * the command line (GetCommandLineA) and every argument as the program
 * received them, all separated by the unit separator (0x1F). */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Appends an ANSI text to `line`, in UTF-8. */
static void append(char *line, size_t size, const char *ansi)
{
    int count = MultiByteToWideChar(CP_ACP, 0, ansi, -1, NULL, 0);
    wchar_t *wide = (wchar_t *)calloc((size_t)count + 1, sizeof(wchar_t));
    if (!wide)
        return;
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, count);
    size_t used = strlen(line);
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, line + used, (int)(size - used), NULL, NULL);
    free(wide);
}

int main(int argc, char **argv)
{
    long long size = -1;
    if (argc > 1) {
        FILE *source = fopen(argv[1], "rb");
        if (source) {
            if (fseek(source, 0, SEEK_END) == 0)
                size = ftell(source);
            fclose(source);
        }
    }
    printf("Quenlar stand-in (ANSI): %d argument(s), source size %lld\n", argc - 1, size);
    fflush(stdout);

    wchar_t logName[MAX_PATH * 4];
    if (!GetEnvironmentVariableW(L"QUENLAR_STANDIN_LOG", logName, MAX_PATH * 4))
        return 0;
    HANDLE log = CreateFileW(logName, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    /* One line in one write, so that parallel runs do not interleave; each
     * ANSI byte is at most three in UTF-8. */
    const char *commandLine = GetCommandLineA();
    size_t length = 3 * strlen(commandLine) + 64;
    for (int i = 1; i < argc; ++i)
        length += 3 * strlen(argv[i]) + 1;
    char *line = (char *)calloc(length, 1);
    if (!line)
        return 2;
    snprintf(line, length, "%lld\x1f", size);
    append(line, length, commandLine);
    for (int i = 1; i < argc; ++i) {
        strcat(line, "\x1f");
        append(line, length, argv[i]);
    }
    strcat(line, "\n");
    DWORD written = 0;
    WriteFile(log, line, (DWORD)strlen(line), &written, NULL);
    free(line);
    CloseHandle(log);
    return 0;
}
