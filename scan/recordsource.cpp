#include "scan/recordsource.h"

#include "io/fileproblem.h"
#include "scan/logblocks.h"

#include <QIODevice>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace scan {

namespace {

// Two threads take turns: one reads the next block of the log while the other picks the records
// out of the block it read. Two are enough to keep the disk and a core busy; the caller, adding
// up on a third, is the slowest of the three.
constexpr size_t kParsers = 2;
// One batch with the caller, one with each thread, and one ready for the caller.
constexpr size_t kBatches = kParsers + 2;

// One block of the log and the CUT records of the period in it.
struct Batch {
    LogBlock block;
    std::vector<CutRecord> records; // views into the block
    qint64 bytes = 0;               // read from the log into this block
    qint64 outsidePeriod = 0;       // CUT records of the block left out
};

} // namespace

// The batches, the threads and their hand-over. Each thread is woken only by what it waits for,
// and after the lock is let go, so that a woken thread does not at once wait for the lock of the
// one that woke it.
class RecordSource::Threads {
public:
    Threads(QIODevice& log, const Period& period, size_t blockSize)
        : period_(period), batches_(kBatches), reader_(log, blockSize) {
        // Room for a block's records at one per 64 bytes, more than lines (about 90 bytes) need,
        // so that the lists do not grow again and again while the first blocks are read.
        constexpr size_t kBytesPerRecord = 64;
        for (Batch& batch : batches_) {
            batch.block = reader_.newBlock();
            batch.records.reserve(blockSize / kBytesPerRecord);
            free_.push_back(&batch);
        }
        try {
            for (size_t i = 0; i < kParsers; ++i)
                parsers_.emplace_back([this] { parseLoop(); });
        } catch (...) {
            stop(); // the threads that did start are stopped before the batches go
            throw;
        }
    }

    ~Threads() { stop(); }

    // The next batch in log order, until the next call; null at the end or after a failure.
    const Batch* next() {
        std::unique_lock lock(mutex_);
        if (current_) {
            free_.push_back(std::exchange(current_, nullptr));
            ++wanted_;
            lock.unlock();
            batchFreed_.notify_one();
            lock.lock();
        }
        const auto ended = [this] { return end_ && wanted_ >= *end_; };
        batchReady_.wait(lock, [&] { return ended() || ready_.contains(wanted_); });
        if (ended()) return nullptr;
        const auto batch = ready_.find(wanted_);
        current_ = batch->second;
        ready_.erase(batch);
        return current_;
    }

    std::optional<QString> error() const {
        const std::lock_guard lock(mutex_);
        return error_;
    }

private:
    void stop() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        batchFreed_.notify_all();
        for (std::thread& parser : parsers_)
            parser.join();
    }

    // A parsing thread. A failed read, or an exception while reading or parsing, ends the batches
    // with its reason as the error.
    void parseLoop() {
        try {
            RecordReader reader;
            PeriodCheck period(period_);
            while (Batch* batch = takeFreeBatch()) {
                const std::optional<Read> read = readInto(*batch);
                if (!read) return giveBack(batch);
                parse(*batch, read->stretch.in(batch->block), reader, period);
                deliver(batch, read->sequence, read->stretch.last);
            }
        } catch (...) {
            endWith(io::describeCurrentException());
        }
    }

    Batch* takeFreeBatch() {
        std::unique_lock lock(mutex_);
        batchFreed_.wait(lock, [this] { return !free_.empty() || stopping_; });
        if (stopping_) return nullptr;
        Batch* batch = free_.back();
        free_.pop_back();
        return batch;
    }

    void giveBack(Batch* batch) {
        {
            const std::lock_guard lock(mutex_);
            free_.push_back(batch);
        }
        batchFreed_.notify_one();
    }

    // A block read, and its place in the log's order.
    struct Read {
        size_t sequence = 0;
        LineStretch stretch;
    };

    // Reads the next block into the batch, one thread at a time; nothing at the end. The place is
    // taken before the read: a read that throws leaves its place empty, so the caller waits there
    // until the failure is told, however far the other thread reads on. The places taken by reads
    // after the log's end lie past its last batch, and are never waited for.
    std::optional<Read> readInto(Batch& batch) {
        const std::lock_guard lock(readMutex_);
        const size_t sequence = nextSequence_++;
        const std::optional<LineStretch> stretch = reader_.read(batch.block);
        if (!stretch) {
            if (const auto& failure = reader_.error()) endWith(*failure);
            return std::nullopt;
        }
        batch.bytes = stretch->bytesRead;
        return Read{sequence, *stretch};
    }

    void parse(Batch& batch, std::string_view lines, RecordReader& reader, PeriodCheck& period) {
        batch.records.clear();
        batch.outsidePeriod = 0;
        forEachLine(lines, [&](std::string_view line) {
            const std::optional<CutRecord> record = reader.read(line);
            if (!record) return;
            if (period.holds(record->date))
                batch.records.push_back(*record);
            else
                ++batch.outsidePeriod;
        });
    }

    void deliver(Batch* batch, size_t sequence, bool last) {
        {
            const std::lock_guard lock(mutex_);
            ready_.emplace(sequence, batch);
            if (last) limitEnd(sequence + 1);
        }
        batchReady_.notify_one();
    }

    // No batch after those the caller has taken: the scan fails with `reason`.
    void endWith(const QString& reason) {
        {
            const std::lock_guard lock(mutex_);
            if (!error_) error_ = reason;
            limitEnd(wanted_);
        }
        batchReady_.notify_one();
    }

    void limitEnd(size_t count) { end_ = end_ ? std::min(*end_, count) : count; } // mutex_ held

    const Period period_;
    std::vector<Batch> batches_;

    // Reading, by one parsing thread at a time.
    std::mutex readMutex_;
    LineBlockReader reader_;
    size_t nextSequence_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable batchFreed_; // parsing threads wait on it for a batch, or the stop
    std::condition_variable batchReady_; // the caller waits on it for the next batch, or the end
    std::vector<Batch*> free_;
    std::map<size_t, Batch*> ready_; // by sequence
    size_t wanted_ = 0;              // the sequence the caller takes next
    std::optional<size_t> end_;      // the number of batches there will be, once known
    bool stopping_ = false;
    std::optional<QString> error_;
    Batch* current_ = nullptr; // the caller's
    std::vector<std::thread> parsers_;
};

RecordSource::RecordSource(QIODevice& log, const Period& period, size_t blockSize)
    : threads_(std::make_unique<Threads>(log, period, blockSize)) {}

RecordSource::~RecordSource() = default;

std::optional<std::span<const CutRecord>> RecordSource::next() {
    const Batch* batch = threads_->next();
    if (!batch) return std::nullopt;
    bytesRead_ += batch->bytes;
    outsidePeriod_ += batch->outsidePeriod;
    return std::span<const CutRecord>(batch->records);
}

std::optional<QString> RecordSource::error() const {
    return threads_->error();
}

} // namespace scan
