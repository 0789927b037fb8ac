// Text of imported questions: HTML to plain text, UTF-8 to Windows-1252 with every character
// that does not fit named.
#include "bridge/import_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "bridge/question_import.h"
#include "common/text.h"

namespace examora {
namespace {

const std::unordered_map<std::string_view, char32_t>& NamedEntities() {
  static const std::unordered_map<std::string_view, char32_t> table = {
      {"amp", '&'},       {"lt", '<'},       {"gt", '>'},       {"quot", '"'},
      {"apos", '\''},     {"nbsp", ' '},     {"deg", 0xB0},     {"micro", 0xB5},
      {"times", 0xD7},    {"divide", 0xF7},  {"plusmn", 0xB1},  {"sup1", 0xB9},
      {"sup2", 0xB2},     {"sup3", 0xB3},    {"frac12", 0xBD},  {"frac14", 0xBC},
      {"frac34", 0xBE},   {"middot", 0xB7},  {"ndash", 0x2013}, {"mdash", 0x2014},
      {"lsquo", 0x2018},  {"rsquo", 0x2019}, {"ldquo", 0x201C}, {"rdquo", 0x201D},
      {"hellip", 0x2026}, {"euro", 0x20AC},  {"copy", 0xA9},    {"reg", 0xAE},
      {"eacute", 0xE9},   {"egrave", 0xE8},  {"aacute", 0xE1},  {"agrave", 0xE0},
      {"ouml", 0xF6},     {"auml", 0xE4},    {"uuml", 0xFC},    {"szlig", 0xDF},
      {"Omega", 0x3A9},   {"mu", 0x3BC},     {"pi", 0x3C0},     {"alpha", 0x3B1},
      {"beta", 0x3B2},    {"theta", 0x3B8},  {"le", 0x2264},    {"ge", 0x2265},
      {"minus", 0x2212},  {"ccedil", 0xE7},  {"ntilde", 0xF1},  {"oslash", 0xF8},
      {"Oslash", 0xD8},   {"ordm", 0xBA},    {"frasl", '/'},    {"shy", 0xAD},
  };
  return table;
}

// The code point of "&...;" starting at `at`, and where the reference ends; nothing when the
// text there is not a reference this reader knows.
bool DecodeEntity(std::string_view text, std::size_t at, char32_t& code, std::size_t& end) {
  // Looked for only as far as the longest reference reaches: a text of many "&" and no ";"
  // must not be searched to its end from each of them.
  const std::size_t near = text.substr(at, 13).find(';');
  if (near == std::string_view::npos || near == 1) return false;
  const std::size_t semi = at + near;
  const std::string_view body = text.substr(at + 1, semi - at - 1);
  if (body[0] == '#') {
    const bool hex = body.size() > 1 && (body[1] == 'x' || body[1] == 'X');
    const std::string digits(body.substr(hex ? 2 : 1));
    if (digits.empty() || digits.size() > 7) return false;
    char* stop = nullptr;
    const unsigned long value = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
    if (*stop != '\0' || value == 0 || value > 0x10FFFF) return false;
    code = static_cast<char32_t>(value);
  } else {
    const auto found = NamedEntities().find(body);
    if (found == NamedEntities().end()) return false;
    code = found->second;
  }
  end = semi + 1;
  return true;
}

std::string LowerTagName(std::string_view tag) {
  std::size_t i = tag.front() == '/' ? 1 : 0;
  std::string name = tag.front() == '/' ? "/" : "";
  for (; i < tag.size() && std::isalnum(static_cast<unsigned char>(tag[i])); ++i) {
    name += static_cast<char>(std::tolower(static_cast<unsigned char>(tag[i])));
  }
  return name;
}

bool BreaksLine(const std::string& name) {
  static const char* const kBreaking[] = {"br",  "p",  "/p",  "div", "/div", "li",    "tr",
                                          "h1",  "h2", "h3",  "h4",  "/h1",  "/h2",   "/h3",
                                          "/h4", "ul", "/ul", "ol",  "/ol",  "table", "/table"};
  return std::any_of(std::begin(kBreaking), std::end(kBreaking),
                     [&](const char* b) { return name == b; });
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The file name an image address names: percent escapes decoded, the folders and any query
// dropped, so a picture always lies in the test's own folder.
std::string PictureName(std::string_view src) {
  src = src.substr(0, src.find_first_of("?#"));
  std::string decoded;
  for (std::size_t i = 0; i < src.size(); ++i) {
    if (src[i] == '%' && i + 2 < src.size() && HexDigit(src[i + 1]) >= 0 &&
        HexDigit(src[i + 2]) >= 0) {
      decoded += static_cast<char>(HexDigit(src[i + 1]) * 16 + HexDigit(src[i + 2]));
      i += 2;
    } else {
      decoded += src[i];
    }
  }
  const std::size_t slash = decoded.find_last_of("/\\");
  std::string name = slash == std::string::npos ? decoded : decoded.substr(slash + 1);
  return name == "." || name == ".." ? "" : name;
}

std::string AttributeValue(std::string_view tag, std::string_view attribute) {
  std::string lower(tag);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::size_t at = 0;
  while ((at = lower.find(attribute, at)) != std::string::npos) {
    const bool startsWord = at > 0 && std::isspace(static_cast<unsigned char>(lower[at - 1]));
    std::size_t i = at + attribute.size();
    while (i < lower.size() && lower[i] == ' ') ++i;
    if (startsWord && i < lower.size() && lower[i] == '=') {
      ++i;
      while (i < lower.size() && lower[i] == ' ') ++i;
      const char quote = i < lower.size() && (lower[i] == '"' || lower[i] == '\'') ? lower[i] : 0;
      const std::size_t start = quote ? i + 1 : i;
      const std::size_t end = quote ? tag.find(quote, start) : tag.find_first_of(" >/", start);
      return std::string(tag.substr(start, (end == std::string::npos ? tag.size() : end) - start));
    }
    at += attribute.size();
  }
  return "";
}

// Blanks collapsed, none at either side of a line break, no empty lines, none at the ends.
std::string TidyLines(std::string_view text) {
  std::string out;
  bool blank = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r') {
      blank = !out.empty() && out.back() != '\n';
    } else if (c == '\n') {
      if (!out.empty() && out.back() != '\n') out += '\n';
      blank = false;
    } else {
      if (blank) out += ' ';
      out += c;
      blank = false;
    }
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace

std::string HtmlToPlain(std::string_view html, std::vector<std::string>* pictures) {
  std::string out;
  out.reserve(html.size());
  for (std::size_t i = 0; i < html.size(); ++i) {
    const char c = html[i];
    const char next = i + 1 < html.size() ? html[i + 1] : '\0';
    if (c == '<' && html.substr(i, 4) == "<!--") {
      const std::size_t end = html.find("-->", i + 4);
      i = end == std::string_view::npos ? html.size() : end + 2;
    } else if (c == '<' && (std::isalpha(static_cast<unsigned char>(next)) || next == '/' ||
                            next == '!' || next == '?')) {
      const std::size_t end = html.find('>', i);
      const std::string_view tag =
          html.substr(i + 1, (end == std::string_view::npos ? html.size() : end) - i - 1);
      const std::string name = tag.empty() ? "" : LowerTagName(tag);
      if (BreaksLine(name)) out += '\n';
      if (name == "img" && pictures) {
        const std::string src = AttributeValue(tag, "src");
        if (src.rfind("data:", 0) != 0) pictures->push_back(PictureName(src));
      }
      if (name == "script" || name == "style") {
        const std::size_t close = html.find("</", end == std::string_view::npos ? i : end);
        i = close == std::string_view::npos ? html.size() : html.find('>', close);
        if (i == std::string_view::npos) i = html.size();
        continue;
      }
      i = end == std::string_view::npos ? html.size() : end;
    } else if (c == '&') {
      char32_t code = 0;
      std::size_t end = 0;
      if (DecodeEntity(html, i, code, end)) {
        AppendUtf8(out, code == 0xA0 ? ' ' : code);
        i = end - 1;
      } else {
        out += c;
      }
    } else {
      out += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
    }
  }
  return TidyLines(out);
}

std::string PlainTextLines(std::string_view text) {
  return TidyLines(text);
}

std::string ToCp1252Named(std::string_view utf8, std::vector<std::string>& unconvertible) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      out += utf8[i++];
      continue;
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    const std::string_view one = utf8.substr(i, length);
    i += one.size();
    // A minus sign and a Greek mu have exact Windows-1252 look-alikes that marking reads.
    if (one == "\xE2\x88\x92") {
      out += '-';
      continue;
    }
    if (one == "\xCE\xBC") {
      out += '\xB5';
      continue;
    }
    const std::string converted = Utf8ToCp1252(one);
    if (converted == "?") {
      char name[16];
      std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(Utf8CodePoint(one)));
      const std::string shown = IsValidUtf8(one) ? "\"" + std::string(one) + "\" (" + name + ")"
                                                 : std::string("a malformed byte");
      if (std::find(unconvertible.begin(), unconvertible.end(), shown) == unconvertible.end())
        unconvertible.push_back(shown);
    }
    out += converted;
  }
  return out;
}

char32_t Utf8CodePoint(std::string_view one) {
  if (one.empty()) return 0;
  const auto lead = static_cast<unsigned char>(one[0]);
  if (lead < 0x80) return lead;
  const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
  char32_t code = lead & (0x3F >> extra);
  for (int k = 1; k <= extra && k < static_cast<int>(one.size()); ++k) {
    code = (code << 6) | (static_cast<unsigned char>(one[static_cast<std::size_t>(k)]) & 0x3F);
  }
  return code;
}

}  // namespace examora
