#include "file/write_lock.h"

#include <sys/file.h>

#include <cerrno>

bool PalTakeWriteLock(int fd, PalWriteLock kind)
{
    int operation = (kind == PalWriteLock::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    for (;;) {
        if (flock(fd, operation) == 0)
            return true;
        if (errno == EINTR)
            continue;
        // Any other failure (ENOLCK, EOPNOTSUPP, ...) means the file system
        // cannot tell: the open goes on without the guard.
        return errno != EWOULDBLOCK;
    }
}
