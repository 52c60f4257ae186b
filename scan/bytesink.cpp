#include "scan/bytesink.h"

#include "scan/threadfailure.h"

#include <QFileDevice>
#include <QIODevice>
#include <QtGlobal>
#include <cstdint>
#include <cstring>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

namespace scan {

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

} // namespace

BufferedFileSink::BufferedFileSink(QIODevice& device, QString path)
    : device_(device), path_(std::move(path)),
      filling_(std::make_unique_for_overwrite<char[]>(kBlockSize)),
      pending_(std::make_unique_for_overwrite<char[]>(kBlockSize)),
      writer_([this] { writeLoop(); }) {}

BufferedFileSink::~BufferedFileSink() {
    if (abandoned_) return;
    bool unwritten = filled_ > 0;
    {
        const std::lock_guard lock(mutex_);
        unwritten = unwritten || hasPending_;
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
    changed_.notify_all();
    writer_.join();
}

void BufferedFileSink::write(std::string_view bytes) {
    write(std::span(&bytes, 1));
}

void BufferedFileSink::write(std::span<const std::string_view> pieces) {
    if (abandoned_) return;
    size_t size = 0;
    for (std::string_view piece : pieces)
        size += piece.size();
    if (filled_ + size > kBlockSize) handOver();
    if (filled_ + size <= kBlockSize) {
        char* out = filling_.get() + filled_;
        for (std::string_view piece : pieces) {
            copyBytes(out, piece.data(), piece.size());
            out += piece.size();
        }
        filled_ += size;
        return;
    }
    for (std::string_view piece : pieces) {
        // A piece larger than a block (a very long line) goes through in block-sized parts.
        while (!piece.empty()) {
            if (filled_ == kBlockSize) handOver();
            const size_t part = std::min(piece.size(), kBlockSize - filled_);
            std::memcpy(filling_.get() + filled_, piece.data(), part);
            filled_ += part;
            piece.remove_prefix(part);
        }
    }
}

// Gives the filled block to the writing thread, once it has written the one before, and goes on
// with that one's memory.
void BufferedFileSink::handOver() {
    if (filled_ == 0) return;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !hasPending_; });
    std::swap(filling_, pending_);
    pendingSize_ = filled_;
    hasPending_ = true;
    filled_ = 0;
    lock.unlock();
    changed_.notify_all();
}

bool BufferedFileSink::flush() {
    if (abandoned_) return false;
    handOver();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !hasPending_; });
    return !failed_;
}

QString BufferedFileSink::error() const {
    const std::lock_guard lock(mutex_);
    return error_;
}

// The writing thread: writes each block handed over until the sink is abandoned. An exception
// from a write counts as a failed write.
void BufferedFileSink::writeLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return hasPending_ || dropping_; });
        if (dropping_) return;
        const bool skip = failed_;
        lock.unlock();
        std::optional<QString> thrown;
        if (!skip) thrown = exceptionFrom([this] { writeOut(pending_.get(), pendingSize_); });
        lock.lock();
        if (thrown) {
            failed_ = true;
            error_ = std::move(*thrown);
        }
        hasPending_ = false;
        changed_.notify_all();
    }
}

void BufferedFileSink::writeOut(const char* data, size_t size) {
    const qint64 written = device_.write(data, static_cast<qint64>(size));
    if (written == static_cast<qint64>(size)) {
        startWriteback(written);
        return;
    }
    fail(device_.errorString());
}

void BufferedFileSink::fail(const QString& reason) {
    const std::lock_guard lock(mutex_);
    failed_ = true;
    error_ = reason;
}

// Asks the system to start putting the bytes just written on disk, so that a final sync (as when
// a saved report is committed) has little left to wait for. A hint only: where it does not
// apply (a pipe, another system) nothing happens.
void BufferedFileSink::startWriteback([[maybe_unused]] qint64 size) {
#ifdef Q_OS_LINUX
    if (auto* file = qobject_cast<QFileDevice*>(&device_); file && file->handle() >= 0) {
        sync_file_range(file->handle(), writtenBytes_, size, SYNC_FILE_RANGE_WRITE);
    }
#endif
    writtenBytes_ += size;
}

} // namespace scan
