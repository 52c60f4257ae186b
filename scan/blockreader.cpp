#include "scan/blockreader.h"

#include <QIODevice>

namespace scan {

BlockReader::BlockReader(QIODevice& device, size_t blockSize)
    : device_(device), blockSize_(blockSize), current_(std::make_unique_for_overwrite<char[]>(blockSize)),
      ahead_(std::make_unique_for_overwrite<char[]>(blockSize)), reader_([this] { readLoop(); }) {}

BlockReader::~BlockReader() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    reader_.join();
}

std::string_view BlockReader::next() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return aheadReady_; });
    const qint64 size = aheadSize_;
    if (size < 0) error_ = aheadError_;
    if (size <= 0) return {}; // the end: leave the thread waiting to stop
    std::swap(current_, ahead_);
    aheadReady_ = false;
    lock.unlock();
    changed_.notify_all();
    return {current_.get(), static_cast<size_t>(size)};
}

void BlockReader::readLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !aheadReady_ || stopping_; });
        if (stopping_) return;
        char* block = ahead_.get();
        lock.unlock();
        const qint64 got = device_.read(block, static_cast<qint64>(blockSize_));
        const QString failure = got < 0 ? device_.errorString() : QString();
        lock.lock();
        aheadSize_ = got;
        aheadError_ = failure;
        aheadReady_ = true;
        changed_.notify_all();
        if (got <= 0) {
            changed_.wait(lock, [this] { return stopping_; });
            return;
        }
    }
}

} // namespace scan
