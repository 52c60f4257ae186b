#pragma once

#include "scan/logrecord.h"

#include <QString>
#include <array>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class QIODevice;

namespace scan {

// The CUT records of one block of the log, in log order. The records' views point into the
// block, or into `heldLine` for the one line that began in an earlier block.
struct RecordBatch {
    std::unique_ptr<char[]> block;
    std::string heldLine;
    std::vector<CutRecord> records;
    qint64 bytes = 0; // of the log, in this block
};

// Reads a log, cuts it into lines and picks out its CUT records on a thread of its own, so that
// the scan adds up and writes one block while the next is read and parsed. The device is used by
// that thread alone until the source is destroyed. A failed read and an exception on that thread
// both end the batches early, with the reason in error().
class RecordSource {
public:
    RecordSource(QIODevice& log, size_t blockSize);
    ~RecordSource(); // stops and waits for the thread
    RecordSource(const RecordSource&) = delete;
    RecordSource& operator=(const RecordSource&) = delete;

    // The next batch, valid until the next call; null at the end or after a failed read.
    const RecordBatch* next();
    // Why reading failed, once next() has returned null.
    std::optional<QString> error();

private:
    static constexpr size_t kBatches = 3; // one parsed, one waiting, one being added up

    void parseLoop();
    void parseBlocks();
    void finishWithError(const QString& reason);
    RecordBatch* takeFreeBatch();
    void hand(RecordBatch* batch, bool last);

    QIODevice& log_;
    const size_t blockSize_;
    std::array<RecordBatch, kBatches> batches_;
    RecordBatch* current_ = nullptr; // the caller's batch

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<RecordBatch*> free_;
    std::deque<RecordBatch*> ready_;
    bool finished_ = false; // no batch will come after those ready
    bool stopping_ = false;
    std::optional<QString> error_;
    std::thread parser_;
};

} // namespace scan
