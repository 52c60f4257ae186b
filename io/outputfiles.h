#pragma once

#include "io/bytesink.h"
#include "io/fileproblem.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

namespace io {

// The files that one run writes side by side, each through a BufferedFileSink on a thread of its
// own, so that nothing half written passes for whole. An output is one of:
// - staged: written beside its target and put in its place by commit() only when complete, and
//   synced as it is written: a saved report is on the disk once the program says it is saved;
// - created: created (or emptied) at its path and written there, as the window's temporary
//   files are;
// - attached: an open device that stays the caller's, such as standard output.
// A run ends in finish() (then commit(), where outputs are staged) or in abandon(), which drops
// staged files and removes created ones; whatever is left at destruction is abandoned.
class OutputFiles {
public:
    OutputFiles();
    ~OutputFiles();
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;

    // Each adds an output and returns the sink to write it through; nothing, with problem() set,
    // when the file cannot be opened or its writing thread cannot be started.
    ByteSink* stage(const QString& target);
    ByteSink* create(const QString& path);
    ByteSink* attach(QIODevice& device, const QString& name);

    // Lets every output write out the rest side by side, waits for all of them and closes the
    // created files: the problems of those that failed, in the order they were added. Created
    // files stay in place either way.
    std::vector<FileProblem> finish();
    // Puts the staged outputs in their targets' places, in the order they were added, after
    // finish(): the first that fails, and the rest are dropped. An output that did not complete
    // without a problem is never put in place.
    std::optional<FileProblem> commit();
    // Drops what is not written yet: staged files are discarded, created files removed.
    void abandon();

    // Why the output last added could not be.
    const FileProblem& problem() const { return problem_; }

private:
    enum class Kind { Staged, Created, Attached };
    class Output;
    ByteSink* add(Kind kind, const QString& path, QIODevice* device);

    std::vector<std::unique_ptr<Output>> outputs_;
    FileProblem problem_;
};

} // namespace io
