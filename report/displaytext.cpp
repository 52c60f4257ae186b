#include "report/displaytext.h"

#include <QStringDecoder>
#include <array>

namespace report {

namespace {

#ifndef Q_OS_WIN
// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F; its five unassigned bytes there keep
// their Latin-1 control characters.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendCp1252(QString& out, std::string_view bytes) {
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b));
    }
}

// Decodes `bytes` as UTF-8 into `out`; false, leaving `out` as it was, if they are not valid.
bool appendUtf8(QString& out, std::string_view bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError()) return false;
    out.append(text);
    return true;
}
#endif

} // namespace

QString displayText(std::string_view bytes) {
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
#else
    QString out;
    if (appendUtf8(out, bytes)) return out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    while (!bytes.empty()) {
        const size_t lineEnd = bytes.find('\n');
        const size_t length = lineEnd == std::string_view::npos ? bytes.size() : lineEnd + 1;
        const std::string_view line = bytes.substr(0, length);
        if (!appendUtf8(out, line)) appendCp1252(out, line);
        bytes.remove_prefix(length);
    }
    return out;
#endif
}

QString displayReportText(std::string_view bytes) {
    QString text = displayText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace report
