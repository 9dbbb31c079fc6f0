// The live objects of one kind (handles, open files, open keys, modules) that
// the POSIX layer tracks, so that a stale or foreign pointer is refused
// instead of dereferenced. Each kind has one table for the process, with its
// lock; the table is never destroyed, so it still answers while the process
// exits.
#pragma once

#include <mutex>
#include <unordered_set>

template <class T>
struct PalLiveObjects {
    std::mutex lock;
    std::unordered_set<T*> objects;
};

template <class T>
PalLiveObjects<T>& PalLive()
{
    static PalLiveObjects<T>* live = new PalLiveObjects<T>();
    return *live;
}
