// UTF-8 arguments, console, folder and file names of the operator program
// on Windows; the plain calls elsewhere.
#include "operator/utf8_console.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#else
#include <unistd.h>
#endif

#ifdef _WIN32
static std::string utf8(const wchar_t *text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
    if (n <= 1)
        return std::string();
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &bytes[0], n, NULL, NULL);
    bytes.resize(n - 1);
    return bytes;
}

static std::wstring wide(const std::string &text)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, NULL, 0);
    if (n <= 1)
        return std::wstring();
    std::wstring chars(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &chars[0], n);
    chars.resize(n - 1);
    return chars;
}

static UINT console_code_page;

static void restore_console_code_page()
{
    SetConsoleOutputCP(console_code_page);
}
#endif

std::vector<std::string> utf8_arguments(int argc, char **argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t **wide_args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide_args && i < count; i++)
        args.push_back(utf8(wide_args[i]));
    LocalFree(wide_args);
    return args;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

void show_utf8_on_console()
{
#ifdef _WIN32
    DWORD mode;
    bool console = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
                   GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode);
    if (!console || GetConsoleOutputCP() == CP_UTF8)
        return;
    console_code_page = GetConsoleOutputCP();
    if (SetConsoleOutputCP(CP_UTF8))
        atexit(restore_console_code_page);
#endif
}

std::string current_folder_utf8()
{
#ifdef _WIN32
    DWORD n = GetCurrentDirectoryW(0, NULL);
    std::wstring folder(n, L'\0');
    if (n == 0 || GetCurrentDirectoryW(n, &folder[0]) == 0)
        return ".";
    folder.resize(n - 1);
    return utf8(folder.c_str());
#else
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : ".";
#endif
}

bool change_folder_utf8(const std::string &folder)
{
#ifdef _WIN32
    if (SetCurrentDirectoryW(wide(folder).c_str()))
        return true;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
    return false;
#else
    return chdir(folder.c_str()) == 0;
#endif
}

std::string c_library_path(const std::string &utf8_path)
{
#ifdef _WIN32
    size_t slash = utf8_path.find_last_of("/\\");
    if (slash != std::string::npos) {
        std::string folder = utf8_path.substr(0, slash);
        std::string name = utf8_path.substr(slash + 1);
        // GetFullPathNameW folds "C:\kiosk\." and "C:/kiosk" into one spelling.
        wchar_t a[MAX_PATH * 4], b[MAX_PATH * 4];
        if (!name.empty() && GetFullPathNameW(wide(folder.empty() ? "\\" : folder).c_str(), MAX_PATH * 4, a, NULL) &&
            GetFullPathNameW(L".", MAX_PATH * 4, b, NULL) && CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL)
            return c_library_path(name);
    }
    std::wstring chars = wide(utf8_path);
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, chars.c_str(), -1, NULL, 0, NULL, &lossy);
    if (n <= 1 || lossy)
        return std::string();
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, chars.c_str(), -1, &bytes[0], n, NULL, NULL);
    bytes.resize(n - 1);
    return bytes;
#else
    return utf8_path;
#endif
}

FILE *temporary_file()
{
#ifdef _WIN32
    wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"tab", 0, name))
        return NULL;
    // T: kept in memory where it can be; D: deleted when closed.
    return _wfopen(name, L"w+bTD");
#else
    return tmpfile();
#endif
}
