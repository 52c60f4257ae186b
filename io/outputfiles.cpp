#include "io/outputfiles.h"

#include "io/stagedfile.h"
#include "io/threadfailure.h"

#include <QFile>

namespace io {

// One output: its file (or device) and the sink that writes it.
class OutputFiles::Output {
public:
    Output(Kind kind, QString path, QIODevice* attached)
        : kind_(kind), path_(std::move(path)), attached_(attached) {}
    ~Output() { drop(); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Opens the file; false, with `problem` set, when it cannot be.
    bool open(FileProblem& problem) {
        switch (kind_) {
        case Kind::Staged:
            staged_ = std::make_unique<StagedFile>(path_);
            if (staged_->open()) return true;
            problem = staged_->problem();
            staged_.reset();
            return false;
        case Kind::Created:
            created_ = std::make_unique<QFile>(path_);
            if (created_->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
                return true;
            problem = {path_, created_->errorString()};
            created_.reset();
            return false;
        case Kind::Attached:
            return true;
        }
        return false;
    }

    void startWriting() {
        const auto finish = kind_ == Kind::Staged ? BufferedFileSink::Finish::Commit
                                                  : BufferedFileSink::Finish::Close;
        sink_ = std::make_unique<BufferedFileSink>(device(), path_, finish);
    }

    ByteSink& sink() { return *sink_; }
    void finishWriting() { sink_->finishWriting(); }

    // Waits for every byte to be written and lets the device go: the problem, if any.
    std::optional<FileProblem> complete() {
        completed_ = true;
        const bool written = sink_->flush();
        if (!written) problem_ = FileProblem{path_, sink_->error()};
        sink_->abandon(); // everything is written, or dropped after a failure: the thread stops
        if (staged_ && !problem_ && !staged_->flush()) problem_ = staged_->problem();
        if (created_) {
            created_->close();
            if (!problem_ && created_->error() != QFileDevice::NoError)
                problem_ = FileProblem{path_, created_->errorString()};
        }
        return problem_;
    }

    // A staged file takes its target's place only once it is complete without a problem: a sink
    // that failed may have dropped blocks the file never saw, so the file's own checks would
    // not tell.
    std::optional<FileProblem> commit() {
        if (!staged_) return std::nullopt;
        if (!completed_) complete();
        if (problem_) return problem_;
        if (!staged_->commit()) return staged_->problem();
        staged_.reset();
        return std::nullopt;
    }

private:
    QIODevice& device() {
        if (staged_) return staged_->device();
        if (created_) return *created_;
        return *attached_;
    }

    // The writing thread lets go of the device before the file is discarded, closed or removed.
    // A created file stays once it has been completed, whole or not: its owner knows which.
    void drop() {
        if (sink_) sink_->abandon();
        staged_.reset();
        if (created_ && !completed_) {
            created_->close();
            created_->remove();
        }
    }

    Kind kind_;
    QString path_;
    QIODevice* attached_;
    std::unique_ptr<StagedFile> staged_;
    std::unique_ptr<QFile> created_;
    bool completed_ = false;
    std::optional<FileProblem> problem_; // found when completing
    std::unique_ptr<BufferedFileSink> sink_;
};

OutputFiles::OutputFiles() = default;

OutputFiles::~OutputFiles() {
    abandon();
}

ByteSink* OutputFiles::stage(const QString& target) {
    return add(Kind::Staged, target, nullptr);
}

ByteSink* OutputFiles::create(const QString& path) {
    return add(Kind::Created, path, nullptr);
}

ByteSink* OutputFiles::attach(QIODevice& device, const QString& name) {
    return add(Kind::Attached, name, &device);
}

// Opening a file, starting its writing thread and the room for one more output can each fail;
// an output that fails is dropped at once, its file discarded or removed.
ByteSink* OutputFiles::add(Kind kind, const QString& path, QIODevice* device) {
    std::unique_ptr<Output> output;
    bool opened = false;
    const std::optional<QString> thrown = exceptionFrom([&] {
        output = std::make_unique<Output>(kind, path, device);
        opened = output->open(problem_);
        if (!opened) return;
        output->startWriting();
        outputs_.push_back(std::move(output));
    });
    if (thrown) problem_ = {path, *thrown};
    if (thrown || !opened) return nullptr;
    return &outputs_.back()->sink();
}

std::vector<FileProblem> OutputFiles::finish() {
    std::vector<FileProblem> problems;
    problems.reserve(outputs_.size()); // before any output is completed: nothing fails after it
    for (const auto& output : outputs_)
        output->finishWriting();
    for (const auto& output : outputs_) {
        if (auto problem = output->complete()) problems.push_back(std::move(*problem));
    }
    return problems;
}

std::optional<FileProblem> OutputFiles::commit() {
    for (const auto& output : outputs_) {
        if (auto problem = output->commit()) return problem;
    }
    return std::nullopt;
}

void OutputFiles::abandon() {
    outputs_.clear();
}

} // namespace io
