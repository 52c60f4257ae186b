#include "io/stagedfile.h"

namespace io {

StagedFile::StagedFile(const QString& target) : target_(target), file_(target) {
    file_.setDirectWriteFallback(false);
}

bool StagedFile::fail(const QString& reason) {
    problem_ = {target_, reason};
    file_.cancelWriting();
    return false;
}

bool StagedFile::open() {
    if (!file_.open(QIODevice::WriteOnly)) return fail(file_.errorString());
    return true;
}

bool StagedFile::write(const char* data, qint64 size) {
    if (file_.write(data, size) != size) return fail(file_.errorString());
    return true;
}

bool StagedFile::flush() {
    if (file_.flush() && file_.error() == QFileDevice::NoError) return true;
    // A flush that wrote only part of what was buffered (the disk filled up) has not said why;
    // flushing the rest does.
    file_.flush();
    return fail(file_.errorString());
}

bool StagedFile::commit() {
    if (!flush()) return false;
    // Checked on the staged copy, before it replaces anything: a short copy never takes the
    // place of a whole old file.
    if (file_.size() != file_.pos()) return fail(QStringLiteral("The saved file is not complete."));
    if (!file_.commit()) return fail(file_.errorString());
    return true;
}

} // namespace io
