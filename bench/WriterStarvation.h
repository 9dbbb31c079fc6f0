// Starving the logger's writer thread without changing the library: the
// driver finds the thread that "StartRepLog" started (the one thread that
// appeared in /proc/self/task) and moves it to the SCHED_IDLE class, and pins
// it and the logging thread to one CPU (the first the process may use; CPU 0
// on an unrestricted machine). The writer then runs only when the
// logging thread waits, so whatever the writer cannot take stays queued:
// the memory figures show whether the queue is bounded.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// The ids of this process's threads.
std::vector<pid_t> ThreadIds();

// The threads in `now` that are not in `before`.
std::vector<pid_t> NewThreads(const std::vector<pid_t>& before, const std::vector<pid_t>& now);

// Pins the calling thread and the given threads to one CPU and moves the given
// threads to SCHED_IDLE. False with the reason when a call fails.
bool StarveThreads(const std::vector<pid_t>& threads, std::string& error);
