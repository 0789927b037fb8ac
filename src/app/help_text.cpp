#include "app/help_text.h"

#include "app/module_examora.h"
#include "app/settings.h"

#ifndef EXAMORA_VERSION
#define EXAMORA_VERSION "0"
#endif

namespace examora {
namespace {

constexpr std::size_t kWidth = 80;
constexpr std::size_t kTermColumn = 28;

// Appends `text` word-wrapped to kWidth, each line starting with `indent` blanks; the first
// line continues whatever `out` already holds on its last line, from column `column`.
void Wrap(std::string& out, std::string_view text, std::size_t indent, std::size_t column) {
  std::size_t start = 0;
  bool firstWord = true;
  while (start < text.size()) {
    auto end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    const auto word = text.substr(start, end - start);
    if (!firstWord && column + 1 + word.size() > kWidth) {
      out += '\n' + std::string(indent, ' ');
      column = indent;
    } else if (!firstWord) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    firstWord = false;
    start = end + 1;
  }
  out += '\n';
}

void Paragraphs(std::string& out, std::string_view text, std::size_t indent) {
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find("\n\n", start);
    if (end == std::string_view::npos) end = text.size();
    out += std::string(indent, ' ');
    Wrap(out, text.substr(start, end - start), indent, indent);
    start = end + 2;
    if (start < text.size()) out += '\n';
  }
}

// Roff text: backslashes and hyphens escaped, a leading "." or "'" made harmless.
std::string Roff(std::string_view text) {
  std::string out;
  for (char c : text) {
    if ((c == '.' || c == '\'') && (out.empty() || out.back() == '\n')) out += "\\&";
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else if (c == '\n') {
      out += "\n.PP\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string ManParagraphs(std::string_view text) {
  std::string out = Roff(text);
  // "\n\n" became two paragraph breaks; one is enough.
  for (std::size_t at; (at = out.find("\n.PP\n\n.PP\n")) != std::string::npos;) {
    out.replace(at, 10, "\n.PP\n");
  }
  return out;
}

}  // namespace

std::string_view PackageVersion() {
  return EXAMORA_VERSION;
}

std::string VersionLine(std::string_view name) {
  return std::string(name) + " " + std::string(PackageVersion()) + " (" +
         std::string(kVersionText) + ")";
}

std::string PlainHelp(const HelpPage& page) {
  std::string out;
  for (std::size_t i = 0; i < page.synopsis.size(); ++i) {
    out += (i == 0 ? "Usage: " : "       ") + page.synopsis[i] + '\n';
  }
  Paragraphs(out, page.description, 0);
  for (const auto& section : page.sections) {
    out += '\n' + section.title + ":\n";
    if (!section.text.empty()) Paragraphs(out, section.text, 2);
    for (const auto& item : section.items) {
      out += "  " + item.term;
      std::size_t column = 2 + item.term.size();
      if (column + 2 > kTermColumn) {
        out += '\n';
        column = 0;
      }
      out += std::string(kTermColumn - column, ' ');
      Wrap(out, item.text, kTermColumn, kTermColumn);
    }
  }
  return out;
}

std::string ManPage(const HelpPage& page) {
  std::string out = ".TH " + Upper(page.name) + " 1 \"\" \"" + page.name + " " +
                    std::string(PackageVersion()) + "\" \"User Commands\"\n";
  out += ".SH NAME\n" + Roff(page.name) + " \\- " + Roff(page.summary) + "\n.SH SYNOPSIS\n";
  for (std::size_t i = 0; i < page.synopsis.size(); ++i) {
    out += (i == 0 ? "" : ".br\n") + Roff(page.synopsis[i]) + '\n';
  }
  out += ".SH DESCRIPTION\n" + ManParagraphs(page.description) + '\n';
  for (const auto& section : page.sections) {
    out += ".SH " + Upper(section.title) + '\n';
    if (!section.text.empty()) out += ManParagraphs(section.text) + '\n';
    for (const auto& item : section.items) {
      out += ".TP\n\\fB" + Roff(item.term) + "\\fR\n" + Roff(item.text) + '\n';
    }
  }
  return out;
}

std::vector<HelpItem> SettingOptionHelp() {
  std::vector<HelpItem> items;
  for (const auto& k : SettingKeys()) {
    std::string term(k.option);
    if (k.flagValue.empty()) term += " " + std::string(k.valueName);
    items.push_back({term, std::string(k.help)});
  }
  return items;
}

std::vector<HelpSection> SettingSourceSections() {
  HelpSection environment{
      "Environment", "Each setting can also be given as a variable; an option wins over it.", {}};
  HelpSection files{
      "Files",
      "Each setting can also be given in a configuration file, one \"key = value\" line each "
      "(drive folders under a [drives] section, as in R = /srv/results). A variable wins over "
      "the user's file, the user's file over the system's. A malformed line or an unknown key "
      "is reported with its file and line, and the other values still count. When "
      "/etc/xdg/examora/examora.conf says mode = exam, that file alone counts.",
      {{"$XDG_CONFIG_HOME/examora/examora.conf",
        "the user's file (default ~/.config/examora/examora.conf)"},
       {"$XDG_CONFIG_DIRS/examora/examora.conf",
        "the system's file (default /etc/xdg/examora/examora.conf)"}}};
  for (const auto& k : SettingKeys()) {
    std::string same = "the same as " + std::string(k.option);
    if (!k.flagValue.empty()) same += " when it is \"" + std::string(k.flagValue) + "\"";
    environment.items.push_back({std::string(k.variable), same});
    files.items.push_back({std::string(k.key), same});
  }
  return {environment, files};
}

HelpPage ProgramHelp() {
  HelpPage page{
      "examora",
      "timed, automatically marked engineering tests",
      {"examora [OPTION]..."},
      "Opens the sign-in window, fetches the test list from the web folder and lets the student "
      "choose a test, sit it and see every answer marked as it is confirmed.",
      {}};
  HelpSection options{"Options", "", SettingOptionHelp()};
  options.items.push_back(
      {"--print-settings", "print each setting, its value and where it came from, then exit"});
  options.items.push_back({"--help", "print this help, then exit"});
  options.items.push_back({"--version", "print the version, then exit"});
  page.sections.push_back(options);
  for (auto& section : SettingSourceSections()) page.sections.push_back(section);
  page.sections.push_back(
      {"Exit status",
       "",
       {{"0", "the program ended normally"},
        {"1",
         "--print-settings found a problem in a configuration file, or there is no display to "
         "show the windows on (said on standard error)"},
        {"2", "a mistake in the command line: an unknown option or one without its value"}}});
  return page;
}

}  // namespace examora
