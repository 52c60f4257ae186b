#include "scan/recordsource.h"

#include "scan/linesplitter.h"
#include "scan/threadfailure.h"

#include <QIODevice>

namespace scan {

RecordSource::RecordSource(QIODevice& log, size_t blockSize) : log_(log), blockSize_(blockSize) {
    for (RecordBatch& batch : batches_) {
        batch.block = std::make_unique_for_overwrite<char[]>(blockSize_);
        free_.push_back(&batch);
    }
    parser_ = std::thread([this] { parseLoop(); });
}

RecordSource::~RecordSource() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    parser_.join();
}

const RecordBatch* RecordSource::next() {
    std::unique_lock lock(mutex_);
    if (current_) free_.push_back(std::exchange(current_, nullptr));
    changed_.notify_all();
    changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
    if (ready_.empty()) return nullptr;
    current_ = ready_.front();
    ready_.pop_front();
    return current_;
}

std::optional<QString> RecordSource::error() {
    const std::lock_guard lock(mutex_);
    return error_;
}

RecordBatch* RecordSource::takeFreeBatch() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty() || stopping_; });
    if (stopping_) return nullptr;
    RecordBatch* batch = free_.back();
    free_.pop_back();
    return batch;
}

void RecordSource::hand(RecordBatch* batch, bool last) {
    {
        const std::lock_guard lock(mutex_);
        if (batch) ready_.push_back(batch);
        finished_ = finished_ || last;
    }
    changed_.notify_all();
}

// The reading thread. A failed read, or an exception while reading or parsing, ends the batches
// with that reason as the error.
void RecordSource::parseLoop() {
    if (auto reason = exceptionFrom([this] { parseBlocks(); })) finishWithError(*reason);
}

void RecordSource::finishWithError(const QString& reason) {
    {
        const std::lock_guard lock(mutex_);
        error_ = reason;
    }
    hand(nullptr, true);
}

void RecordSource::parseBlocks() {
    LineSplitter splitter;
    RecordReader reader;
    for (;;) {
        RecordBatch* batch = takeFreeBatch();
        if (!batch) return;
        batch->records.clear();
        batch->heldLine.clear();
        const auto addRecord = [&](std::string_view line) {
            // A line that began in an earlier block lives in the splitter until its next line;
            // the batch keeps its own copy for its records to point into.
            if (splitter.holds(line)) line = batch->heldLine.assign(line);
            if (auto record = reader.read(line)) batch->records.push_back(*record);
        };
        const qint64 got = log_.read(batch->block.get(), static_cast<qint64>(blockSize_));
        if (got < 0) return finishWithError(log_.errorString());
        batch->bytes = got;
        if (got == 0) {
            splitter.finish(addRecord);
            return hand(batch, true);
        }
        splitter.feed(std::string_view(batch->block.get(), static_cast<size_t>(got)), addRecord);
        hand(batch, false);
    }
}

} // namespace scan
