// The command-line tool's platform services on POSIX.
#include "pal/tool_support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "registry/registry_hive.h"
#include "user/prompt_cancel.h"

extern char** environ;

namespace {

struct PrivateRegistry {
    bool active = false;
    std::string folder;
    bool hadEarlier = false;
    std::string earlier;
};

// The private registry of this process, set up and removed under the lock.
PrivateRegistry g_registry;
std::mutex g_registryLock;

volatile sig_atomic_t g_interrupted = 0; // the signal's number

void OnInterrupt(int signalNumber)
{
    if (g_interrupted == 0)
        g_interrupted = signalNumber;
    PalCancelPrompts();
    // A second interrupt ends the process as usual.
    signal(signalNumber, SIG_DFL);
}

} // namespace

LONG PAL_BeginPrivateRegistry(std::string& where)
{
    std::lock_guard<std::mutex> guard(g_registryLock);
    PrivateRegistry& registry = g_registry;
    if (registry.active)
        return ERROR_ALREADY_EXISTS;
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error)
        base = "/tmp";
    std::string pattern = (base / "annalist-registry-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND;
    const char* earlier = std::getenv("ANNALIST_REGISTRY");
    registry.hadEarlier = earlier != nullptr;
    registry.earlier = earlier ? earlier : "";
    if (setenv("ANNALIST_REGISTRY", pattern.c_str(), 1) != 0) {
        std::filesystem::remove_all(pattern, error);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    registry.folder = pattern;
    registry.active = true;
    where = pattern;
    return ERROR_SUCCESS;
}

void PAL_EndPrivateRegistry()
{
    std::lock_guard<std::mutex> guard(g_registryLock);
    PrivateRegistry& registry = g_registry;
    if (!registry.active)
        return;
    if (registry.hadEarlier)
        setenv("ANNALIST_REGISTRY", registry.earlier.c_str(), 1);
    else
        unsetenv("ANNALIST_REGISTRY");
    std::error_code error;
    std::filesystem::remove_all(registry.folder, error);
    registry = PrivateRegistry();
}

LONG PAL_BeginRegistryBatch() { return PalBeginHiveBatch(PalRegistryFolder()); }

LONG PAL_EndRegistryBatch(bool keep) { return PalEndHiveBatch(keep); }

bool PAL_IsTerminal(FILE* stream) { return stream && isatty(fileno(stream)) == 1; }

std::string PAL_HomeFolder()
{
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

std::vector<std::string> PAL_Utf8Arguments(int argc, char** argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.emplace_back(argv[i] ? argv[i] : "");
    return arguments;
}

void PAL_UseUtf8Console() {}

void PAL_IgnoreBrokenPipe() { signal(SIGPIPE, SIG_IGN); }

void PAL_WatchInterrupt()
{
    // Without SA_RESTART: a wait in progress (a prompt) is interrupted.
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool PAL_Interrupted() { return g_interrupted != 0; }

int PAL_InterruptExitStatus() { return g_interrupted != 0 ? 128 + g_interrupted : 0; }

bool PAL_RunProgram(const std::vector<std::string>& arguments, const std::string& outputFile,
                    const std::string& errorFile, int& exitStatus, const std::string& inputFile)
{
    if (arguments.empty())
        return false;
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return false;
    posix_spawn_file_actions_addopen(&actions, 0, inputFile.empty() ? "/dev/null" : inputFile.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    int started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    if (WIFEXITED(status))
        exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        exitStatus = 128 + WTERMSIG(status);
    else
        exitStatus = -1;
    return true;
}
