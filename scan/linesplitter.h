#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scan {

// Cuts a byte stream, fed in blocks of any size, into lines. CR LF, a lone CR and a lone LF each
// end a line; a CR LF split across two blocks ends one line, not two. The last line needs no line
// end. A line longer than kMaxLineLength is skipped whole without being held in memory.
//
// Lines that lie inside one block are handed out as views into that block; only a line that
// spans blocks is copied, into one reused buffer.
class LineSplitter {
public:
    static constexpr size_t kMaxLineLength = size_t{1} << 20;

    template <typename OnLine> void feed(std::string_view block, OnLine&& onLine);

    // Hands out the unterminated last line, if any.
    template <typename OnLine> void finish(OnLine&& onLine);

    // Whether `line` is held by the splitter (it began in an earlier block), and so changes with
    // the next block.
    bool holds(std::string_view line) const { return line.data() == partial_.data(); }

    // How many lines were skipped for their length.
    size_t overlongLines() const { return overlongLines_; }

private:
    static const char* findLineEnd(const char* from, const char* end, const char*& nextLf);
    void keepPartial(std::string_view piece);

    std::string partial_;
    bool hasPartial_ = false; // partial_ holds the start of a line (possibly empty so far)
    bool skipping_ = false;   // inside an overlong line
    bool afterCr_ = false;    // the previous block ended with CR: a leading LF belongs to it
    size_t overlongLines_ = 0;
};

template <typename OnLine> void LineSplitter::feed(std::string_view block, OnLine&& onLine) {
    if (block.empty()) return;
    const char* pos = block.data();
    const char* const end = pos + block.size();
    if (afterCr_ && *pos == '\n') ++pos;
    afterCr_ = false;

    const char* nextLf = nullptr;
    while (pos != end) {
        const char* stop = findLineEnd(pos, end, nextLf);
        if (stop == end) {
            keepPartial(std::string_view(pos, static_cast<size_t>(end - pos)));
            return;
        }
        const std::string_view piece(pos, static_cast<size_t>(stop - pos));
        if (skipping_) {
            skipping_ = false;
        } else if (hasPartial_) {
            keepPartial(piece);
            if (!skipping_) onLine(std::string_view(partial_));
            skipping_ = false;
        } else if (piece.size() > kMaxLineLength) {
            ++overlongLines_;
        } else {
            onLine(piece);
        }
        hasPartial_ = false;
        partial_.clear();

        pos = stop + 1;
        if (*stop == '\r') {
            if (pos == end)
                afterCr_ = true;
            else if (*pos == '\n')
                ++pos;
        }
    }
}

template <typename OnLine> void LineSplitter::finish(OnLine&& onLine) {
    if (hasPartial_ && !skipping_) onLine(std::string_view(partial_));
    hasPartial_ = false;
    skipping_ = false;
    afterCr_ = false;
    partial_.clear();
}

} // namespace scan
