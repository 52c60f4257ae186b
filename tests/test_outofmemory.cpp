// Memory for a further block that cannot be had: a sink that has all its bytes needs none to
// flush them. Nor does a flush take any other memory: callers check its result, not exceptions.
#include "io/bytesink.h"

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <string>

namespace {
std::atomic<bool> failNextBlock{false}; // the next new[] of a block's size throws, on any thread
thread_local bool noMemoryHere = false; // every new on this thread throws
} // namespace

void* operator new(std::size_t size) {
    if (noMemoryHere) throw std::bad_alloc();
    if (void* memory = std::malloc(size > 0 ? size : 1)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

void* operator new[](std::size_t size) {
    if (size == io::BufferedFileSink::kBlockSize && failNextBlock.exchange(false))
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
    io::BufferedFileSink sink(file, file.fileName());
    sink.write("17/11/2026\r\n");
    failNextBlock = true;
    EXPECT_TRUE(sink.flush());
    failNextBlock = false;
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "17/11/2026\r\n");
}

// No memory on the caller's thread while it flushes, for as many flushes as it takes a queue of
// blocks that grows now and then to need some.
TEST(OutOfMemory, FlushTakesNoMemory) {
    struct NoMemoryHere {
        NoMemoryHere() { noMemoryHere = true; }
        ~NoMemoryHere() { noMemoryHere = false; }
    };
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("report.tmp")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    io::BufferedFileSink sink(file, file.fileName());
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        const std::string line = std::to_string(i) + "\r\n";
        sink.write(line);
        expected += line;
        bool flushed = false;
        {
            const NoMemoryHere guard;
            flushed = sink.flush();
        }
        ASSERT_TRUE(flushed) << i;
    }
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), expected);
}

} // namespace
