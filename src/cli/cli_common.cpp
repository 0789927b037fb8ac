#include "cli/cli_common.h"

#include <algorithm>
#include <charconv>
#include <ostream>

#include "common/text.h"

namespace examora::cli {

std::optional<std::string> Arguments::Option(const std::string& name) const {
  if (auto it = options.find(name); it != options.end()) return it->second;
  return std::nullopt;
}

Arguments ParseArguments(const CommandArgs& args, const std::vector<std::string>& known,
                         std::size_t positionalCount, const std::vector<std::string>& flags) {
  Arguments parsed;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto isIn = [&](const std::vector<std::string>& list) {
      return std::find(list.begin(), list.end(), arg) != list.end();
    };
    if (optionsEnded) {
      parsed.positional.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (isIn(flags)) {
      parsed.options[arg] = "";
    } else if (isIn(known)) {
      if (i + 1 >= args.size()) throw UsageError("option " + arg + " needs a value");
      parsed.options[arg] = args[++i];
    } else if (arg.starts_with("--")) {
      throw UsageError("unknown option " + arg + " for " + args[0]);
    } else {
      parsed.positional.push_back(arg);
    }
  }
  if (parsed.positional.size() != positionalCount) {
    throw UsageError(args[0] + " takes " + std::to_string(positionalCount) + " argument" +
                     (positionalCount == 1 ? "" : "s") + ", got " +
                     std::to_string(parsed.positional.size()));
  }
  return parsed;
}

double NumberArgument(const std::string& text, const std::string& what) {
  std::string digits = text;
  if (!digits.empty() && digits[0] == '+') digits.erase(0, 1);
  double value = 0;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
    throw UsageError(what + " must be a number, got \"" + text + "\"");
  }
  return value;
}

void ConsolePrompter::Echo(const Prompt& prompt) const {
  err_ << Cp1252ToUtf8(prompt.title) << ": " << Cp1252ToUtf8(prompt.text) << '\n';
}

MessageAnswer ConsolePrompter::ShowMessage(const std::string& title, const std::string& text,
                                           MessageButtons buttons, MessageIcon icon,
                                           std::optional<MessageAnswer> defaultButton) {
  const MessageAnswer answer =
      ScriptedPrompter::ShowMessage(title, text, buttons, icon, defaultButton);
  if (echo_) Echo(prompts().back());
  return answer;
}

}  // namespace examora::cli
