// The dialog seam: message boxes, input boxes and file dialogs. The Qt version shows real
// dialogs; the scripted version records every prompt and answers from what a test set up, so
// no test ever blocks on a modal box. Text is Windows-1252 bytes; lines are split by CR LF.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace examora {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class Prompter {
 public:
  virtual ~Prompter() = default;
  /// A message box with a fixed title; returns the button pressed. `defaultButton` is the one
  /// Enter presses (the first button when not given).
  MessageAnswer Message(const std::string& title, const std::string& text,
                        MessageButtons buttons = MessageButtons::Ok,
                        MessageIcon icon = MessageIcon::None,
                        std::optional<MessageAnswer> defaultButton = std::nullopt) {
    return ShowMessage(title, text, buttons, icon, defaultButton);
  }
  /// An input box; nothing when cancelled.
  std::optional<std::string> Input(const std::string& title, const std::string& prompt,
                                   const std::string& initial = {}) {
    return AskInput(title, prompt, initial);
  }
  /// An input box whose typing is not shown (a password); nothing when cancelled.
  std::optional<std::string> Secret(const std::string& title, const std::string& prompt) {
    return AskSecret(title, prompt);
  }
  /// Open and save dialogs; filter as "Text files (*.txt)". Nothing when cancelled.
  std::optional<std::string> OpenFile(const std::string& title, const std::string& filter) {
    return ChooseOpenFile(title, filter);
  }
  std::optional<std::string> SaveFile(const std::string& title, const std::string& filter,
                                      const std::string& suggested = {}) {
    return ChooseSaveFile(title, filter, suggested);
  }
  /// A Yes/No question box; true for Yes.
  bool AskYesNo(const std::string& title, const std::string& text);

 protected:
  virtual MessageAnswer ShowMessage(const std::string& title, const std::string& text,
                                    MessageButtons buttons, MessageIcon icon,
                                    std::optional<MessageAnswer> defaultButton) = 0;
  virtual std::optional<std::string> AskInput(const std::string& title, const std::string& prompt,
                                              const std::string& initial) = 0;
  /// Dialogs that cannot hide typing ask as an ordinary input box.
  virtual std::optional<std::string> AskSecret(const std::string& title,
                                               const std::string& prompt) {
    return AskInput(title, prompt, {});
  }
  virtual std::optional<std::string> ChooseOpenFile(const std::string& title,
                                                    const std::string& filter) = 0;
  virtual std::optional<std::string> ChooseSaveFile(const std::string& title,
                                                    const std::string& filter,
                                                    const std::string& suggested) = 0;
};

/// Records prompts and answers them from a script. An unscripted message box that has only an
/// OK button is answered OK; any other unscripted prompt is a fault of the test and throws
/// std::logic_error naming the prompt.
class ScriptedPrompter : public Prompter {
 public:
  enum class Kind { Message, Input, Secret, OpenFile, SaveFile };
  struct Prompt {
    Kind kind;
    std::string title;
    std::string text;  // message text, input prompt or file filter
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    std::optional<MessageAnswer> defaultButton;
    std::string suggested;  // a save dialog's starting folder or file
  };

  /// Runs on every prompt as it is shown (while it is open, as a real modal box would be),
  /// so a test can make time pass meanwhile.
  std::function<void(const Prompt&)> whileShown;

  /// The next message box that is not OK-only gets this answer.
  void SetNextAnswer(MessageAnswer answer) { answers_.push_back(answer); }
  /// The next input box or file dialog gets this text (nothing = cancelled).
  void SetNextText(std::optional<std::string> text) { texts_.push_back(std::move(text)); }

  const std::vector<Prompt>& prompts() const { return prompts_; }
  void ClearPrompts() { prompts_.clear(); }

 protected:
  MessageAnswer ShowMessage(const std::string& title, const std::string& text,
                            MessageButtons buttons, MessageIcon icon,
                            std::optional<MessageAnswer> defaultButton) override;
  std::optional<std::string> AskInput(const std::string& title, const std::string& prompt,
                                      const std::string& initial) override;
  std::optional<std::string> AskSecret(const std::string& title,
                                       const std::string& prompt) override;
  std::optional<std::string> ChooseOpenFile(const std::string& title,
                                            const std::string& filter) override;
  std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                            const std::string& suggested) override;

 private:
  std::optional<std::string> NextText(Kind kind, const std::string& title, const std::string& text,
                                      const std::string& suggested = {});

  std::vector<Prompt> prompts_;
  std::deque<MessageAnswer> answers_;
  std::deque<std::optional<std::string>> texts_;
};

}  // namespace examora
