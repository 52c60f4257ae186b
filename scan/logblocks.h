#pragma once

#include "io/fileproblem.h"

#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QFile;
class QIODevice;

namespace scan {

// Opens a log to be read as a scan reads it, in large blocks of its own: the problem, if it
// cannot be opened.
std::optional<io::FileProblem> openLog(QFile& log);

// A line longer than this is skipped whole, without being held in memory.
constexpr size_t kMaxLineLength = size_t{1} << 20;

// A block of the log in memory, with room in front for the line that the block before left
// unfinished.
struct LogBlock {
    std::unique_ptr<char[]> bytes;
    size_t capacity = 0;
};

// Where one read left whole lines in its block.
struct LineStretch {
    size_t begin = 0;
    size_t end = 0;
    qint64 bytesRead = 0; // from the log by this read
    bool last = false;    // the log has ended: the stretch ends with its last line, if any

    std::string_view in(const LogBlock& block) const {
        return std::string_view(block.bytes.get() + begin, end - begin);
    }
};

// Reads a log in blocks cut at line ends, so that each stretch it gives holds whole lines only.
// Each block is read behind room for the line that the block before left unfinished, which is put
// in front of it; its own unfinished line is kept for the next block. A CR LF cut between two
// blocks leaves an empty line in the second, which counts for nothing. A line that grows longer
// than kMaxLineLength is dropped, and so is the rest of it in later blocks, so memory stays
// bounded whatever the lines.
class LineBlockReader {
public:
    LineBlockReader(QIODevice& log, size_t blockSize) : log_(log), blockSize_(blockSize) {}

    // A new block with room for a read and the usual unfinished line.
    LogBlock newBlock() const;
    // Reads the next block into `block`, which grows when an unfinished line needs more room;
    // nothing once the log has ended or failed, also by an exception.
    std::optional<LineStretch> read(LogBlock& block);
    // Why the log could not be read to its end, once read() has failed.
    const std::optional<QString>& error() const { return error_; }

private:
    std::optional<LineStretch> readBlock(LogBlock& block);
    void placeUnfinishedLine(LogBlock& block, LineStretch& stretch);
    void keepUnfinishedLine(std::string_view more);

    QIODevice& log_;
    const size_t blockSize_;
    std::string unfinished_;    // the start of a line that goes on in the next block
    std::string spare_;         // the next block's unfinished line, while this one is placed
    bool skippingLine_ = false; // inside a line too long to keep
    bool ended_ = false;
    std::optional<QString> error_;
};

// The first CR or LF in [from, end), or end. `nextLf` remembers the next LF across calls over one
// stretch (start it as null), so that a stretch without any LF (a CR-only log) is searched for it
// once, not once per line.
const char* lineEnd(const char* from, const char* end, const char*& nextLf);

// Hands every line of `lines`, a stretch of whole lines, to `onLine`, without its line end.
// CR LF, a lone CR and a lone LF each end a line; the last line needs none. Empty lines, which
// never count, and lines longer than kMaxLineLength are passed over.
template <typename OnLine> void forEachLine(std::string_view lines, OnLine&& onLine) {
    const char* pos = lines.data();
    const char* const end = pos + lines.size();
    const char* nextLf = nullptr;
    while (pos != end) {
        const char* const stop = lineEnd(pos, end, nextLf);
        const auto length = static_cast<size_t>(stop - pos);
        if (length > 0 && length <= kMaxLineLength) onLine(std::string_view(pos, length));
        if (stop == end) return;
        pos = stop + 1;
        if (*stop == '\r' && pos != end && *pos == '\n') ++pos;
    }
}

} // namespace scan
