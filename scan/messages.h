#pragma once

#include "scan/logscan.h"

#include <QString>
#include <vector>

// What the program tells the user about the log and the temporary report files.
namespace scan::messages {

// No log where the setting says: the program ends.
QString missingLogTitle();
QString missingLogText();

// The log exists but could not be opened or read to its end: the program ends.
QString unreadableLogTitle();
QString unreadableLogText(const FileProblem& problem);

// report.tmp or csv.tmp could not be created or written completely: the results are still shown,
// but the reports cannot be saved.
QString tempFilesTitle();
QString tempFilesText(const std::vector<FileProblem>& problems);

} // namespace scan::messages
