#include "io/reportfiles.h"

#include <QFileInfo>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <unistd.h>
#endif

namespace io {

namespace {

// Puts what has been written of a file on the disk: the system's reason where it cannot. Where
// there is no such call, QSaveFile syncs the file as it puts it in place.
std::optional<QString> syncToDisk([[maybe_unused]] int handle) {
#ifdef Q_OS_LINUX
    if (fdatasync(handle) != 0) return qt_error_string(errno);
#endif
    return std::nullopt;
}

} // namespace

ReportFiles reportFilesNamed(const QString& name) {
    return {name + QStringLiteral(".csv"), name + QStringLiteral(".txt")};
}

std::optional<QString> firstTaken(const std::vector<QString>& paths) {
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.exists() || info.isSymLink()) return path;
    }
    return std::nullopt;
}

// Syncs the staged files on a thread of its own while they are being written, a few MiB at a
// time, so that committing them does not wait for all their bytes to reach the disk at once:
// `runtally-report -o` on the benchmark's log of a million records (84 MB, two files of 36 and
// 33 MB) takes 190 ms with all the syncing left to the commit and 130 ms with this, against
// 110 ms for the writing threads this replaced (bench/run.sh, two cores). Where the system has no
// such call, or the thread cannot start, the commit does all the syncing.
class StagedFiles::EarlySync {
public:
    ~EarlySync() { stop(); }

    void stop() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable()) thread_.join();
    }

    // Why an early sync of the file failed, once stopped. The system tells of a failed write
    // once, to the first sync after it, so such a failure must not be lost.
    std::optional<QString> failureOf(int handle) const {
        const auto failure = failures_.find(handle);
        if (failure == failures_.end()) return std::nullopt;
        return failure->second;
    }

    // `bytes` more of the file `handle` have been written, on the writing thread.
    void written([[maybe_unused]] int handle, [[maybe_unused]] qint64 bytes) {
#ifdef Q_OS_LINUX
        {
            const std::lock_guard lock(mutex_);
            if ((unsynced_[handle] += bytes) < kInterval || cannotStart_ || stopping_) return;
            if (!thread_.joinable()) {
                try {
                    thread_ = std::thread([this] { run(); });
                } catch (...) {
                    cannotStart_ = true;
                    return;
                }
            }
        }
        wake_.notify_one();
#endif
    }

private:
    static constexpr qint64 kInterval = qint64{4} << 20;

#ifdef Q_OS_LINUX
    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            const auto due = [this] {
                for (const auto& [handle, unsynced] : unsynced_)
                    if (unsynced >= kInterval) return handle;
                return -1;
            };
            wake_.wait(lock, [&] { return stopping_ || due() >= 0; });
            if (stopping_) return;
            const int handle = due();
            unsynced_[handle] = 0;
            lock.unlock();
            const std::optional<QString> failure = syncToDisk(handle);
            lock.lock();
            if (failure) failures_.try_emplace(handle, *failure);
        }
    }
#endif

    std::mutex mutex_;
    std::condition_variable wake_;
    std::map<int, qint64> unsynced_; // by the file's handle
    std::map<int, QString> failures_;
    bool stopping_ = false;
    bool cannotStart_ = false;
    std::thread thread_;
};

StagedFiles::StagedFiles() : earlySync_(std::make_unique<EarlySync>()) {}

StagedFiles::~StagedFiles() = default;

ByteSink& StagedFiles::stage(const QString& target, bool mayReplace) {
    Staged& staged = *files_.emplace_back(std::make_unique<Staged>(target));
    // No fallback to writing the target itself: it is replaced whole or not at all.
    staged.file.setDirectWriteFallback(false);
    if (!mayReplace && firstTaken({target}))
        staged.sink.emplace(
            FileProblem{target, QStringLiteral("Something of that name is already there.")});
    else if (!staged.file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        staged.sink.emplace(FileProblem{target, staged.file.errorString()});
    else
        staged.sink.emplace(staged.file, target).afterEachBlock([this, &staged](qint64 bytes) {
            earlySync_->written(staged.file.handle(), bytes);
        });
    return *staged.sink;
}

StagedFiles::ReportSinks
StagedFiles::stageReport(const ReportFiles& files,
                         const std::function<bool(const QString&)>& mayReplace) {
    const auto replaceable = [&](const QString& target) {
        return !mayReplace || mayReplace(target);
    };
    ByteSink& csv = stage(files.csv, replaceable(files.csv));
    return {csv, stage(files.text, replaceable(files.text))};
}

std::optional<FileProblem> StagedFiles::stagingProblem() const {
    for (const auto& staged : files_) {
        if (!staged->file.isOpen() && staged->sink->problem()) return staged->sink->problem();
    }
    return std::nullopt;
}

std::optional<FileProblem> StagedFiles::commit() {
    for (const auto& staged : files_) {
        if (auto problem = staged->sink->finish()) return problem;
    }
    // Every file is on the disk before any takes its target's place. QSaveFile syncs each again
    // as it puts it in place, but does not say when that fails.
    earlySync_->stop();
    for (const auto& staged : files_) {
        const int handle = staged->file.handle();
        std::optional<QString> failure = earlySync_->failureOf(handle);
        if (!failure) failure = syncToDisk(handle);
        if (failure) return FileProblem{staged->file.fileName(), *failure};
    }
    for (const auto& staged : files_) {
        if (!staged->file.commit())
            return FileProblem{staged->file.fileName(), staged->file.errorString()};
        ++committed_;
    }
    return std::nullopt;
}

} // namespace io
