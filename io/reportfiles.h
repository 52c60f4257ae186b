#pragma once

#include "io/bytesink.h"
#include "io/fileproblem.h"

#include <QSaveFile>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace io {

// The files a report is saved as: the chosen name with ".csv" appended (the CSV) and with ".txt"
// appended (the text report), also when the name already ends in an extension. They are written
// and put in place in this order, the CSV first, wherever a report is saved.
struct ReportFiles {
    QString csv;
    QString text;

    std::vector<QString> inOrder() const { return {csv, text}; }
};
ReportFiles reportFilesNamed(const QString& name);

// The first of `paths` at which anything at all stands: a file of any kind, a folder, or a link,
// even one that points nowhere. A file put in its place would replace it.
std::optional<QString> firstTaken(const std::vector<QString>& paths);

// Files written side by side, each beside its target, and put in their targets' places only once
// every one of them is complete and on the disk: a failure until then leaves every target as it
// was. Each is then put in place in one step; should a later step fail (a rename refused), the
// files put in place before it stay, and committed() says how many they are. Whatever is not put
// in place is discarded.
class StagedFiles {
public:
    StagedFiles();
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    // A file to be put in `target`'s place, and the sink to write it through. Unless
    // `mayReplace`, anything that stands at the target (a hidden file, a folder) is left alone and
    // the file fails. A file that cannot be staged drops what it is given; commit() says why.
    ByteSink& stage(const QString& target, bool mayReplace = true);
    // NAME.csv and NAME.txt, staged in that order; `mayReplace` tells for each target whether
    // what stands there may be replaced.
    struct ReportSinks {
        ByteSink& csv;
        ByteSink& text;
    };
    ReportSinks stageReport(const ReportFiles& files,
                            const std::function<bool(const QString&)>& mayReplace = {});

    // The first file that could not be staged, known before anything is written to it.
    std::optional<FileProblem> stagingProblem() const;

    // Completes every file and puts it on the disk, then puts them in place in the order staged:
    // the first problem, after which nothing more is put in place.
    std::optional<FileProblem> commit();
    // How many files commit() has put in place.
    size_t committed() const { return committed_; }

private:
    struct Staged {
        explicit Staged(const QString& target) : file(target) {}
        QSaveFile file;
        std::optional<ByteSink> sink;
    };
    class EarlySync;
    std::vector<std::unique_ptr<Staged>> files_;
    std::unique_ptr<EarlySync> earlySync_; // stops before the files go
    size_t committed_ = 0;
};

} // namespace io
