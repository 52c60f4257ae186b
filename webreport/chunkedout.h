#pragma once

#include "io/bytesink.h"

#include <string>

namespace webreport {

// A text being written to a sink in pieces of about 64 KiB, so that a large page or document
// never stands whole in memory. The writers append to text() and call maybeFlush() between rows.
class ChunkedOut {
public:
    explicit ChunkedOut(io::ByteSink& sink) : sink_(sink) {}
    ~ChunkedOut() { flush(); }
    ChunkedOut(const ChunkedOut&) = delete;
    ChunkedOut& operator=(const ChunkedOut&) = delete;

    std::string& text() { return text_; }
    ChunkedOut& operator<<(std::string_view piece) {
        text_.append(piece);
        return *this;
    }
    ChunkedOut& operator<<(qint64 number) {
        text_.append(std::to_string(number));
        return *this;
    }
    void maybeFlush() {
        if (text_.size() >= kChunk) flush();
    }
    void flush() {
        if (!text_.empty()) sink_.write(text_);
        text_.clear();
    }

private:
    static constexpr size_t kChunk = size_t{1} << 16;
    io::ByteSink& sink_;
    std::string text_;
};

} // namespace webreport
