#include "scan/recordsource.h"

#include "scan/blockmemory.h"
#include "scan/linesplitter.h"
#include "scan/threadfailure.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace scan {

RecordSource::RecordSource(QIODevice& log, size_t blockSize, Batches batches)
    : log_(log), blockSize_(blockSize), batchesMade_(batches), batches_(kBatches) {
    // Room in front of each block for the unfinished line of the block before; a longer one
    // makes its batch's block grow.
    constexpr size_t kCarryRoom = 4096;
    // Room for a block's records at one per 64 bytes, more than typical lines (about 90 bytes)
    // need, so that the list does not grow, and touch fresh memory, again and again while the
    // first blocks are parsed. Room not used is not touched.
    constexpr size_t kBytesPerRecord = 64;
    for (RecordBatch& batch : batches_) {
        batch.capacity = blockSize_ + kCarryRoom;
        batch.block = newBlock(batch.capacity);
        batch.records.reserve(blockSize_ / kBytesPerRecord);
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

// A parsing thread. A failed read, or an exception while reading or parsing, ends the batches
// with that reason as the error.
void RecordSource::parseLoop() {
    if (auto reason = exceptionFrom([this] { parseTurns(); })) endWith(*reason);
}

void RecordSource::parseTurns() {
    LineSplitter splitter;
    RecordReader reader;
    while (RecordBatch* batch = takeFreeBatch()) {
        const std::optional<Stretch> stretch = readStretch(*batch);
        if (!stretch) {
            {
                const std::lock_guard lock(mutex_);
                free_.push_back(batch);
            }
            batchFreed_.notify_one();
            return;
        }
        batch->records.clear();
        batch->heldLine.clear();
        // The lines lie within the stretch, except a last line without a line end, which the
        // splitter holds; the batch keeps its own copy of that one for its records to point into.
        const auto addRecord = [&](std::string_view line) {
            if (splitter.holds(line)) line = batch->heldLine.assign(line);
            if (auto record = reader.read(line)) batch->records.push_back(*record);
        };
        splitter.feed(
            std::string_view(batch->block.get() + stretch->begin, stretch->end - stretch->begin),
            addRecord);
        splitter.finish(addRecord);
        if (batchesMade_ == Batches::RecordsAndLines) batch->laidOut.layOut(batch->records);
        deliver(batch, *stretch);
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

// Reads the next block into `batch`, behind room for the unfinished line of the block before.
// Nothing once the log has ended or failed.
std::optional<RecordSource::Stretch> RecordSource::readStretch(RecordBatch& batch) {
    const std::lock_guard lock(readMutex_);
    if (readEnded_) return std::nullopt;
    const size_t room = batch.capacity - blockSize_;
    char* const fresh = batch.block.get() + room;
    const qint64 got = log_.read(fresh, static_cast<qint64>(blockSize_));
    if (got < 0) {
        readEnded_ = true;
        endWith(log_.errorString());
        return std::nullopt;
    }
    batch.bytes = got;
    Stretch stretch{room, room, nextSequence_++, got == 0};
    if (stretch.last) { // the log's last line, if it has no line end
        readEnded_ = true;
        placeUnfinishedLine(batch, stretch);
        unfinished_.clear();
        return stretch;
    }

    const std::string_view bytes(fresh, static_cast<size_t>(got));
    size_t begin = 0;
    if (skippingLine_) {
        begin = std::min(bytes.find_first_of("\r\n"), bytes.size());
        skippingLine_ = begin == bytes.size();
    }
    const size_t lastEnd = bytes.find_last_of("\r\n");
    if (lastEnd == std::string_view::npos || lastEnd < begin) {
        keepUnfinishedLine(bytes.substr(begin));
        return stretch;
    }
    const size_t cut = lastEnd + 1;
    stretch.begin = room + begin;
    stretch.end = room + cut;
    spare_.assign(bytes.substr(cut));
    placeUnfinishedLine(batch, stretch);
    unfinished_.swap(spare_);
    keepUnfinishedLine({});
    return stretch;
}

// Puts the unfinished line of the block before in front of the stretch; the block grows when
// the line is longer than the room there.
void RecordSource::placeUnfinishedLine(RecordBatch& batch, Stretch& stretch) {
    const size_t carried = unfinished_.size();
    if (carried > stretch.begin) {
        const size_t size = stretch.end - stretch.begin;
        auto grown = newBlock(carried + blockSize_);
        std::memcpy(grown.get() + carried, batch.block.get() + stretch.begin, size);
        batch.block = std::move(grown);
        batch.capacity = carried + blockSize_;
        stretch.begin = carried;
        stretch.end = carried + size;
    }
    stretch.begin -= carried;
    std::memcpy(batch.block.get() + stretch.begin, unfinished_.data(), carried);
}

// Adds `more` to the unfinished line. A line grown longer than a line may be is dropped, and so
// is the rest of it in later blocks. A CR LF cut between two blocks leaves an empty line in the
// second, which counts for nothing.
void RecordSource::keepUnfinishedLine(std::string_view more) {
    if (skippingLine_) return;
    unfinished_.append(more);
    if (unfinished_.size() <= LineSplitter::kMaxLineLength) return;
    skippingLine_ = true;
    unfinished_ = std::string();
}

void RecordSource::deliver(RecordBatch* batch, const Stretch& stretch) {
    {
        const std::lock_guard lock(mutex_);
        ready_.emplace(stretch.sequence, batch);
        if (stretch.last) limitEnd(stretch.sequence + 1);
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
