#include "common/prompter.h"

#include <stdexcept>

namespace examora {

// No is the default: the questions asked this way erase or end something, and a stray Enter
// must never do that.
bool Prompter::AskYesNo(const std::string& title, const std::string& text) {
  return Message(title, text, MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::No) ==
         MessageAnswer::Yes;
}

MessageAnswer ScriptedPrompter::ShowMessage(const std::string& title, const std::string& text,
                                            MessageButtons buttons, MessageIcon icon,
                                            std::optional<MessageAnswer> defaultButton) {
  prompts_.push_back({Kind::Message, title, text, buttons, icon, defaultButton, {}});
  if (whileShown) whileShown(prompts_.back());
  if (buttons == MessageButtons::Ok) {
    // A lone OK button leaves nothing to decide, but a scripted answer is still consumed in
    // order when a test queued one for it.
    if (!answers_.empty() && answers_.front() == MessageAnswer::Ok) answers_.pop_front();
    return MessageAnswer::Ok;
  }
  if (answers_.empty()) throw std::logic_error("unscripted message box: " + title);
  const MessageAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<std::string> ScriptedPrompter::NextText(Kind kind, const std::string& title,
                                                      const std::string& text,
                                                      const std::string& suggested) {
  prompts_.push_back(
      {kind, title, text, MessageButtons::Ok, MessageIcon::None, std::nullopt, suggested});
  if (whileShown) whileShown(prompts_.back());
  if (texts_.empty()) throw std::logic_error("unscripted prompt: " + title);
  auto answer = texts_.front();
  texts_.pop_front();
  return answer;
}

std::optional<std::string> ScriptedPrompter::AskInput(const std::string& title,
                                                      const std::string& prompt,
                                                      const std::string& /*initial*/) {
  return NextText(Kind::Input, title, prompt);
}

std::optional<std::string> ScriptedPrompter::AskSecret(const std::string& title,
                                                       const std::string& prompt) {
  return NextText(Kind::Secret, title, prompt);
}

std::optional<std::string> ScriptedPrompter::ChooseOpenFile(const std::string& title,
                                                            const std::string& filter) {
  return NextText(Kind::OpenFile, title, filter);
}

std::optional<std::string> ScriptedPrompter::ChooseSaveFile(const std::string& title,
                                                            const std::string& filter,
                                                            const std::string& suggested) {
  return NextText(Kind::SaveFile, title, filter, suggested);
}

}  // namespace examora
