// iofloor LOG NAME REPORT_BYTES CSV_BYTES: the input and output of `runtally-report -o NAME LOG`
// with the scan left out. Reads the log in the scan's blocks and writes NAME.txt and NAME.csv of
// the given sizes (bytes taken from the log, at most its size each) through the same sinks and
// staged files, synced and committed as the command commits them. Its time is what the disk and
// the system's copies cost before any line is read: the floor under the command's own time.
#include "platform/stagedfile.h"
#include "scan/bytesink.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string_view>

namespace {

int fail(const platform::FileProblem& problem) {
    std::fprintf(stderr, "iofloor: %s\n", qUtf8Printable(platform::describe(problem)));
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: iofloor LOG NAME REPORT_BYTES CSV_BYTES\n");
        return 1;
    }
    QFile log(QString::fromLocal8Bit(argv[1]));
    if (!log.open(QIODevice::ReadOnly)) return fail({log.fileName(), log.errorString()});
    const QString name = QString::fromLocal8Bit(argv[2]);
    const std::array<QString, 2> paths{name + ".txt", name + ".csv"};
    const std::array<qint64, 2> targets{QByteArray(argv[3]).toLongLong(),
                                        QByteArray(argv[4]).toLongLong()};
    const qint64 logSize = log.size();

    std::array<std::unique_ptr<platform::StagedFile>, 2> files;
    std::array<std::unique_ptr<scan::BufferedFileSink>, 2> sinks;
    for (size_t i = 0; i < 2; ++i) {
        files[i] = std::make_unique<platform::StagedFile>(paths[i]);
        if (!files[i]->open()) return fail(files[i]->problem());
        sinks[i] = std::make_unique<scan::BufferedFileSink>(
            files[i]->device(), paths[i], scan::BufferedFileSink::Finish::Commit);
    }

    // Each file gets its share of every block, as the scan's lines follow the log's.
    std::array<qint64, 2> written{0, 0};
    const auto block = std::make_unique_for_overwrite<char[]>(scan::BufferedFileSink::kBlockSize);
    qint64 read = 0;
    qint64 got = 0;
    while ((got = log.read(block.get(), scan::BufferedFileSink::kBlockSize)) > 0) {
        read += got;
        for (size_t i = 0; i < 2; ++i) {
            const qint64 due = logSize > 0 ? targets[i] * read / logSize : targets[i];
            const qint64 size = std::min(due - written[i], got);
            if (size > 0) sinks[i]->write(std::string_view(block.get(), size_t(size)));
            written[i] += std::max<qint64>(size, 0);
        }
    }
    if (got < 0) return fail({log.fileName(), log.errorString()}); // not a floor of a short read
    for (auto& sink : sinks)
        sink->finishWriting();
    for (size_t i = 0; i < 2; ++i) {
        if (!sinks[i]->flush()) return fail({paths[i], sinks[i]->error()});
    }
    for (auto& sink : sinks)
        sink->abandon(); // all written: this only stops the writing threads
    for (auto& file : files) {
        if (!file->commit()) return fail(file->problem());
    }
    return 0;
}
