// A lock held across the processes of one user (a locked file in the velsync home): what keeps two
// sync runs of the same user from overlapping, whichever process starts them.
#pragma once

#include <memory>
#include <string>

#include "platform/win32_error.h"

namespace platform {

inline constexpr LONG ERROR_LOCK_VIOLATION = 33;

class UserLock {
  public:
    // Takes the lock `name` without waiting. ERROR_LOCK_VIOLATION when another holder has it (in this
    // process or another), ERROR_ACCESS_DENIED when the lock file cannot be opened; `lock` untouched on
    // failure. Ownership: the caller owns the lock; destroying it lets go.
    [[nodiscard]] static LONG TryAcquire(const std::string& name, std::unique_ptr<UserLock>* lock);
    // The process id the holder wrote into the lock file: 0 when nobody holds the lock, -1 when the
    // holder's id is unknown.
    static long HolderPid(const std::string& name);

    ~UserLock();
    UserLock(const UserLock&) = delete;
    UserLock& operator=(const UserLock&) = delete;

  private:
    explicit UserLock(int fd) : m_fd(fd) {}
    int m_fd;
};

}  // namespace platform
