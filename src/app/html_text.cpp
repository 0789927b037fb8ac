#include "app/html_text.h"

#include <array>
#include <cctype>

#include "common/text.h"

namespace examora {
namespace {

// Elements that never hold others: they open no level of nesting.
bool IsVoid(std::string_view name) {
  static constexpr std::array<std::string_view, 14> kVoid = {
      "area",  "base", "br",   "col",   "embed",  "hr",    "img",
      "input", "link", "meta", "param", "source", "track", "wbr"};
  for (auto v : kVoid) {
    if (name == v) return true;
  }
  return false;
}

bool BreaksLine(std::string_view name) {
  static constexpr std::array<std::string_view, 16> kBlocks = {
      "p",  "br", "div", "tr",    "li", "h1", "h2", "h3",
      "h4", "h5", "h6",  "table", "ul", "ol", "hr", "blockquote"};
  for (auto b : kBlocks) {
    if (name == b) return true;
  }
  return false;
}

// The lower-case name of the tag starting at html[pos] == '<', and whether it closes.
std::string TagName(std::string_view html, std::size_t pos, bool& closing) {
  std::size_t i = pos + 1;
  closing = i < html.size() && html[i] == '/';
  if (closing) ++i;
  std::string name;
  while (i < html.size() && std::isalnum(static_cast<unsigned char>(html[i])) && name.size() < 16) {
    name += static_cast<char>(std::tolower(static_cast<unsigned char>(html[i++])));
  }
  return name;
}

void AppendCodePoint(std::string& out, unsigned long cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = '?';
  AppendUtf8(out, static_cast<char32_t>(cp));
}

// Decodes the entity at html[pos] == '&' into out; returns how many bytes it took (1 when it
// is no entity, and the "&" stands for itself).
std::size_t Entity(std::string_view html, std::size_t pos, std::string& out) {
  const std::size_t end = html.find(';', pos);
  if (end == std::string_view::npos || end - pos > 10) {
    out += '&';
    return 1;
  }
  const std::string_view body = html.substr(pos + 1, end - pos - 1);
  static constexpr std::array<std::pair<std::string_view, unsigned long>, 5> kNamed = {
      {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"nbsp", ' '}}};
  for (const auto& [name, cp] : kNamed) {
    if (body == name) {
      AppendCodePoint(out, cp);
      return end - pos + 1;
    }
  }
  if (body.size() >= 2 && body[0] == '#') {
    const bool hex = body[1] == 'x' || body[1] == 'X';
    const std::string_view number = body.substr(hex ? 2 : 1);
    unsigned long cp = 0;
    bool digits = !number.empty();
    for (char c : number) {
      const auto u = static_cast<unsigned char>(c);
      const int value = std::isdigit(u)           ? c - '0'
                        : hex && std::isxdigit(u) ? std::tolower(u) - 'a' + 10
                                                  : -1;
      digits = digits && value >= 0;
      // Past the last code point it only becomes "?": no need to keep counting.
      if (value >= 0 && cp <= 0x10FFFF)
        cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(value);
    }
    if (digits) {
      AppendCodePoint(out, cp);
      return end - pos + 1;
    }
  }
  out += '&';
  return 1;
}

// Where the element whose start tag ends before `from` ends: after "</name" and its ">".
std::size_t SkipElement(std::string_view html, std::size_t from, std::string_view name) {
  std::size_t at = from;
  while ((at = html.find("</", at)) != std::string_view::npos) {
    bool closing = false;
    if (TagName(html, at, closing) == name) {
      const std::size_t close = html.find('>', at);
      return close == std::string_view::npos ? html.size() : close + 1;
    }
    at += 2;
  }
  return html.size();
}

// Trims every line and drops the empty ones.
std::string TidyLines(const std::string& text) {
  std::string out;
  for (const auto& line : SplitAt(text, '\n')) {
    const std::string trimmed = Trim(line);
    if (!trimmed.empty()) out += trimmed + "\n";
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace

bool HtmlFitsLayout(std::string_view html) {
  int depth = 0;
  std::size_t tags = 0;
  for (std::size_t pos = html.find('<'); pos != std::string_view::npos;
       pos = html.find('<', pos + 1)) {
    bool closing = false;
    const std::string name = TagName(html, pos, closing);
    if (name.empty()) continue;
    if (++tags > kMostLaidOutTags) return false;
    const std::size_t close = html.find('>', pos);
    const bool selfClosing =
        close != std::string_view::npos && close > pos && html[close - 1] == '/';
    if (closing) {
      depth = depth > 0 ? depth - 1 : 0;
    } else if (!IsVoid(name) && !selfClosing && ++depth > kMostLaidOutDepth) {
      return false;
    }
  }
  return true;
}

std::string PlainTextOfHtml(std::string_view html) {
  std::string text;  // UTF-8 until the end
  bool blank = false;
  for (std::size_t pos = 0; pos < html.size();) {
    const char c = html[pos];
    if (c == '<') {
      if (html.substr(pos, 4) == "<!--") {
        const std::size_t end = html.find("-->", pos + 4);
        pos = end == std::string_view::npos ? html.size() : end + 3;
        continue;
      }
      bool closing = false;
      const std::string name = TagName(html, pos, closing);
      const std::size_t close = html.find('>', pos);
      pos = close == std::string_view::npos ? html.size() : close + 1;
      if (!closing && (name == "head" || name == "script" || name == "style" || name == "title")) {
        pos = SkipElement(html, pos, name);
      } else if (BreaksLine(name)) {
        text += '\n';
        blank = true;
      } else if ((name == "td" || name == "th") && !blank) {
        text += ' ';
        blank = true;
      }
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (!blank) text += ' ';
      blank = true;
      ++pos;
      continue;
    }
    blank = false;
    pos += c == '&' ? Entity(html, pos, text) : (text += c, 1);
  }
  return Utf8ToCp1252(TidyLines(text));
}

}  // namespace examora
