// The HTML pages and style sheet of the report step. Pages are HTML5 in UTF-8 (names held as
// Windows-1252 are converted), one table that scrolls sideways on a small screen.
#include <algorithm>
#include <numeric>

#include "common/text.h"
#include "reports/mark_table.h"

namespace examora {
namespace {

std::string Html(std::string_view cp1252) {
  std::string out;
  for (char c : Cp1252ToUtf8(cp1252)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string HeadingCells(const MarkTable& table, bool teacher) {
  std::string cells = teacher ? "<th scope=\"col\">Last name</th><th scope=\"col\">First name</th>"
                                "<th scope=\"col\">Student No.</th>"
                              : "<th scope=\"col\">Student No.</th>";
  for (const auto& test : table.columns) {
    const std::string label = Html(test.name.empty() ? test.number : test.number + " " + test.name);
    cells += "<th scope=\"col\" class=\"test\"><img src=\"css/images/" + Html(test.number) +
             ".PNG\" width=\"19\" height=\"251\" alt=\"" + label + "\" title=\"" + label +
             "\"></th>";
  }
  return cells;
}

std::string RowCells(const MarkRow& row, bool teacher) {
  const ReportStudent& s = row.student;
  std::string cells = teacher
                          ? "<th scope=\"row\">" + Html(s.lastName) + "</th><td class=\"name\">" +
                                Html(s.firstName) + "</td><td>" + Html(s.number) + "</td>"
                          : "<th scope=\"row\">" + Html(s.number) + "</th>";
  for (const auto& marks : row.marks) {
    cells += marks.size() > 1 ? "<td class=\"repeat\">" : "<td>";
    cells += MarkText(marks) + "</td>";
  }
  return cells;
}

}  // namespace

std::string ReportPage(const MarkTable& table, bool teacher) {
  const std::string title = teacher ? "Results by surname" : "Results by student number";
  std::string page =
      "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n<title>" +
      title + "</title>\r\n<link rel=\"stylesheet\" href=\"css/results.css\">\r\n</head>\r\n" +
      "<body>\r\n<h1>" + title + "</h1>\r\n" +
      "<p class=\"note\">A mark with a decimal place is the average of a repeated test.</p>\r\n" +
      "<div class=\"scroll\">\r\n<table>\r\n<thead>\r\n<tr>" + HeadingCells(table, teacher) +
      "</tr>\r\n</thead>\r\n<tbody>\r\n";
  for (std::size_t i : RowOrder(table, teacher)) {
    page += "<tr>" + RowCells(table.rows[i], teacher) + "</tr>\r\n";
  }
  const ReportSummary& s = table.summary;
  page += "</tbody>\r\n</table>\r\n</div>\r\n<ul class=\"summary\">\r\n<li>Total Test Events: " +
          std::to_string(s.testEvents) +
          "</li>\r\n<li>Participating Students: " + std::to_string(s.students) +
          "</li>\r\n<li>Available Tests: " + std::to_string(s.tests) + "</li>\r\n";
  if (s.damaged > 0) {
    page +=
        "<li>Damaged records left out (listed in masterfile2.txt): " + std::to_string(s.damaged) +
        "</li>\r\n";
  }
  page += "</ul>\r\n</body>\r\n</html>\r\n";
  return page;
}

std::string ResultsStyleSheet() {
  return "/* Results reports: the table scrolls sideways on a small screen; the student column\r\n"
         "   stays in view; print shows the whole table in black on white. */\r\n"
         "body { font-family: system-ui, \"DejaVu Sans\", sans-serif; margin: 1rem; color: #111; "
         "background: #fff; }\r\n"
         "h1 { font-size: 1.4rem; margin: 0 0 0.5rem; }\r\n"
         ".note { font-size: 0.85rem; color: #444; }\r\n"
         ".scroll { overflow-x: auto; max-width: 100%; }\r\n"
         "table { border-collapse: collapse; font-size: 0.9rem; }\r\n"
         "th, td { border: 1px solid #999; padding: 0.2rem 0.4rem; text-align: center; "
         "white-space: nowrap; }\r\n"
         "thead th { vertical-align: bottom; background: #eef2f7; }\r\n"
         "th.test { padding: 0.2rem 0.1rem; }\r\n"
         "th.test img { display: block; margin: 0 auto; }\r\n"
         "tbody th { position: sticky; left: 0; background: #fff; text-align: left; }\r\n"
         "td.name { text-align: left; }\r\n"
         "tbody tr:nth-child(even) td { background: #f6f6f6; }\r\n"
         "td.repeat { font-style: italic; }\r\n"
         "td.bar { text-align: left; min-width: 100px; }\r\n"
         "td.bar span { display: inline-block; height: 0.8em; background: #3a6ea5;\r\n"
         "  print-color-adjust: exact; -webkit-print-color-adjust: exact; }\r\n"
         "td.flags { text-align: left; color: #a00; }\r\n"
         ".summary { list-style: none; padding: 0; margin-top: 1rem; }\r\n"
         "@media (max-width: 600px) {\r\n"
         "  body { margin: 0.5rem; }\r\n"
         "  table { font-size: 0.8rem; }\r\n"
         "  th, td { padding: 0.15rem 0.25rem; }\r\n"
         "}\r\n"
         "@media print {\r\n"
         "  body { margin: 0; font-size: 10pt; }\r\n"
         "  .scroll { overflow: visible; }\r\n"
         "  tbody th { position: static; }\r\n"
         "  thead { display: table-header-group; }\r\n"
         "  tr { break-inside: avoid; }\r\n"
         "  th, td { border-color: #000; }\r\n"
         "  thead th, tbody tr:nth-child(even) td { background: none; }\r\n"
         "}\r\n";
}

}  // namespace examora
