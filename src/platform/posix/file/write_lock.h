// The lock that stands in for Windows' refusal to share a file open for
// writing with another writer. Windows refuses a second open of a file that
// is open for writing without FILE_SHARE_WRITE (a stream of _wfopen_s, a
// handle of CreateFileW with no write sharing) in every process; POSIX lets
// both write and their bytes interleave. So every open for writing takes an
// advisory lock on the open file (flock: it belongs to the open, so two opens
// in one process conflict as two processes do): an exclusive one when it does
// not share writing, a shared one when it does. Only writers take it; readers
// are not refused (Windows refuses them too while the file is open without
// read sharing; the handles of this process keep that rule among themselves).
#pragma once

enum class PalWriteLock { Shared, Exclusive };

// Takes the lock without waiting. False, with errno EWOULDBLOCK, when another
// open holds a lock that conflicts; true when the lock is held, and also when
// the file system keeps no such locks (the open then goes unguarded, as
// before).
bool PalTakeWriteLock(int fd, PalWriteLock kind);
