#pragma once

#include "scan/logrecord.h"
#include "scan/period.h"

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <span>

class QIODevice;

namespace scan {

// Small enough that the blocks in flight take little memory, large enough that handing them from
// thread to thread costs next to nothing.
constexpr size_t kReadBlockSize = size_t{1} << 18;

// Reads a log and picks out its CUT records of a period on threads of its own, while the caller
// takes the records read so far, in log order. The device is used by those threads alone until
// the source is destroyed.
class RecordSource {
public:
    explicit RecordSource(QIODevice& log, const Period& period = {},
                          size_t blockSize = kReadBlockSize);
    ~RecordSource(); // stops and waits for the threads
    RecordSource(const RecordSource&) = delete;
    RecordSource& operator=(const RecordSource&) = delete;

    // The next records of the log, in log order, valid until the next call: as many as one block
    // of the log holds, maybe none. Nothing at the end of the log, or once it could not be read
    // (error() says why).
    std::optional<std::span<const CutRecord>> next();
    // Why the log could not be read to its end, or a thread could not go on.
    std::optional<QString> error() const;
    // Of the records handed out so far: the bytes of log they came from, and the CUT records left
    // out as outside the period.
    qint64 bytesRead() const { return bytesRead_; }
    qint64 outsidePeriod() const { return outsidePeriod_; }

private:
    class Threads;
    std::unique_ptr<Threads> threads_;
    qint64 bytesRead_ = 0;
    qint64 outsidePeriod_ = 0;
};

} // namespace scan
