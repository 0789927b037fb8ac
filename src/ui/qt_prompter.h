// Real dialogs for the core's prompter seam.
#pragma once

#include "common/prompter.h"

class QWidget;

namespace examora {

class QtPrompter : public Prompter {
 public:
  explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}

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
  QWidget* parent_;
};

}  // namespace examora
