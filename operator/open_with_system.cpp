// Opening a written file with the system's default program: ShellExecuteW on
// Windows, xdg-open (found through PATH) elsewhere.
#include "operator/open_with_system.h"

#include <errno.h>
#include <string.h>
#include <unistd.h>

#ifdef _WIN32
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#else
#include <spawn.h>
#include <sys/wait.h>
extern char **environ;
#endif

#ifdef _WIN32
static std::wstring wide(const std::string &text)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, NULL, 0);
    std::wstring chars(n > 0 ? n : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &chars[0], n);
    chars.resize(wcslen(chars.c_str()));
    return chars;
}
#endif

bool open_with_system(const std::string &utf8_path, std::string *reason)
{
#ifdef _WIN32
    // Windows' own separators, so the program that opens it sees an ordinary path.
    std::wstring path = wide(utf8_path);
    for (wchar_t &c : path)
        if (c == L'/')
            c = L'\\';
    // Some associations run through shell extensions, which want COM (as Microsoft's notes on ShellExecute say).
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // No verb: the file's default one, as a double click in Explorer.
    HINSTANCE done = ShellExecuteW(NULL, NULL, path.c_str(), NULL, NULL, SW_SHOWNORMAL);
    if ((INT_PTR)done > 32)
        return true;
    *reason = (INT_PTR)done == SE_ERR_NOASSOC ? "nessun programma è associato a questo tipo di file"
                                              : "Windows non l'ha aperto (errore " + std::to_string((INT_PTR)done) + ")";
    return false;
#else
    // xdg-open may stay as long as the program it starts: it is not waited for,
    // but a grandchild, so the system reaps it and no zombie stays behind.
    char name[] = "xdg-open";
    char *args[] = {name, const_cast<char *>(utf8_path.c_str()), NULL};
    pid_t middle = fork();
    if (middle < 0) {
        *reason = strerror(errno);
        return false;
    }
    if (middle == 0) {
        pid_t opener;
        _exit(posix_spawnp(&opener, name, NULL, NULL, args, environ) == 0 ? 0 : 127);
    }
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    *reason = "manca xdg-open, che apre i file col programma predefinito";
    return false;
#endif
}

void show_failure_window(const std::string &text)
{
#ifdef _WIN32
    // Started from a shortcut, the program is the only one on its console,
    // which closes at exit: the window stays until it is read. In a console
    // of its own (cmd) or with standard error redirected, the line is enough.
    DWORD mode, processes[2];
    if (GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) && GetConsoleProcessList(processes, 2) == 1)
        MessageBoxW(NULL, wide(text).c_str(), L"Tabellone", MB_OK | MB_ICONERROR);
#else
    (void)text;
#endif
}
