// The command-line tool's platform services on Windows.
#include "pal/tool_support.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdlib>
#include <mutex>

namespace {

struct PrivateRegistry {
    bool active = false;
    HKEY key = nullptr;
    std::wstring path; // below HKEY_CURRENT_USER
};

// The private registry of this process, set up and removed under the lock.
PrivateRegistry g_registry;
std::mutex g_registryLock;

std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], units);
    return wide;
}

std::string Utf8(const wchar_t* text)
{
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1)
        return std::string();
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], bytes, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(bytes) - 1);
    return utf8;
}

volatile LONG g_interrupts = 0;

BOOL WINAPI OnConsoleControl(DWORD controlType)
{
    if (controlType != CTRL_C_EVENT && controlType != CTRL_BREAK_EVENT)
        return FALSE;
    // The first interrupt is the program's to handle; a second ends it.
    return InterlockedIncrement(&g_interrupts) == 1 ? TRUE : FALSE;
}

UINT g_earlierOutputCodePage = 0;

void RestoreConsoleCodePage()
{
    if (g_earlierOutputCodePage)
        SetConsoleOutputCP(g_earlierOutputCodePage);
}

// One argument quoted for the command line as CommandLineToArgvW reads it:
// backslashes double only before a quote.
void AppendQuoted(std::wstring& line, const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            line.append(backslashes * 2 + 1, L'\\');
        else
            line.append(backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// The machine keys that the system itself reads in the process while
// HKEY_LOCAL_MACHINE is private: the computer name (GetComputerNameW reads it
// through HKEY_LOCAL_MACHINE under Wine). Their values are copied into the
// private store, so that the logger still finds the machine's name.
const wchar_t* const kSystemKeys[] = {
    L"System\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
    L"System\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName",
};

// Copies the values of HKEY_LOCAL_MACHINE\path into store\path (volatile
// keys); a key that is missing or cannot be read is left out.
void CopySystemKey(HKEY store, const wchar_t* path)
{
    HKEY source = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &source) != ERROR_SUCCESS)
        return;
    HKEY target = nullptr;
    if (RegCreateKeyExW(store, path, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &target, nullptr) ==
        ERROR_SUCCESS) {
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD nameLength = 256;
            BYTE data[1024];
            DWORD size = sizeof(data);
            DWORD type = 0;
            LONG status = RegEnumValueW(source, index, name, &nameLength, nullptr, &type, data, &size);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status == ERROR_SUCCESS)
                RegSetValueExW(target, name, 0, type, data, size);
        }
        RegCloseKey(target);
    }
    RegCloseKey(source);
}

HANDLE InheritableFile(const std::wstring& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

LONG PAL_BeginPrivateRegistry(std::string& where)
{
    std::lock_guard<std::mutex> guard(g_registryLock);
    PrivateRegistry& registry = g_registry;
    if (registry.active)
        return ERROR_ALREADY_EXISTS;
    std::wstring path = L"Software\\AnnalistReplay-" + std::to_wstring(GetCurrentProcessId());
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &key, &disposition);
    if (status != ERROR_SUCCESS)
        return status;
    if (disposition == REG_OPENED_EXISTING_KEY)
        RegDeleteTreeW(key, nullptr); // left behind by an ended process with the same id
    for (const wchar_t* systemKey : kSystemKeys)
        CopySystemKey(key, systemKey);
    status = RegOverridePredefKey(HKEY_LOCAL_MACHINE, key);
    if (status != ERROR_SUCCESS) {
        RegCloseKey(key);
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
        return status;
    }
    registry.active = true;
    registry.key = key;
    registry.path = path;
    where = "HKEY_CURRENT_USER\\" + Utf8(path.c_str()) + " (volatile) in place of HKEY_LOCAL_MACHINE";
    return ERROR_SUCCESS;
}

void PAL_EndPrivateRegistry()
{
    std::lock_guard<std::mutex> guard(g_registryLock);
    PrivateRegistry& registry = g_registry;
    if (!registry.active)
        return;
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(registry.key);
    RegDeleteTreeW(HKEY_CURRENT_USER, registry.path.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, registry.path.c_str());
    registry = PrivateRegistry();
}

LONG PAL_BeginRegistryBatch() { return ERROR_SUCCESS; }

LONG PAL_EndRegistryBatch(bool) { return ERROR_SUCCESS; }

std::string PAL_HomeFolder()
{
    const wchar_t* home = _wgetenv(L"USERPROFILE");
    return home ? Utf8(home) : std::string();
}

bool PAL_IsTerminal(FILE* stream)
{
    if (!stream)
        return false;
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

std::vector<std::string> PAL_Utf8Arguments(int argc, char** argv)
{
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide) {
        for (int i = 0; i < count; ++i)
            arguments.push_back(Utf8(wide[i]));
        LocalFree(wide);
        return arguments;
    }
    for (int i = 0; i < argc; ++i)
        arguments.emplace_back(argv[i] ? argv[i] : "");
    return arguments;
}

void PAL_UseUtf8Console()
{
    if (g_earlierOutputCodePage || !(PAL_IsTerminal(stdout) || PAL_IsTerminal(stderr)))
        return;
    g_earlierOutputCodePage = GetConsoleOutputCP();
    if (g_earlierOutputCodePage && SetConsoleOutputCP(CP_UTF8))
        std::atexit(RestoreConsoleCodePage);
    else
        g_earlierOutputCodePage = 0;
}

void PAL_IgnoreBrokenPipe() {}

void PAL_WatchInterrupt() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool PAL_Interrupted() { return g_interrupts != 0; }

int PAL_InterruptExitStatus() { return g_interrupts != 0 ? 130 : 0; }

bool PAL_RunProgram(const std::vector<std::string>& arguments, const std::string& outputFile,
                    const std::string& errorFile, int& exitStatus, const std::string& inputFile)
{
    if (arguments.empty())
        return false;
    std::wstring line;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i)
            line += L' ';
        AppendQuoted(line, Wide(arguments[i]));
    }
    HANDLE input =
        InheritableFile(inputFile.empty() ? std::wstring(L"NUL") : Wide(inputFile), GENERIC_READ, OPEN_EXISTING);
    HANDLE output = InheritableFile(Wide(outputFile), GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE error = InheritableFile(Wide(errorFile), GENERIC_WRITE, CREATE_ALWAYS);
    bool started = false;
    if (input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE && error != INVALID_HANDLE_VALUE) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = output;
        startup.hStdError = error;
        PROCESS_INFORMATION process = {};
        std::wstring program = Wide(arguments[0]);
        if (CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                           &process)) {
            started = true;
            WaitForSingleObject(process.hProcess, INFINITE);
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            exitStatus = static_cast<int>(code);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    for (HANDLE handle : {input, output, error})
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    return started;
}
