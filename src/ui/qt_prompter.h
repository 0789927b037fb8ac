// Real dialogs for the core's prompter seam.
#pragma once

#include <QFileDialog>

#include "common/prompter.h"

class QWidget;

namespace examora {

class QtPrompter : public Prompter {
 public:
  /// In the exam session (`examSession`) every dialog belongs to the active window, so the
  /// compositor keeps it above that window, and file dialogs are Qt's own.
  explicit QtPrompter(QWidget* parent = nullptr, bool examSession = false)
      : parent_(parent), examSession_(examSession) {}

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
  QWidget* Owner() const;
  QFlags<QFileDialog::Option> FileDialogOptions() const;
  QWidget* parent_;
  bool examSession_;
};

}  // namespace examora
