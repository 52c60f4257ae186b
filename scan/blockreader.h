#pragma once

#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

class QIODevice;

namespace scan {

// Reads a device block by block on a thread of its own, one block ahead of the caller, so that
// the scan does not wait for the disk. The device is used by that thread alone until the reader
// is destroyed.
class BlockReader {
public:
    BlockReader(QIODevice& device, size_t blockSize);
    ~BlockReader(); // stops and waits for the reading thread
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;

    // The next block, valid until the next call; an empty view at the end. After a failed read,
    // an empty view and error() tells why.
    std::string_view next();
    const std::optional<QString>& error() const { return error_; }

private:
    void readLoop();

    QIODevice& device_;
    const size_t blockSize_;
    std::unique_ptr<char[]> current_; // the caller's block
    std::optional<QString> error_;    // the caller's copy of the reading thread's error

    std::mutex mutex_;
    std::condition_variable changed_;
    std::unique_ptr<char[]> ahead_; // the block being read
    qint64 aheadSize_ = 0;          // bytes read into it; 0 at the end, -1 after a failure
    bool aheadReady_ = false;
    bool stopping_ = false;
    QString aheadError_;
    std::thread reader_;
};

} // namespace scan
