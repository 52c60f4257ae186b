#include "io/bytesink.h"

#include <QIODevice>

namespace io {

ByteSink::ByteSink(QIODevice& device, QString path)
    : device_(&device), path_(std::move(path)), writeOutAt_(kBlockSize) {
    buffer_.reserve(kBlockSize + kBlockSize / 4);
}

ByteSink::ByteSink(FileProblem problem)
    : path_(problem.path), writeOutAt_(kBlockSize), problem_(std::move(problem)) {}

ByteSink& ByteSink::operator<<(qint64 number) {
    return *this << std::string_view(std::to_string(number));
}

// A write that comes out short (the disk filled part way) has not said why: the rest is written
// again, which either goes through or fails with the system's reason.
void ByteSink::writeOut() {
    if (!problem_) {
        problem_ = problemFrom(path_, [&]() -> std::optional<FileProblem> {
            for (size_t done = 0; done < buffer_.size();) {
                const qint64 written = device_->write(buffer_.data() + done,
                                                      static_cast<qint64>(buffer_.size() - done));
                if (written <= 0) return FileProblem{path_, device_->errorString()};
                done += static_cast<size_t>(written);
            }
            if (blockWritten_) blockWritten_(static_cast<qint64>(buffer_.size()));
            return std::nullopt;
        });
    }
    buffer_.clear();
}

std::optional<FileProblem> ByteSink::finish() {
    if (writeOutAt_ == kBlockSize) writeOut();
    return problem_;
}

} // namespace io
