#pragma once

#include <QString>
#include <string>
#include <string_view>

class QIODevice;

namespace scan {

// Where report and CSV bytes go.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(std::string_view bytes) = 0;
};

// Keeps everything written, for the report text that the window shows.
class StringSink final : public ByteSink {
public:
    void write(std::string_view bytes) override { text_.append(bytes); }
    const std::string& text() const { return text_; }
    std::string takeText() { return std::move(text_); }

private:
    std::string text_;
};

// Drops everything: stands in for a file that could not be created.
class NullSink final : public ByteSink {
public:
    void write(std::string_view) override {}
};

// Writes to an open device through a large buffer. The first failed write is remembered and
// everything after it is dropped, so a full disk ends in one clear error, not a crash or a
// file with holes.
class BufferedFileSink final : public ByteSink {
public:
    static constexpr size_t kBufferSize = size_t{1} << 20;

    BufferedFileSink(QIODevice& device, QString path);
    void write(std::string_view bytes) override;
    // Writes out what is buffered; false (with error() set) if any write failed.
    bool flush();

    bool failed() const { return failed_; }
    const QString& path() const { return path_; }
    const QString& error() const { return error_; }

private:
    void writeOut(std::string_view bytes);

    QIODevice& device_;
    QString path_;
    std::string buffer_;
    bool failed_ = false;
    QString error_;
};

} // namespace scan
