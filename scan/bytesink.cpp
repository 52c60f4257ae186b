#include "scan/bytesink.h"

#include <QIODevice>

namespace scan {

BufferedFileSink::BufferedFileSink(QIODevice& device, QString path)
    : device_(device), path_(std::move(path)) {
    buffer_.reserve(kBufferSize);
}

void BufferedFileSink::write(std::string_view bytes) {
    if (failed_) return;
    if (buffer_.size() + bytes.size() > kBufferSize) {
        writeOut(buffer_);
        buffer_.clear();
        if (bytes.size() > kBufferSize) { // a huge line goes straight through
            writeOut(bytes);
            return;
        }
    }
    buffer_.append(bytes);
}

bool BufferedFileSink::flush() {
    writeOut(buffer_);
    buffer_.clear();
    return !failed_;
}

void BufferedFileSink::writeOut(std::string_view bytes) {
    if (failed_ || bytes.empty()) return;
    const qint64 written = device_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (written == static_cast<qint64>(bytes.size())) return;
    failed_ = true;
    error_ = device_.errorString();
}

} // namespace scan
