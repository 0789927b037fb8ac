// Opening an address in the desktop's own program for it (a report in the browser). Behind an
// interface so tests can see the address and a locked exam session can refuse.
#pragma once

#include <string>
#include <vector>

namespace examora {

class UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  /// Hands the address to the desktop; false when it was refused or could not be opened.
  virtual bool Open(const std::string& url) = 0;
};

/// Records the addresses instead of opening them; `refuse` makes every Open fail.
class RecordingUrlOpener : public UrlOpener {
 public:
  bool Open(const std::string& url) override {
    opened.push_back(url);
    return !refuse;
  }
  std::vector<std::string> opened;
  bool refuse = false;
};

}  // namespace examora
