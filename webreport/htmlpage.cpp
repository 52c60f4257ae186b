#include "webreport/htmlpage.h"

namespace webreport {

namespace {

void header(io::ByteSink& out, const report::ReportData& data, const PageHeader& pageHeader) {
    out << "<header class=\"facts\">\n<h1>" << report::kReportTitle
        << "</h1>\n<p id=\"created-on\">Created on ";
    text(out, pageHeader.createdOn);
    out << "</p>\n<p>Log: <code id=\"log-path\">";
    text(out, pageHeader.logPath);
    out << "</code></p>\n";
    periodLine(out, pageHeader.period);
    out << "<p class=\"grand\">Total cut time: <span id=\"total\">" << data.total.text()
        << "</span></p>\n";
    costLine(out, pageHeader.pricing, scan::Seconds::of(data.total));
    out << "<p>Runs counted: <span id=\"runs\">" << data.runs
        << "</span>; date blocks: <span id=\"blocks\">" << static_cast<qint64>(data.blocks.size())
        << "</span></p>\n</header>\n";
}

} // namespace

void writeHtmlPage(const report::ReportData& data, const PageHeader& pageHeader,
                   io::ByteSink& out) {
    pageStart(out);
    header(out, data, pageHeader);
    out << "<main>\n";
    logSections(out, data, {}, pageHeader.pricing);
    out << "</main>\n</body>\n</html>\n";
}

} // namespace webreport
