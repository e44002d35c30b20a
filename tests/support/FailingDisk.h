#pragma once

#include "ListFiles.h"

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

namespace seiran::test {

// While alive, no file of this process may grow beyond `bytes`: a write past it fails as it does
// on a full disk (EFBIG instead of ENOSPC), without a special file system or privileges.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        mOldHandler = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of killing us
        getrlimit(RLIMIT_FSIZE, &mOld);
        rlimit limit = mOld;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &mOld);
        std::signal(SIGXFSZ, mOldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit mOld{};
    void (*mOldHandler)(int) = nullptr;
};

// While alive, the sync of the whole files written fails with `error` (EIO by default), as it does
// on a network share whose write errors first appear at the sync: every sync from the
// `firstFailing`-th on (counting from 1). calls() counts the syncs.
class FailingSync
{
public:
    explicit FailingSync(int error = EIO, int firstFailing = 1)
    {
        sError = error;
        sFirstFailing = firstFailing;
        sCalls = 0;
        mOld = SetFileSync([](int) { return ++sCalls >= sFirstFailing ? sError : 0; });
    }
    ~FailingSync() { SetFileSync(mOld); }
    FailingSync(const FailingSync&) = delete;
    FailingSync& operator=(const FailingSync&) = delete;
    static int calls() { return sCalls; }

private:
    static inline int sError = EIO;
    static inline int sFirstFailing = 1;
    static inline int sCalls = 0;
    FileSyncFunction mOld = nullptr;
};

} // namespace seiran::test
