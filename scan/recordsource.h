#pragma once

#include "scan/batchtally.h"
#include "scan/logrecord.h"

#include <QString>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class QIODevice;

namespace scan {

// The CUT records of one stretch of the log, in log order. The records' views point into the
// block, or into `heldLine` for a last line without a line end.
struct RecordBatch {
    std::unique_ptr<char[]> block; // room for an unfinished line, then a block of the log
    size_t capacity = 0;
    std::string heldLine;
    std::vector<CutRecord> records;
    qint64 bytes = 0; // read from the log into this batch
    LaidOutBatch laidOut; // the records' lines, if the source lays them out
};

// Reads a log and picks out its CUT records on threads of their own, so that the scan adds up
// and writes one batch while the next ones are read and parsed. Each parsing thread in turn reads
// a block, puts the unfinished line of the block before in front of it, keeps its own unfinished
// line for the next, and parses the whole lines (and, if asked, lays out their report and CSV
// lines) while the other thread reads; the batches reach the caller in log order. The device is
// used by these threads alone until the source is destroyed. A failed read and an exception on a
// parsing thread both end the batches early, with the reason in error().
class RecordSource {
public:
    // What the parsing threads make of each batch: its records, or also its lines (laidOut).
    enum class Batches { Records, RecordsAndLines };

    RecordSource(QIODevice& log, size_t blockSize, Batches batches = Batches::Records);
    ~RecordSource(); // stops and waits for the threads
    RecordSource(const RecordSource&) = delete;
    RecordSource& operator=(const RecordSource&) = delete;

    // The next batch, valid until the next call; null at the end or after a failure.
    const RecordBatch* next();
    // Why reading failed, once next() has returned null.
    std::optional<QString> error();

private:
    static constexpr size_t kParsers = 2;
    static constexpr size_t kBatches = kParsers + 2; // being parsed, waiting, being added up

    // What one turn of reading leaves to parse in the batch's block: whole lines (and, at the
    // log's end, its last line) from `begin` to `end`.
    struct Stretch {
        size_t begin = 0;
        size_t end = 0;
        size_t sequence = 0;
        bool last = false;
    };

    void stopParsers();
    void parseLoop();
    void parseTurns();
    RecordBatch* takeFreeBatch();
    std::optional<Stretch> readStretch(RecordBatch& batch);
    void placeUnfinishedLine(RecordBatch& batch, Stretch& stretch);
    void keepUnfinishedLine(std::string_view more);
    void deliver(RecordBatch* batch, const Stretch& stretch);
    void endWith(const QString& reason);
    void limitEnd(size_t count); // with mutex_ held

    QIODevice& log_;
    const size_t blockSize_;
    const Batches batchesMade_;
    std::vector<RecordBatch> batches_;

    // Reading, by one parsing thread at a time.
    std::mutex readMutex_;
    std::string unfinished_;    // the start of a line that goes on in the next block
    std::string spare_;         // the next block's unfinished line, while this one is placed
    bool skippingLine_ = false; // inside a line too long to keep
    bool readEnded_ = false;
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
