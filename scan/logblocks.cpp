#include "scan/logblocks.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace scan {

namespace {

// Room in front of each block for the unfinished line of the block before; a longer one makes
// its block grow.
constexpr size_t kCarryRoom = 4096;

} // namespace

std::optional<io::FileProblem> openLog(QFile& log) {
    if (log.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return std::nullopt;
    return io::FileProblem{log.fileName(), log.errorString()};
}

const char* lineEnd(const char* from, const char* end, const char*& nextLf) {
    if (nextLf == nullptr || nextLf < from) {
        const void* hit = std::memchr(from, '\n', static_cast<size_t>(end - from));
        nextLf = hit ? static_cast<const char*>(hit) : end;
    }
    // The CR search runs only up to that LF, which in a CR LF log is one line away.
    const void* cr = std::memchr(from, '\r', static_cast<size_t>(nextLf - from));
    return cr ? static_cast<const char*>(cr) : nextLf;
}

LogBlock LineBlockReader::newBlock() const {
    const size_t capacity = blockSize_ + kCarryRoom;
    return {std::make_unique_for_overwrite<char[]>(capacity), capacity};
}

std::optional<LineStretch> LineBlockReader::read(LogBlock& block) {
    if (ended_) return std::nullopt;
    // Until the read is done: one that throws half way leaves the unfinished line in doubt, and
    // nothing is read after it.
    ended_ = true;
    std::optional<LineStretch> stretch = readBlock(block);
    ended_ = !stretch || stretch->last;
    return stretch;
}

std::optional<LineStretch> LineBlockReader::readBlock(LogBlock& block) {
    const size_t room = block.capacity - blockSize_;
    char* const fresh = block.bytes.get() + room;
    const qint64 got = log_.read(fresh, static_cast<qint64>(blockSize_));
    if (got < 0) {
        error_ = log_.errorString();
        return std::nullopt;
    }
    LineStretch stretch{room, room, got, got == 0};
    if (stretch.last) { // the log's last line, if it has no line end
        placeUnfinishedLine(block, stretch);
        unfinished_ = std::string();
        return stretch;
    }

    const std::string_view bytes(fresh, static_cast<size_t>(got));
    size_t begin = 0;
    if (skippingLine_) {
        begin = std::min(bytes.find_first_of("\r\n"), bytes.size());
        skippingLine_ = begin == bytes.size();
    }
    const size_t lastEnd = bytes.find_last_of("\r\n");
    if (lastEnd == std::string_view::npos || lastEnd < begin) {
        keepUnfinishedLine(bytes.substr(begin));
        return stretch;
    }
    const size_t cut = lastEnd + 1;
    stretch.begin = room + begin;
    stretch.end = room + cut;
    spare_.assign(bytes.substr(cut));
    placeUnfinishedLine(block, stretch);
    unfinished_.swap(spare_);
    keepUnfinishedLine({});
    return stretch;
}

// Puts the unfinished line of the block before in front of the stretch; the block grows when
// the line is longer than the room there.
void LineBlockReader::placeUnfinishedLine(LogBlock& block, LineStretch& stretch) {
    const size_t carried = unfinished_.size();
    if (carried > stretch.begin) {
        const size_t size = stretch.end - stretch.begin;
        LogBlock grown{std::make_unique_for_overwrite<char[]>(carried + blockSize_),
                       carried + blockSize_};
        std::memcpy(grown.bytes.get() + carried, block.bytes.get() + stretch.begin, size);
        block = std::move(grown);
        stretch.begin = carried;
        stretch.end = carried + size;
    }
    stretch.begin -= carried;
    std::memcpy(block.bytes.get() + stretch.begin, unfinished_.data(), carried);
}

// Adds `more` to the unfinished line. A line grown longer than a line may be is dropped, and so
// is the rest of it in later blocks.
void LineBlockReader::keepUnfinishedLine(std::string_view more) {
    if (skippingLine_) return;
    unfinished_.append(more);
    if (unfinished_.size() <= kMaxLineLength) return;
    skippingLine_ = true;
    unfinished_ = std::string();
}

} // namespace scan
