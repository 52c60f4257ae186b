#include "io/bytesink.h"

#include "io/blockmemory.h"
#include "io/threadfailure.h"

#include <QFileDevice>
#include <QIODevice>
#include <QtGlobal>
#include <cstdint>
#include <cstring>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <unistd.h>
#endif

namespace io {

namespace {

// Copies a short piece with a few fixed-size moves instead of a call: lines are made of many
// short pieces. Overlapping moves cover every length without reading past the piece.
void copyBytes(char* out, const char* in, size_t size) {
    if (size > 16) {
        std::memcpy(out, in, size);
    } else if (size >= 8) {
        std::uint64_t head, tail;
        std::memcpy(&head, in, 8);
        std::memcpy(&tail, in + size - 8, 8);
        std::memcpy(out, &head, 8);
        std::memcpy(out + size - 8, &tail, 8);
    } else if (size >= 4) {
        std::uint32_t head, tail;
        std::memcpy(&head, in, 4);
        std::memcpy(&tail, in + size - 4, 4);
        std::memcpy(out, &head, 4);
        std::memcpy(out + size - 4, &tail, 4);
    } else if (size > 0) {
        out[0] = in[0];
        out[size / 2] = in[size / 2];
        out[size - 1] = in[size - 1];
    }
}

// Copies the pieces one after another to `out`, which has room for all of them.
void copyPieces(char* out, std::span<const std::string_view> pieces) {
    for (std::string_view piece : pieces) {
        copyBytes(out, piece.data(), piece.size());
        out += piece.size();
    }
}

template <typename T> std::vector<T> withRoomFor(size_t count) {
    std::vector<T> items;
    items.reserve(count);
    return items;
}

} // namespace

void StringSink::write(const LinePieces& line) {
    const size_t at = text_.size();
    text_.resize(at + line.size);
    copyPieces(text_.data() + at, line.pieces);
}

BufferedFileSink::BufferedFileSink(QIODevice& device, QString path, Finish finish)
    : device_(device), path_(std::move(path)), finish_(finish), filling_(newBlock(kBlockSize)),
      queued_(withRoomFor<Block>(kMaxQueued)),
      free_(withRoomFor<std::unique_ptr<char[]>>(kMaxBlocks)), writer_([this] { writeLoop(); }) {}

BufferedFileSink::~BufferedFileSink() {
    if (abandoned_) return;
    bool unwritten = filled_ > 0;
    {
        const std::lock_guard lock(mutex_);
        unwritten = unwritten || writing_ || !queued_.empty();
    }
    if (unwritten) qWarning("%s: dropped without flush() or abandon()", qUtf8Printable(path_));
    abandon();
}

void BufferedFileSink::abandon() {
    if (abandoned_) return;
    abandoned_ = true;
    filled_ = 0;
    {
        const std::lock_guard lock(mutex_);
        dropping_ = true;
    }
    queueChanged_.notify_one();
    writer_.join();
}

void BufferedFileSink::write(std::string_view bytes) {
    write(LinePieces{std::span(&bytes, 1), bytes.size()});
}

void BufferedFileSink::write(const LinePieces& line) {
    if (abandoned_) return;
    if (filled_ + line.size > kBlockSize) handOver();
    if (filled_ + line.size <= kBlockSize) {
        copyPieces(fillingBlock() + filled_, line.pieces);
        filled_ += line.size;
        return;
    }
    for (std::string_view piece : line.pieces) {
        // A piece larger than a block (a very long line) goes through in block-sized parts.
        while (!piece.empty()) {
            if (filled_ == kBlockSize) handOver();
            const size_t part = std::min(piece.size(), kBlockSize - filled_);
            std::memcpy(fillingBlock() + filled_, piece.data(), part);
            filled_ += part;
            piece.remove_prefix(part);
        }
    }
}

// Queues the filled block for the writing thread, once there is room in the queue, and goes on
// with a block already written, if there is one. The queue never grows: this takes no memory.
void BufferedFileSink::handOver() {
    if (filled_ == 0) return;
    std::unique_lock lock(mutex_);
    blockWritten_.wait(lock, [this] { return queued_.size() < kMaxQueued; });
    queued_.push_back({std::move(filling_), filled_});
    filled_ = 0;
    if (!free_.empty()) {
        filling_ = std::move(free_.back());
        free_.pop_back();
    }
    const bool wakeWriter = writerHasWork();
    lock.unlock();
    if (wakeWriter) queueChanged_.notify_one();
}

// The block to fill, new if none was free when the last one was handed over: only a write needs
// one, so a flush that finds no block free does not fail for want of memory.
char* BufferedFileSink::fillingBlock() {
    if (!filling_) filling_ = newBlock(kBlockSize);
    return filling_.get();
}

void BufferedFileSink::finishWriting() {
    if (abandoned_) return;
    {
        const std::lock_guard lock(mutex_);
        draining_ = true;
    }
    handOver();
    queueChanged_.notify_one();
}

bool BufferedFileSink::flush() {
    if (abandoned_) return false;
    finishWriting();
    std::unique_lock lock(mutex_);
    blockWritten_.wait(lock, [this] { return queued_.empty() && !writing_; });
    return !failed_;
}

QString BufferedFileSink::error() const {
    const std::lock_guard lock(mutex_);
    return error_;
}

// The writing thread: once woken, writes the queued blocks until none is left, and so on until
// the sink is abandoned. An exception from a write counts as a failed write.
void BufferedFileSink::writeLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        queueChanged_.wait(lock, [this] { return writerHasWork() || dropping_; });
        while (!queued_.empty() && !dropping_)
            writeFirstQueued(lock);
        if (dropping_) return;
    }
}

bool BufferedFileSink::writerHasWork() const {
    return queued_.size() >= kWakeWriterAt || (draining_ && !queued_.empty());
}

// Writes the oldest queued block with the lock let go, then hands its memory back for filling.
void BufferedFileSink::writeFirstQueued(std::unique_lock<std::mutex>& lock) {
    Block block = std::move(queued_.front());
    queued_.erase(queued_.begin());
    writing_ = true;
    const bool skip = failed_;
    const bool last = draining_ && queued_.empty();
    lock.unlock();
    std::optional<QString> thrown;
    if (!skip) thrown = exceptionFrom([&] { writeOut(block.bytes.get(), block.size, last); });
    lock.lock();
    if (thrown) {
        failed_ = true;
        error_ = std::move(*thrown);
    }
    free_.push_back(std::move(block.bytes));
    writing_ = false;
    lock.unlock();
    blockWritten_.notify_one();
    lock.lock();
}

// `last`: the last block before the caller waits for all to be written. A write that comes out
// short (the disk filled part way) has not said why: the rest is written again, which either
// goes through or fails with the system's reason.
void BufferedFileSink::writeOut(const char* data, size_t size, bool last) {
    for (size_t done = 0; done < size;) {
        const qint64 written = device_.write(data + done, static_cast<qint64>(size - done));
        if (written <= 0) {
            fail(device_.errorString());
            return;
        }
        done += static_cast<size_t>(written);
    }
    unsynced_ += static_cast<qint64>(size);
    if (finish_ == Finish::Commit && (last || unsynced_ >= kSyncInterval)) sync();
}

void BufferedFileSink::fail(const QString& reason) {
    const std::lock_guard lock(mutex_);
    failed_ = true;
    error_ = reason;
}

// Puts what has been written of a file that is to be committed on disk now, while the scan goes
// on (or while other sinks finish): the sync of the commit then finds little left, where it
// would otherwise wait for the whole file. Where there is no such call (or no file) the commit's
// sync does it all.
void BufferedFileSink::sync() {
    unsynced_ = 0;
#ifdef Q_OS_LINUX
    if (auto* file = qobject_cast<QFileDevice*>(&device_); file && file->handle() >= 0) {
        int synced = 0;
        do
            synced = fdatasync(file->handle());
        while (synced != 0 && errno == EINTR);
        if (synced != 0) fail(qt_error_string(errno));
    }
#endif
}

} // namespace io
