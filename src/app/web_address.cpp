#include "app/web_address.h"

#include <cctype>
#include <filesystem>
#include <vector>

#include "app/testlist.h"
#include "common/error.h"
#include "common/text.h"
#include "platform/paths.h"

namespace examora {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<std::string> Parts(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool HasControl(std::string_view text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// A part that names the folder itself or its parent, as typed or once decoded (twice, for
// servers that decode again).
bool IsDotPart(std::string_view part) {
  const std::string once = PercentDecoded(part);
  const std::string twice = PercentDecoded(once);
  for (const std::string& p : {std::string(part), once, twice}) {
    if (p == "." || p == "..") return true;
  }
  return false;
}

// "scheme://" at the start (RFC 3986 scheme characters).
std::size_t SchemeLength(std::string_view address) {
  if (address.empty() || !std::isalpha(static_cast<unsigned char>(address[0]))) return 0;
  std::size_t i = 1;
  while (i < address.size() && (std::isalnum(static_cast<unsigned char>(address[i])) ||
                                address[i] == '+' || address[i] == '-' || address[i] == '.')) {
    ++i;
  }
  return address.substr(i).starts_with("://") ? i : 0;
}

struct SplitAddress {
  std::string scheme, authority, path;
};

std::optional<SplitAddress> Split(std::string_view address) {
  const std::size_t scheme = SchemeLength(address);
  if (scheme == 0) return std::nullopt;
  std::string_view rest = address.substr(scheme + 3);
  rest = rest.substr(0, rest.find_first_of("?#"));
  const std::size_t slash = rest.find('/');
  SplitAddress split;
  split.scheme = LowerAscii(address.substr(0, scheme));
  split.authority = LowerAscii(rest.substr(0, slash));
  split.path = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
  return split;
}

}  // namespace

std::string AsciiAddress(std::string_view address) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : address) {
    if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string WebFolderAddress(std::string_view setting) {
  const std::string text = Trim(setting);
  if (text.empty()) throw FormatError("The web folder address is empty");
  if (const std::size_t scheme = SchemeLength(text); scheme > 0) {
    const std::string name = LowerAscii(text.substr(0, scheme));
    if (name != "http" && name != "https" && name != "file") {
      throw FormatError(
          "The web folder must be an http://, https:// or file:// address or a "
          "folder path; got \"" +
          text + "\"");
    }
    std::string address = AsciiAddress(text);
    if (address.back() != '/') address += '/';
    return address;
  }
  return FolderFileUrl(std::filesystem::path(text));
}

bool IsSafeFolderName(std::string_view name) {
  if (name.empty() || HasControl(name) || IsDotPart(name)) return false;
  const std::string decoded = PercentDecoded(PercentDecoded(name));
  return decoded.find_first_of("/\\:") == std::string::npos;
}

std::optional<std::string> ResolveInTestFolder(std::string_view webBase,
                                               std::string_view testFolder,
                                               std::string_view entry) {
  if (!IsSafeFolderName(testFolder) || HasControl(entry)) return std::nullopt;
  std::string path(entry);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  const std::string decoded = PercentDecoded(PercentDecoded(path));
  if (path.empty() || path[0] == '/' || decoded[0] == '/' ||
      decoded.find_first_of(":\\") != std::string::npos) {
    return std::nullopt;
  }
  std::string kept;
  for (const std::string& part : Parts(path)) {
    if (IsDotPart(part)) return std::nullopt;
    if (part.empty()) continue;  // "a//b" is "a/b"
    if (!kept.empty()) kept += '/';
    kept += part;
  }
  if (kept.empty()) return std::nullopt;
  return std::string(webBase) + "tests/" +
         EncodeUrlPath(Cp1252ToUtf8(std::string(testFolder) + "/" + kept));
}

bool IsInsideFolder(std::string_view address, std::string_view folder) {
  const auto a = Split(address);
  const auto f = Split(folder);
  if (!a || !f || a->scheme != f->scheme || a->authority != f->authority) return false;
  if (HasControl(a->path)) return false;
  for (const std::string& part : Parts(a->path)) {
    if (IsDotPart(part)) return false;
  }
  const std::string path = PercentDecoded(a->path);
  if (path.find('\\') != std::string::npos) return false;
  std::string base = PercentDecoded(f->path);
  if (base.empty() || base.back() != '/') base += '/';
  return path.starts_with(base);
}

std::string FolderOf(std::string_view address) {
  std::string_view rest = address.substr(0, address.find_first_of("?#"));
  const std::size_t slash = rest.rfind('/');
  return std::string(slash == std::string_view::npos ? rest : rest.substr(0, slash + 1));
}

}  // namespace examora
