#pragma once

#include "io/fileproblem.h"

#include <QSaveFile>
#include <QString>

namespace io {

// A file written beside its target and put in the target's place in one step, only when it is
// complete. Whatever fails on the way, the target is either untouched or holds the whole file:
// there is no fallback to writing the target directly, every write is checked, and the staged
// file is flushed and its size checked before it takes the target's place. An uncommitted file
// is discarded.
class StagedFile {
public:
    explicit StagedFile(const QString& target);
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool open();
    // The staged file, for a writer that checks its own writes.
    QIODevice& device() { return file_; }
    // Writes all of `size` bytes, or fails.
    bool write(const char* data, qint64 size);
    // Writes out what is buffered; a commit may not report a failed final flush.
    bool flush();
    // Flushes and puts the file in the target's place; fails, leaving the target untouched, if
    // the staged file does not hold every byte written.
    bool commit();

    const QString& target() const { return target_; }
    // What went wrong, once a step has failed.
    const FileProblem& problem() const { return problem_; }

private:
    bool fail(const QString& reason);

    QString target_;
    QSaveFile file_;
    FileProblem problem_;
};

} // namespace io
