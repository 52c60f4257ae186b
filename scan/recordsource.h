#pragma once

#include "scan/dateblocks.h"
#include "scan/logblocks.h"
#include "scan/logrecord.h"
#include "scan/period.h"

#include <QString>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QIODevice;

namespace scan {

// Small enough that the blocks in flight take few fresh pages, large enough that handing them
// from thread to thread costs next to nothing.
constexpr size_t kReadBlockSize = size_t{1} << 18;

// Called after every block read with the number of bytes read so far.
using ReadProgress = std::function<void(qint64 bytesRead)>;

// The CUT records of one stretch of the log within the scan's period, in log order, cut into date
// blocks. The records' views point into the block.
struct RecordBatch {
    size_t slot = 0; // which of the source's batches this is (below RecordSource::kSlots)
    LogBlock block;
    std::vector<CutRecord> records;
    BatchDays days;
    qint64 bytes = 0;         // read from the log into this batch
    qint64 outsidePeriod = 0; // CUT records of this stretch left out, as outside the period
};

// Reads a log and picks out its CUT records on threads of their own, so that the caller adds up
// one batch while the next ones are read and parsed. Each parsing thread in turn reads a block
// (one thread at a time), then, while the other thread reads, parses its whole lines, keeps the
// records within the period, cuts them into date blocks and does the caller's work on them; the
// batches reach the caller in log order. The device is used by these threads alone until the source
// is destroyed. A failed read and an exception on a parsing thread both end the batches early, with
// the reason in error().
class RecordSource {
public:
    static constexpr size_t kParsers = 2;
    // Batches in turn: being parsed, waiting, being added up.
    static constexpr size_t kSlots = kParsers + 2;

    // The caller's work on each batch, done on a parsing thread once the batch's records and date
    // blocks are found: whatever does not depend on the batches before it. Batches of different
    // slots are worked on at the same time. What the work makes of a batch, it keeps by the
    // batch's slot; the caller reads it there once next() has returned the batch, until the
    // following call.
    using BatchWork = std::function<void(const RecordBatch& batch)>;

    RecordSource(QIODevice& log, size_t blockSize, BatchWork work = {}, Period period = {});
    ~RecordSource(); // stops and waits for the threads
    RecordSource(const RecordSource&) = delete;
    RecordSource& operator=(const RecordSource&) = delete;

    // The next batch, valid until the next call; null at the end or after a failure.
    const RecordBatch* next();
    // Why reading failed, once next() has returned null.
    std::optional<QString> error();

private:
    void stopParsers();
    void parseLoop();
    void parseTurns();
    RecordBatch* takeFreeBatch();
    void giveBack(RecordBatch* batch);
    // Reads the next block into the batch: its place in the log's order, taken before the read,
    // or nothing at the end.
    std::optional<size_t> readInto(RecordBatch& batch, RecordReader& reader, PeriodCheck& period,
                                   bool& last);
    void parse(RecordBatch& batch, std::string_view lines, RecordReader& reader,
               PeriodCheck& period);
    void deliver(RecordBatch* batch, size_t sequence, bool last);
    void endWith(const QString& reason);
    void limitEnd(size_t count); // with mutex_ held

    const BatchWork work_;
    const Period period_;
    std::vector<RecordBatch> batches_;

    // Reading, by one parsing thread at a time.
    std::mutex readMutex_;
    LineBlockReader reader_;
    size_t nextSequence_ = 0;

    std::mutex mutex_;
    std::condition_variable batchFreed_; // parsing threads wait on it for a batch, or the stop
    std::condition_variable batchReady_; // the caller waits on it for the next batch, or the end
    std::vector<RecordBatch*> free_;
    std::map<size_t, RecordBatch*> ready_; // by sequence
    size_t wanted_ = 0;                    // the sequence the caller takes next
    std::optional<size_t> end_;            // the number of batches there will be, once known
    bool stopping_ = false;
    std::optional<QString> error_;
    RecordBatch* current_ = nullptr; // the caller's batch
    std::vector<std::thread> parsers_;
};

} // namespace scan
