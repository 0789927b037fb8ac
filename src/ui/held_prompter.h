// A prompter that can hold back plain message boxes for a moment and show them afterwards, so
// that a confirmed answer reaches the journal before the box about it waits for the student.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/prompter.h"

namespace examora {

class HeldPrompter : public Prompter {
 public:
  explicit HeldPrompter(Prompter& shown) : shown_(shown) {}

  /// From now on boxes with a lone OK button wait; the others (they need an answer) do not.
  void Hold() { holding_ = true; }
  /// Shows the boxes that waited, in order.
  void Release() {
    holding_ = false;
    auto waiting = std::exchange(waiting_, {});
    for (const auto& [title, text, icon] : waiting)
      shown_.Message(title, text, MessageButtons::Ok, icon);
  }
  /// Drops the boxes that waited (a sitting replayed from its journal says nothing again).
  void Discard() {
    holding_ = false;
    waiting_.clear();
  }

 protected:
  MessageAnswer ShowMessage(const std::string& title, const std::string& text,
                            MessageButtons buttons, MessageIcon icon,
                            std::optional<MessageAnswer> defaultButton) override {
    if (holding_ && buttons == MessageButtons::Ok) {
      waiting_.push_back({title, text, icon});
      return MessageAnswer::Ok;
    }
    return shown_.Message(title, text, buttons, icon, defaultButton);
  }
  std::optional<std::string> AskInput(const std::string& title, const std::string& prompt,
                                      const std::string& initial) override {
    return shown_.Input(title, prompt, initial);
  }
  std::optional<std::string> AskSecret(const std::string& title,
                                       const std::string& prompt) override {
    return shown_.Secret(title, prompt);
  }
  std::optional<std::string> ChooseOpenFile(const std::string& title,
                                            const std::string& filter) override {
    return shown_.OpenFile(title, filter);
  }
  std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                            const std::string& suggested) override {
    return shown_.SaveFile(title, filter, suggested);
  }

 private:
  struct Waiting {
    std::string title, text;
    MessageIcon icon;
  };
  Prompter& shown_;
  bool holding_ = false;
  std::vector<Waiting> waiting_;
};

}  // namespace examora
