// Memory for a further block that cannot be had: a sink that has all its bytes needs none to
// flush them.
#include "scan/bytesink.h"

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <new>

namespace {
std::atomic<bool> failNextBlock{false}; // the next new[] of a block's size throws, on any thread
}

void* operator new[](std::size_t size) {
    if (size == scan::BufferedFileSink::kBlockSize && failNextBlock.exchange(false))
        throw std::bad_alloc();
    return ::operator new(size);
}
void operator delete[](void* memory) noexcept {
    ::operator delete(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    ::operator delete(memory);
}

namespace {

TEST(OutOfMemory, FlushNeedsNoNewBlock) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("report.tmp")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    scan::BufferedFileSink sink(file, file.fileName());
    sink.write("17/11/2026\r\n");
    failNextBlock = true;
    EXPECT_TRUE(sink.flush());
    failNextBlock = false;
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "17/11/2026\r\n");
}

} // namespace
