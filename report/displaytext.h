#pragma once

#include <QString>
#include <string_view>

namespace report {

// Text for display from log bytes, which pass into the report files unchanged. On Windows the
// bytes are in the ANSI code page. Elsewhere they are taken as UTF-8 where they are valid UTF-8,
// line by line, and as Windows-1252 (the code page the control software writes in) where not.
QString displayText(std::string_view bytes);

// The same for the report text: its CR LF line ends become the "\n" that text widgets use.
QString displayReportText(std::string_view bytes);

} // namespace report
