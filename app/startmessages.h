#pragma once

#include "io/fileproblem.h"

#include <QString>
#include <vector>

// What the window tells the user when the log or the temporary report files fail it at start.
namespace startMessages {

// The log exists but could not be opened or read to its end: the program ends.
QString unreadableLogTitle();
QString unreadableLogText(const io::FileProblem& problem);

// report.tmp or csv.tmp could not be created or written completely: the results are still shown,
// but the reports cannot be saved.
QString tempFilesTitle();
QString tempFilesText(const std::vector<io::FileProblem>& problems);

} // namespace startMessages
