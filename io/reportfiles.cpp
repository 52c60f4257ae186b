#include "io/reportfiles.h"

#include <QFileInfo>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

namespace io {

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
    ~EarlySync() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable()) thread_.join();
    }

    // `bytes` more of the file `handle` have been written, on the writing thread.
    void written([[maybe_unused]] int handle, [[maybe_unused]] qint64 bytes) {
#ifdef Q_OS_LINUX
        {
            const std::lock_guard lock(mutex_);
            if ((unsynced_[handle] += bytes) < kInterval || cannotStart_) return;
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
            fdatasync(handle); // a failure shows again when the file is committed
            lock.lock();
        }
    }
#endif

    std::mutex mutex_;
    std::condition_variable wake_;
    std::map<int, qint64> unsynced_; // by the file's handle
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
            if (earlySync_) earlySync_->written(staged.file.handle(), bytes);
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

std::optional<FileProblem> StagedFiles::commit() {
    for (const auto& staged : files_) {
        if (auto problem = staged->sink->finish()) return problem;
    }
    earlySync_.reset();
    for (const auto& staged : files_) {
        if (!staged->file.commit())
            return FileProblem{staged->file.fileName(), staged->file.errorString()};
        ++committed_;
    }
    return std::nullopt;
}

} // namespace io
