#include "WriterStarvation.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <dirent.h>
#include <iterator>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

std::vector<pid_t> ThreadIds()
{
    std::vector<pid_t> ids;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return ids;
    while (dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] >= '0' && entry->d_name[0] <= '9')
            ids.push_back(static_cast<pid_t>(std::atol(entry->d_name)));
    }
    closedir(tasks);
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::vector<pid_t> NewThreads(const std::vector<pid_t>& before, const std::vector<pid_t>& now)
{
    std::vector<pid_t> added;
    std::set_difference(now.begin(), now.end(), before.begin(), before.end(), std::back_inserter(added));
    return added;
}

bool StarveThreads(const std::vector<pid_t>& threads, std::string& error)
{
    pid_t self = static_cast<pid_t>(syscall(SYS_gettid));
    cpu_set_t allowed;
    if (sched_getaffinity(self, sizeof allowed, &allowed) != 0) {
        error = std::string("cannot read the logging thread's CPUs: ") + std::strerror(errno);
        return false;
    }
    int cpu = 0;
    while (cpu < CPU_SETSIZE && !CPU_ISSET(cpu, &allowed))
        ++cpu;
    cpu_set_t first;
    CPU_ZERO(&first);
    CPU_SET(cpu, &first);
    if (sched_setaffinity(self, sizeof first, &first) != 0) {
        error = "cannot pin the logging thread to CPU " + std::to_string(cpu) + ": " + std::strerror(errno);
        return false;
    }
    for (pid_t thread : threads) {
        sched_param idle{};
        if (sched_setaffinity(thread, sizeof first, &first) != 0 ||
            sched_setscheduler(thread, SCHED_IDLE, &idle) != 0) {
            error = "cannot starve thread " + std::to_string(thread) + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}
