#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace webreport {

// Log text is data: these turn it into text that a page or a JSON document shows as it stands,
// whatever bytes the log holds. Log bytes are first decoded as the window decodes them, so the
// result is always valid UTF-8.

// For HTML and SVG, in element content and in quoted attribute values: & < > " ' become
// character references; control characters (C0 and DEL) their visible pictures from the Control
// Pictures block (NUL shows as U+2400); C1 controls the replacement character.
void appendHtmlText(std::string& out, QStringView text);
void appendHtmlLogText(std::string& out, std::string_view logBytes);

// For a JSON string, without its quotes: " and \ escaped, every control character (C0, DEL,
// C1) and U+2028/U+2029 as \uXXXX, the rest as UTF-8. Nothing is lost: NUL stays \u0000.
void appendJsonText(std::string& out, QStringView text);
void appendJsonLogText(std::string& out, std::string_view logBytes);

} // namespace webreport
