#pragma once

#include "io/fileproblem.h"
#include "io/stagedfile.h"

#include <QString>
#include <memory>

namespace save {

// A complete copy of a file, staged beside its target and then put in its place in one step.
// Whatever fails on the way, the target is either untouched or holds the whole copy, and the
// source is never changed: an old report is never gone unless its replacement is complete, and
// works across folders and file systems alike.
class StagedCopy {
public:
    StagedCopy(QString source, QString target);

    // Copies the source into a temporary file beside the target. `replace` says whether an existing
    // target may be replaced; if not, anything already standing at the target's path (a hidden
    // file, a folder) makes this fail rather than be replaced.
    bool prepare(bool replace);
    // Puts the prepared copy in the target's place.
    bool commit();

    // What went wrong, once prepare or commit has failed.
    const io::FileProblem& problem() const { return problem_; }

private:
    bool fail(const QString& path, const QString& reason);
    bool failStaging();
    bool copyInto(io::StagedFile& copy);

    QString source_;
    QString target_;
    std::unique_ptr<io::StagedFile> copy_;
    io::FileProblem problem_;
};

} // namespace save
