// iofloor LOG NAME REPORT_BYTES CSV_BYTES: the input and output of `runtally-report -o NAME LOG`
// with the scan left out. Reads the log in the scan's blocks and writes NAME.txt and NAME.csv of
// the given sizes (bytes taken from the log, at most its size each) through the same sinks and
// staged files, synced and committed as the command commits them. Its time is what the disk and
// the system's copies cost before any line is read: the floor under the command's own time.
#include "io/reportfiles.h"
#include "scan/logblocks.h"
#include "scan/recordsource.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string_view>

namespace {

int fail(const io::FileProblem& problem) {
    std::fprintf(stderr, "iofloor: %s\n", qUtf8Printable(io::describe(problem)));
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: iofloor LOG NAME REPORT_BYTES CSV_BYTES\n");
        return 1;
    }
    QFile log(QString::fromLocal8Bit(argv[1]));
    if (auto problem = scan::openLog(log)) return fail(*problem);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const std::array<qint64, 2> targets{QByteArray(argv[3]).toLongLong(),
                                        QByteArray(argv[4]).toLongLong()};
    const qint64 logSize = log.size();

    io::StagedFiles files;
    const auto report = files.stageReport(io::reportFilesNamed(name));
    const std::array<io::ByteSink*, 2> sinks{&report.text, &report.csv};

    // Each file gets its share of every block, as the scan's lines follow the log's.
    std::array<qint64, 2> written{0, 0};
    const auto block = std::make_unique_for_overwrite<char[]>(scan::kReadBlockSize);
    qint64 read = 0;
    qint64 got = 0;
    while ((got = log.read(block.get(), scan::kReadBlockSize)) > 0) {
        read += got;
        for (size_t i = 0; i < 2; ++i) {
            const qint64 due = logSize > 0 ? targets[i] * read / logSize : targets[i];
            const qint64 size = std::min(due - written[i], got);
            if (size > 0) *sinks[i] << std::string_view(block.get(), size_t(size));
            written[i] += std::max<qint64>(size, 0);
        }
    }
    if (got < 0) return fail({log.fileName(), log.errorString()}); // not a floor of a short read
    if (const auto problem = files.commit()) return fail(*problem);
    return 0;
}
