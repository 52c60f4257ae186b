#include "save/stagedcopy.h"

#include "platform/files.h"

#include <QFile>
#include <QFileInfo>

namespace save {

namespace {

constexpr qint64 kBlockSize = qint64{1} << 20;

} // namespace

StagedCopy::StagedCopy(QString source, QString target)
    : source_(std::move(source)), target_(std::move(target)) {}

bool StagedCopy::fail(const QString& path, const QString& reason) {
    problem_ = {path, reason};
    copy_.reset(); // an unfinished copy is discarded
    return false;
}

bool StagedCopy::failStaging() {
    const io::FileProblem problem = copy_->problem();
    return fail(problem.path, problem.reason);
}

bool StagedCopy::prepare(bool replace) {
    if (!replace && platform::pathTaken(target_))
        return fail(target_, QStringLiteral("Something of that name is already there."));
    if (QFileInfo(target_).isDir()) return fail(target_, QStringLiteral("It is a folder."));

    copy_ = std::make_unique<io::StagedFile>(target_);
    if (!copy_->open()) return failStaging();
    return copyInto(*copy_);
}

bool StagedCopy::copyInto(io::StagedFile& copy) {
    QFile source(source_);
    if (!source.open(QIODevice::ReadOnly)) return fail(source_, source.errorString());
    QByteArray block(kBlockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = source.read(block.data(), kBlockSize);
        if (got < 0) return fail(source_, source.errorString());
        if (got == 0) break;
        if (!copy.write(block.constData(), got)) return failStaging();
    }
    if (!copy.flush()) return failStaging();
    return true;
}

bool StagedCopy::commit() {
    if (!copy_) return false;
    if (!copy_->commit()) return failStaging();
    copy_.reset();
    return true;
}

} // namespace save
