#pragma once

#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>

class QIODevice;

namespace scan {

// Where report and CSV bytes go.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(std::string_view bytes) = 0;
    // Writes the pieces one after another: one call for a whole line.
    virtual void write(std::span<const std::string_view> pieces) {
        for (std::string_view piece : pieces)
            write(piece);
    }
};

// Keeps everything written, for the report text that the window shows.
class StringSink final : public ByteSink {
public:
    using ByteSink::write;
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
    void write(std::span<const std::string_view>) override {}
};

// Writes to an open device through large blocks. A full block is written on a thread of its own
// while the next one fills, so the scan does not wait for the disk; the device is used by that
// thread alone until flush() or abandon() returns. The first failed write (or an exception on the
// writing thread) is remembered and everything after it dropped, so a full disk ends in one clear
// error, not a crash or a file with holes.
//
// Every sink ends with flush() (all bytes written) or abandon() (the rest dropped on purpose);
// only after either may its device be closed or removed.
class BufferedFileSink final : public ByteSink {
public:
    // As the blocks read: few fresh pages to touch, and still few writes.
    static constexpr size_t kBlockSize = size_t{1} << 18;

    BufferedFileSink(QIODevice& device, QString path);
    ~BufferedFileSink() override; // abandons what was neither flushed nor abandoned, with a warning
    BufferedFileSink(const BufferedFileSink&) = delete;
    BufferedFileSink& operator=(const BufferedFileSink&) = delete;

    void write(std::string_view bytes) override;
    void write(std::span<const std::string_view> pieces) override;
    // Writes out everything and waits for it; false (with error() set) if any write failed.
    bool flush();
    // Drops what is not written yet, waits for a write under way and stops the writing thread.
    // Later writes are dropped too. The device is the caller's again when this returns.
    void abandon();

    const QString& path() const { return path_; }
    QString error() const;

private:
    void handOver();
    void writeLoop();
    void fail(const QString& reason);             // on the writing thread
    void writeOut(const char* data, size_t size); // on the writing thread
    void startWriteback(qint64 size);             // on the writing thread

    QIODevice& device_;
    QString path_;
    std::unique_ptr<char[]> filling_; // the block being filled, on the caller's thread
    size_t filled_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::unique_ptr<char[]> pending_; // the block being written, on the writing thread
    size_t pendingSize_ = 0;
    bool hasPending_ = false;
    bool dropping_ = false; // abandoned: the writing thread writes nothing more
    bool failed_ = false;
    QString error_;
    qint64 writtenBytes_ = 0; // on the writing thread
    std::thread writer_;
    bool abandoned_ = false; // on the caller's thread
};

} // namespace scan
