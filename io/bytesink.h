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
#include <vector>

class QIODevice;

namespace io {

// A line handed over in pieces, with its length. Whoever lays the line out adds the length up
// from the pieces as it holds them: reading the sizes back from the list just written would
// stall on every line.
struct LinePieces {
    std::span<const std::string_view> pieces;
    size_t size = 0; // of all the pieces together: a sink copies that many bytes
};

// Where report and CSV bytes go.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(std::string_view bytes) = 0;
    // Writes the pieces one after another: one call for a whole line.
    virtual void write(const LinePieces& line) {
        for (std::string_view piece : line.pieces)
            write(piece);
    }
};

// Keeps everything written: the report text that the window shows, or lines laid out ahead.
class StringSink final : public ByteSink {
public:
    void write(std::string_view bytes) override { text_.append(bytes); }
    void write(const LinePieces& line) override;
    const std::string& text() const { return text_; }
    std::string takeText() { return std::move(text_); }
    void clear() { text_.clear(); } // keeps the memory for what comes next

private:
    std::string text_;
};

// Drops everything: stands in for a file that could not be created.
class NullSink final : public ByteSink {
public:
    void write(std::string_view) override {}
    void write(const LinePieces&) override {}
};

// Writes to an open device through large blocks. Full blocks are written on a thread of their
// own while the next ones fill, so the scan does not wait for the disk; the device is used by
// that thread alone until flush() or abandon() returns. The first failed write (or an exception
// on the writing thread) is remembered and everything after it dropped, so a full disk ends in
// one clear error, not a crash or a file with holes.
//
// Every sink ends with flush() (all bytes written) or abandon() (the rest dropped on purpose);
// only after either may its device be closed or removed.
class BufferedFileSink final : public ByteSink {
public:
    // As the blocks read: few fresh pages to touch, and still few writes.
    static constexpr size_t kBlockSize = size_t{1} << 18;

    // What the file's owner does with it once it is written.
    enum class Finish {
        Close,  // closes it (or leaves it open): the bytes may stay in the system's cache
        Commit, // syncs it to disk as it puts it in place, as a saved file is
    };

    BufferedFileSink(QIODevice& device, QString path, Finish finish = Finish::Close);
    ~BufferedFileSink() override; // abandons what was neither flushed nor abandoned, with a warning
    BufferedFileSink(const BufferedFileSink&) = delete;
    BufferedFileSink& operator=(const BufferedFileSink&) = delete;

    void write(std::string_view bytes) override;
    void write(const LinePieces& line) override;
    // Lets the writing thread write out everything, without waiting for it: sinks told one after
    // another finish side by side. A file to be committed is also synced at the end.
    void finishWriting();
    // Writes out everything and waits for it; false (with error() set) if any write failed.
    bool flush();
    // Drops what is not written yet, waits for a write under way and stops the writing thread.
    // Later writes are dropped too. The device is the caller's again when this returns.
    void abandon();

    const QString& path() const { return path_; }
    QString error() const;

private:
    struct Block {
        std::unique_ptr<char[]> bytes;
        size_t size = 0;
    };
    // Full blocks waiting for the writing thread: room for what a fast caller fills while a sync
    // is under way (4 MiB: a sync of a few ms, sometimes tens), so that it does not hold the
    // caller up; and the thread is woken for several at a time, not for each.
    static constexpr size_t kMaxQueued = 16;
    static constexpr size_t kWakeWriterAt = 4;
    // Queued, being written and being filled: the free list never holds more.
    static constexpr size_t kMaxBlocks = kMaxQueued + 2;
    // How much a file that is to be committed is written between two syncs: short syncs, so that
    // the disk is kept busy along the way and the queue does not fill during one.
    static constexpr qint64 kSyncInterval = qint64{2} << 20;

    void handOver();
    char* fillingBlock();
    bool writerHasWork() const; // with mutex_ held
    void writeLoop();
    // On the writing thread:
    void writeFirstQueued(std::unique_lock<std::mutex>& lock);
    void fail(const QString& reason);
    void writeOut(const char* data, size_t size, bool last);
    void sync();

    QIODevice& device_;
    QString path_;
    const Finish finish_;
    std::unique_ptr<char[]> filling_; // the block being filled (none yet: null), caller's thread
    size_t filled_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable queueChanged_; // the writing thread waits on it for blocks, or the end
    std::condition_variable blockWritten_; // the caller waits on it for room, or for all written
    // Oldest first. Room for all from the start: handing a block over (as a flush does) then
    // takes no memory, so a flush reports its outcome and never throws.
    std::vector<Block> queued_;
    // Blocks written, for filling again: room for all from the start, as the writing thread
    // cannot take the memory for it itself without risking an uncaught exception.
    std::vector<std::unique_ptr<char[]>> free_;
    bool writing_ = false;  // the writing thread holds a block
    bool draining_ = false; // finishing: the writing thread writes even a single block
    bool dropping_ = false; // abandoned: the writing thread writes nothing more
    bool failed_ = false;
    QString error_;
    qint64 unsynced_ = 0; // on the writing thread
    std::thread writer_;
    bool abandoned_ = false; // on the caller's thread
};

} // namespace io
