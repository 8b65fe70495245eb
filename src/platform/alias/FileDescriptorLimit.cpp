#include "platform/alias/FileDescriptorLimit.h"

#include "foundation/KivStatusError.h"

#include <sys/resource.h>

#include <cerrno>
#include <fstream>

std::uint64_t raiseFileDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        logStatusError(errno, "getrlimit(RLIMIT_NOFILE)", __LINE__);
        return 0;
    }
    rlim_t target = limit.rlim_max;
    if (target == RLIM_INFINITY) {
        // The kernel refuses an unlimited descriptor count; nr_open is its ceiling.
        std::ifstream nrOpen("/proc/sys/fs/nr_open");
        unsigned long long ceiling = 0;
        target = (nrOpen >> ceiling) ? static_cast<rlim_t>(ceiling) : 1048576;
    }
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur >= target) {
        return limit.rlim_cur;
    }
    rlimit raised = limit;
    raised.rlim_cur = target;
    if (setrlimit(RLIMIT_NOFILE, &raised) != 0) {
        logStatusError(errno, "setrlimit(RLIMIT_NOFILE)", __LINE__);
        return limit.rlim_cur;
    }
    return raised.rlim_cur;
}
