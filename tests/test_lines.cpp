#include "scan/linesplitter.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines splitInBlocks(std::string_view bytes, size_t blockSize) {
    scan::LineSplitter splitter;
    Lines lines;
    const auto collect = [&lines](std::string_view line) { lines.emplace_back(line); };
    for (size_t at = 0; at < bytes.size(); at += blockSize)
        splitter.feed(bytes.substr(at, blockSize), collect);
    splitter.finish(collect);
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
        EXPECT_EQ(splitInBlocks(bytes, blockSize), expected) << "block size " << blockSize;
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, LineEnds,
    ::testing::Values(LineEndCase{"", {}}, LineEndCase{"a", {"a"}},
                      LineEndCase{"a\r\nb\r\n", {"a", "b"}}, LineEndCase{"a\rb\r", {"a", "b"}},
                      LineEndCase{"a\nb\n", {"a", "b"}},
                      LineEndCase{"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
                      LineEndCase{"a\n\rb", {"a", "", "b"}}, LineEndCase{"\r\n\r\n", {"", ""}},
                      LineEndCase{"\r\r\n\n", {"", "", ""}},
                      LineEndCase{std::string("x\0y\r\n", 5), {std::string("x\0y", 3)}}));

TEST(LongLines, AreSkippedWholeWhateverTheBlocks) {
    const size_t limit = scan::LineSplitter::kMaxLineLength;
    const std::string longest(limit, 'k');
    const std::string tooLong(limit + 1, 's');
    const std::string bytes = "first\r\n" + tooLong + "\r\n" + longest + "\nlast" + "\r" + tooLong;
    for (size_t blockSize : {size_t{1000}, size_t{65536}, limit, limit + 3, bytes.size()}) {
        scan::LineSplitter splitter;
        Lines lines;
        const auto collect = [&lines](std::string_view line) { lines.emplace_back(line); };
        for (size_t at = 0; at < bytes.size(); at += blockSize)
            splitter.feed(std::string_view(bytes).substr(at, blockSize), collect);
        splitter.finish(collect);
        EXPECT_EQ(lines, (Lines{"first", longest, "last"})) << "block size " << blockSize;
        EXPECT_EQ(splitter.overlongLines(), 2u);
    }
}

} // namespace
