#include "scan/logblocks.h"

#include <QBuffer>
#include <gtest/gtest.h>
#include <string>
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

} // namespace
