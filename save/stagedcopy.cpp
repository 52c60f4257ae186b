#include "save/stagedcopy.h"

#include <QFile>
#include <QFileInfo>

namespace save {

namespace {

constexpr qint64 kBlockSize = qint64{1} << 20;

bool somethingAt(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

StagedCopy::StagedCopy(QString source, QString target)
    : source_(std::move(source)), target_(std::move(target)) {}

StagedCopy::~StagedCopy() {
    if (copy_) copy_->cancelWriting();
}

bool StagedCopy::fail(const QString& path, const QString& reason) {
    problem_ = {path, reason};
    copy_.reset();
    return false;
}

bool StagedCopy::prepare(bool replace) {
    if (!replace && somethingAt(target_))
        return fail(target_, QStringLiteral("Something of that name is already there."));
    if (QFileInfo(target_).isDir()) return fail(target_, QStringLiteral("It is a folder."));

    copy_ = std::make_unique<QSaveFile>(target_);
    copy_->setDirectWriteFallback(false);
    if (!copy_->open(QIODevice::WriteOnly)) return fail(target_, copy_->errorString());
    return copyInto(*copy_);
}

// Every write is checked and the copy flushed before it may be committed: a short write or a
// failed final flush must never pass for a complete copy.
bool StagedCopy::copyInto(QSaveFile& copy) {
    QFile source(source_);
    if (!source.open(QIODevice::ReadOnly)) return fail(source_, source.errorString());
    QByteArray block(kBlockSize, Qt::Uninitialized);
    size_ = 0;
    for (;;) {
        const qint64 got = source.read(block.data(), kBlockSize);
        if (got < 0) return fail(source_, source.errorString());
        if (got == 0) break;
        if (copy.write(block.constData(), got) != got) return fail(target_, copy.errorString());
        size_ += got;
    }
    if (!copy.flush() || copy.error() != QFileDevice::NoError)
        return fail(target_, copy.errorString());
    return true;
}

bool StagedCopy::commit() {
    if (!copy_) return false;
    const bool committed = copy_->commit();
    const QString reason = copy_->errorString();
    copy_.reset();
    if (!committed) return fail(target_, reason);
    if (QFileInfo(target_).size() != size_)
        return fail(target_, QStringLiteral("The saved file is not complete."));
    return true;
}

} // namespace save
