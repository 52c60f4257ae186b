// Preloaded into a program under test, the disk fails the first sync the program asks for, as a
// full network share or a failing disk does: that sync reports EIO, later ones go through.
#include <atomic>
#include <cerrno>
#include <dlfcn.h>

namespace {

std::atomic<bool> failed{false};

int failFirst(const char* name, int handle) {
    if (!failed.exchange(true)) {
        errno = EIO;
        return -1;
    }
    using Sync = int (*)(int);
    return reinterpret_cast<Sync>(dlsym(RTLD_NEXT, name))(handle);
}

} // namespace

extern "C" int fdatasync(int handle) {
    return failFirst("fdatasync", handle);
}

extern "C" int fsync(int handle) {
    return failFirst("fsync", handle);
}
