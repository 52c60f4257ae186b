// Reading a log: lines cut at their ends whatever the read blocks, and the reading threads.
#include "scan/logblocks.h"
#include "scan/recordsource.h"

#include <QBuffer>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// The lines of `bytes`, read in blocks of `blockSize` as the scan reads a log.
Lines readInBlocks(const std::string& bytes, size_t blockSize) {
    QBuffer device;
    device.setData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    device.open(QIODevice::ReadOnly);
    scan::LineBlockReader reader(device, blockSize);
    scan::LogBlock block = reader.newBlock();
    Lines lines;
    while (const auto stretch = reader.read(block)) {
        scan::forEachLine(stretch->in(block),
                          [&](std::string_view line) { lines.emplace_back(line); });
        if (stretch->last) break;
    }
    EXPECT_FALSE(reader.error());
    return lines;
}

struct LineEndCase {
    std::string bytes;
    Lines lines;
};

class LineEnds : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(LineEnds, SplitTheSameInBlocksOfAnySize) {
    const auto& [bytes, expected] = GetParam();
    for (size_t blockSize = 1; blockSize <= bytes.size() + 1; ++blockSize)
        EXPECT_EQ(readInBlocks(bytes, blockSize), expected) << "block size " << blockSize;
}

// Empty lines count for nothing and are passed over.
INSTANTIATE_TEST_SUITE_P(
    Bytes, LineEnds,
    ::testing::Values(LineEndCase{"", {}}, LineEndCase{"a", {"a"}},
                      LineEndCase{"a\r\nb\r\n", {"a", "b"}}, LineEndCase{"a\rb\r", {"a", "b"}},
                      LineEndCase{"a\nb\n", {"a", "b"}},
                      LineEndCase{"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
                      LineEndCase{"a\n\rb", {"a", "b"}}, LineEndCase{"\r\n\r\n", {}},
                      LineEndCase{"ab\r\r\n\ncd", {"ab", "cd"}},
                      LineEndCase{std::string("x\0y\r\n", 5), {std::string("x\0y", 3)}}));

TEST(LongLines, AreSkippedWholeWhateverTheBlocks) {
    const size_t limit = scan::kMaxLineLength;
    const std::string longest(limit, 'k');
    const std::string tooLong(limit + 1, 's');
    const std::string bytes = "first\r\n" + tooLong + "\r\n" + longest + "\nlast" + "\r" + tooLong;
    for (size_t blockSize : {size_t{1000}, size_t{65536}, limit, limit + 3, bytes.size()})
        EXPECT_EQ(readInBlocks(bytes, blockSize), (Lines{"first", longest, "last"}))
            << "block size " << blockSize;
}

// An exception that takes its time to unwind, so that the other reading thread reads the rest of
// the log in the meantime.
struct SlowToUnwind : std::runtime_error {
    SlowToUnwind() : std::runtime_error("the disk went away") {}
    SlowToUnwind(const SlowToUnwind&) = default;
    ~SlowToUnwind() override { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }
};

// Serves a log, and throws on its read number `throwAt`.
class ThrowingDevice final : public QIODevice {
public:
    ThrowingDevice(std::string bytes, int throwAt) : bytes_(std::move(bytes)), throwAt_(throwAt) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (++reads_ == throwAt_) throw SlowToUnwind();
        const size_t size = std::min(static_cast<size_t>(maxSize), bytes_.size() - served_);
        std::memcpy(data, bytes_.data() + served_, size);
        served_ += size;
        return static_cast<qint64>(size);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::string bytes_;
    int throwAt_;
    int reads_ = 0;
    size_t served_ = 0;
};

class ReadThatThrows : public ::testing::TestWithParam<int> {};

TEST_P(ReadThatThrows, EndsTheRecordsWithAFailure) {
    std::string log;
    for (int i = 0; i < 40; ++i)
        log += "p.mv,CUT,0:0:0:1,x,08:00,A\r\n";
    ThrowingDevice device(log, GetParam());
    scan::RecordSource source(device, {}, 64);
    while (source.next()) {
    }
    EXPECT_EQ(source.error(), QStringLiteral("the disk went away"));
}

INSTANTIATE_TEST_SUITE_P(OnRead, ReadThatThrows, ::testing::Values(1, 2, 3));

} // namespace
