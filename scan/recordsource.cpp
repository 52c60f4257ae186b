#include "scan/recordsource.h"

#include "io/threadfailure.h"

#include <QIODevice>

namespace scan {

RecordSource::RecordSource(QIODevice& log, size_t blockSize, BatchWork work, Period period)
    : work_(std::move(work)), period_(std::move(period)), batches_(kSlots),
      reader_(log, blockSize) {
    // Room for a block's records at one per 64 bytes, more than typical lines (about 90 bytes)
    // need, so that the list does not grow, and touch fresh memory, again and again while the
    // first blocks are parsed. Room not used is not touched.
    constexpr size_t kBytesPerRecord = 64;
    for (size_t slot = 0; slot < kSlots; ++slot) {
        RecordBatch& batch = batches_[slot];
        batch.slot = slot;
        batch.block = reader_.newBlock();
        batch.records.reserve(blockSize / kBytesPerRecord);
        free_.push_back(&batch);
    }
    parsers_.reserve(kParsers);
    try {
        for (size_t i = 0; i < kParsers; ++i)
            parsers_.emplace_back([this] { parseLoop(); });
    } catch (...) {
        // A thread that could not start: the ones that did are stopped before the source goes.
        stopParsers();
        throw;
    }
}

RecordSource::~RecordSource() {
    stopParsers();
}

void RecordSource::stopParsers() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    batchFreed_.notify_all();
    for (std::thread& parser : parsers_)
        parser.join();
}

// Each thread is woken only by what it waits for, and after the lock is let go, so that a woken
// thread does not at once wait for the lock of the one that woke it.
const RecordBatch* RecordSource::next() {
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

std::optional<QString> RecordSource::error() {
    const std::lock_guard lock(mutex_);
    return error_;
}

// A parsing thread. A failed read, or an exception while reading, parsing or working on a batch,
// ends the batches with that reason as the error.
void RecordSource::parseLoop() {
    if (auto reason = io::exceptionFrom([this] { parseTurns(); })) endWith(*reason);
}

void RecordSource::parseTurns() {
    RecordReader reader;
    PeriodCheck period(period_);
    while (RecordBatch* batch = takeFreeBatch()) {
        bool last = false;
        const std::optional<size_t> sequence = readInto(*batch, reader, period, last);
        if (!sequence) return giveBack(batch);
        deliver(batch, *sequence, last);
    }
}

RecordBatch* RecordSource::takeFreeBatch() {
    std::unique_lock lock(mutex_);
    batchFreed_.wait(lock, [this] { return !free_.empty() || stopping_; });
    if (stopping_) return nullptr;
    RecordBatch* batch = free_.back();
    free_.pop_back();
    return batch;
}

void RecordSource::giveBack(RecordBatch* batch) {
    {
        const std::lock_guard lock(mutex_);
        free_.push_back(batch);
    }
    batchFreed_.notify_one();
}

// Reads under the read lock, then parses and works on the batch with the lock let go, while
// the other thread reads. The batch's place in the log's order is taken before the read: a read
// that throws leaves its place empty, so the caller waits there until the failure is told,
// however far the other thread reads on. The places taken by reads after the log's end lie past
// its last batch, and are never waited for.
std::optional<size_t> RecordSource::readInto(RecordBatch& batch, RecordReader& reader,
                                             PeriodCheck& period, bool& last) {
    std::optional<LineStretch> stretch;
    size_t sequence = 0;
    {
        const std::lock_guard lock(readMutex_);
        sequence = nextSequence_++;
        stretch = reader_.read(batch.block);
        if (!stretch) {
            if (const auto& failure = reader_.error()) endWith(*failure);
            return std::nullopt;
        }
    }
    batch.bytes = stretch->bytesRead;
    last = stretch->last;
    parse(batch, stretch->in(batch.block), reader, period);
    return sequence;
}

void RecordSource::parse(RecordBatch& batch, std::string_view lines, RecordReader& reader,
                         PeriodCheck& period) {
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
    batch.days.find(batch.records);
    if (work_) work_(batch);
}

void RecordSource::deliver(RecordBatch* batch, size_t sequence, bool last) {
    {
        const std::lock_guard lock(mutex_);
        ready_.emplace(sequence, batch);
        if (last) limitEnd(sequence + 1);
    }
    batchReady_.notify_one();
}

// No batch after those the caller has taken: the scan fails with `reason`.
void RecordSource::endWith(const QString& reason) {
    {
        const std::lock_guard lock(mutex_);
        if (!error_) error_ = reason;
        limitEnd(wanted_);
    }
    batchReady_.notify_one();
}

void RecordSource::limitEnd(size_t count) {
    end_ = end_ ? std::min(*end_, count) : count;
}

} // namespace scan
