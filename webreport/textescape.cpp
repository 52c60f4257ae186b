#include "webreport/textescape.h"

#include "report/displaytext.h"

namespace webreport {

namespace {

constexpr char16_t kControlPictures = 0x2400; // U+2400 shows NUL, U+2401 SOH, ...
constexpr char16_t kDeletePicture = 0x2421;
constexpr char16_t kReplacement = 0xFFFD;

bool isC1Control(char16_t c) {
    return c >= 0x80 && c <= 0x9F;
}

void appendUtf8(std::string& out, QStringView text) {
    out.append(text.toUtf8().toStdString());
}

// Appends the UTF-8 of one UTF-16 unit or surrogate pair starting at `i`; returns the units used.
qsizetype appendCodePoint(std::string& out, QStringView text, qsizetype i) {
    const qsizetype length =
        text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    appendUtf8(out, text.mid(i, length));
    return length;
}

const char* htmlReference(char16_t c) {
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    case '\'':
        return "&#39;";
    default:
        return nullptr;
    }
}

// Log text that needs no decoding: printable ASCII only, as nearly all of it is.
QString decoded(std::string_view logBytes) {
    for (char c : logBytes) {
        if (c < 0x20 || c >= 0x7F) return report::displayText(logBytes);
    }
    return QString::fromLatin1(logBytes.data(), static_cast<qsizetype>(logBytes.size()));
}

} // namespace

void appendHtmlText(std::string& out, QStringView text) {
    for (qsizetype i = 0; i < text.size();) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 && c >= 0x20 && c != 0x7F) {
            if (const char* reference = htmlReference(c))
                out.append(reference);
            else
                out.push_back(static_cast<char>(c));
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            const char16_t picture = c == 0x7F ? kDeletePicture : char16_t(kControlPictures + c);
            appendUtf8(out, QStringView(&picture, 1));
            ++i;
        } else if (isC1Control(c)) {
            appendUtf8(out, QStringView(&kReplacement, 1));
            ++i;
        } else {
            i += appendCodePoint(out, text, i);
        }
    }
}

void appendHtmlLogText(std::string& out, std::string_view logBytes) {
    appendHtmlText(out, decoded(logBytes));
}

void appendJsonText(std::string& out, QStringView text) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (qsizetype i = 0; i < text.size();) {
        const char16_t c = text[i].unicode();
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
            ++i;
        } else if (c < 0x20 || c == 0x7F || isC1Control(c) || c == 0x2028 || c == 0x2029) {
            out.append("\\u");
            for (int shift = 12; shift >= 0; shift -= 4)
                out.push_back(kHex[(c >> shift) & 0xF]);
            ++i;
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
        } else {
            i += appendCodePoint(out, text, i);
        }
    }
}

void appendJsonLogText(std::string& out, std::string_view logBytes) {
    appendJsonText(out, decoded(logBytes));
}

} // namespace webreport
