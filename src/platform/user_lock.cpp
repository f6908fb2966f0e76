#include "platform/user_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/paths.h"

namespace platform {

namespace {

std::string LockPath(const std::string& name) {
    return VelsyncHome() + "/" + name;
}

}  // namespace

LONG UserLock::TryAcquire(const std::string& name, std::unique_ptr<UserLock>* lock) {
    const int fd = open(LockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return ERROR_ACCESS_DENIED;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        return error == EWOULDBLOCK ? ERROR_LOCK_VIOLATION : ERROR_ACCESS_DENIED;
    }
    const std::string pid = std::to_string(static_cast<long>(getpid())) + "\n";
    // The pid is only for messages; the lock holds without it.
    const bool recorded =
        ftruncate(fd, 0) == 0 && pwrite(fd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
    static_cast<void>(recorded);
    lock->reset(new (std::nothrow) UserLock(fd));
    if (!*lock) {
        close(fd);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return ERROR_SUCCESS;
}

long UserLock::HolderPid(const std::string& name) {
    const int fd = open(LockPath(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    long pid = 0;
    if (flock(fd, LOCK_SH | LOCK_NB) != 0) {
        char text[32] = {};
        const ssize_t got = pread(fd, text, sizeof text - 1, 0);
        if (got > 0)
            pid = std::strtol(text, nullptr, 10);
        if (pid <= 0)
            pid = -1;
    }
    close(fd);
    return pid;
}

UserLock::~UserLock() {
    // Emptied first, so that a reader never takes a stale pid for a holder.
    const bool emptied = ftruncate(m_fd, 0) == 0;
    static_cast<void>(emptied);
    close(m_fd);
}

}  // namespace platform
