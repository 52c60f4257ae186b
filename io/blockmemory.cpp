#include "io/blockmemory.h"

#include <QtGlobal>
#include <cstdint>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23 // Linux 5.14; older kernels refuse it, and the pages fault in
#endif
#endif

namespace io {

namespace {

// Maps the whole pages that lie inside the block; a refusal changes nothing but the speed.
void mapPagesAhead([[maybe_unused]] char* block, [[maybe_unused]] std::size_t size) {
#ifdef Q_OS_LINUX
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + page - 1) / page * page;
    const std::uintptr_t end = (start + size) / page * page;
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#endif
}

} // namespace

std::unique_ptr<char[]> newBlock(std::size_t size) {
    auto block = std::make_unique_for_overwrite<char[]>(size);
    mapPagesAhead(block.get(), size);
    return block;
}

} // namespace io
