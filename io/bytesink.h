#pragma once

#include "io/fileproblem.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QIODevice;

namespace io {

// Where report bytes go: kept in memory (the window's text), or written to a device (a file,
// standard output) in large blocks. A device's first failed write, or an exception from it, is
// remembered and everything after it dropped, so that a full disk ends in one clear problem, not
// in a file with holes.
class ByteSink {
public:
    // Blocks of this size are written to a device: few writes, and little memory.
    static constexpr size_t kBlockSize = size_t{1} << 18;

    ByteSink() = default; // keeps everything written, for text()
    ByteSink(QIODevice& device, QString path);
    // For a file that could not be opened: drops everything, and finish() tells why.
    explicit ByteSink(FileProblem problem);
    ByteSink(const ByteSink&) = delete;
    ByteSink& operator=(const ByteSink&) = delete;

    ByteSink& operator<<(std::string_view bytes) {
        buffer_.append(bytes);
        if (buffer_.size() >= writeOutAt_) writeOut();
        return *this;
    }
    ByteSink& operator<<(qint64 number);

    // Called after every block written to the device, with its size.
    void afterEachBlock(std::function<void(qint64 bytes)> written) {
        blockWritten_ = std::move(written);
    }

    // For writers that append to it in place: what they append goes out with the next write.
    std::string& buffer() { return buffer_; }

    // Writes out what is buffered: the problem, if any write failed (or the file never opened).
    std::optional<FileProblem> finish();

    // The first failure so far, if any.
    const std::optional<FileProblem>& problem() const { return problem_; }

    // Everything written, for a sink without a device.
    const std::string& text() const { return buffer_; }
    std::string takeText() { return std::move(buffer_); }

private:
    void writeOut();

    QIODevice* device_ = nullptr;
    QString path_;
    size_t writeOutAt_ = std::string::npos; // never, for a sink that keeps everything
    std::function<void(qint64)> blockWritten_;
    std::string buffer_;
    std::optional<FileProblem> problem_;
};

} // namespace io
