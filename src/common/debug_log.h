// The lines the debug window ("Debug window", list `List1`) shows: the matrix solver's trace
// and, while the window is visible, the significant-figure rounding trace.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace examora {

struct DebugLog {
  std::vector<std::string> List1;
  bool visible = false;
  /// Called for every added line (the window appends it to its list).
  std::function<void(const std::string&)> onAdd;

  void Add(std::string line) {
    List1.push_back(std::move(line));
    if (onAdd) onAdd(List1.back());
  }
};

/// What the formula services need around them: where messages go, where traces go, and the
/// question number the overflow message names.
struct FormulaContext {
  class Prompter* prompter = nullptr;  // none: messages are not shown
  DebugLog* debug = nullptr;           // none: traces are dropped
  int currentQuestion = 0;
};

}  // namespace examora
