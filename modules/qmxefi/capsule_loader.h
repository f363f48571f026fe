// Handing a capsule to the firmware through the kernel's capsule loader:
// the whole capsule written to dev/efi_capsule_loader, then the descriptor
// closed; the kernel reports a refused capsule on write or on close.
#pragma once

#include <sys/types.h>

#include <string>

#include "root_path.h"

namespace qmxefi {

constexpr const char kCapsuleLoader[] = "dev/efi_capsule_loader";

// The system calls, replaceable for tests (a close that fails cannot be
// made from a file). Each returns like the call it stands for, errno set.
struct LoaderOps {
    int (*open)(const char* path, int flags);
    ssize_t (*write)(int fd, const void* p, size_t n);
    int (*close)(int fd);
};
const LoaderOps& SystemLoaderOps();

bool LoaderPresent(const RootPath& root);

struct HandOverResult {
    int err = 0;       // 0: the loader took the whole capsule
    std::string step;  // "open", "read", "write" or "close"
};

// Streams the capsule file to the loader. A loader that takes nothing for
// wait_ms (a full pipe) fails with EAGAIN; SIGPIPE never reaches the process.
HandOverResult HandOverCapsule(const RootPath& root, const std::string& capsule_path, int wait_ms = 10000,
                               const LoaderOps& ops = SystemLoaderOps());

}  // namespace qmxefi
