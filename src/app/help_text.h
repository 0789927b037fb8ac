// Help texts, kept as structured pages so that "--help" and the man pages installed with the
// programs are made from one text and can never disagree.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace examora {

struct HelpItem {
  std::string term;  // "--web-base URL", "0", "EXAMORA_WEB_BASE"
  std::string text;
};

struct HelpSection {
  std::string title;  // "Options"
  std::string text;   // a paragraph before the items, may be empty
  std::vector<HelpItem> items;
};

struct HelpPage {
  std::string name;                   // "examora"
  std::string summary;                // one line, for the man page's NAME
  std::vector<std::string> synopsis;  // "examora [OPTION]..."
  std::string description;            // paragraphs separated by "\n\n"
  std::vector<HelpSection> sections;
};

/// The package version of this build ("0.1").
std::string_view PackageVersion();

/// "NAME VERSION (VersionText)", what "--version" prints.
std::string VersionLine(std::string_view name);

/// The page as a terminal shows it: wrapped at 80 columns, terms in a column of their own.
std::string PlainHelp(const HelpPage& page);

/// The page as a man page in section 1 (roff, man macros).
std::string ManPage(const HelpPage& page);

/// The options of the deployment settings, one per setting.
std::vector<HelpItem> SettingOptionHelp();

/// The sections every program reading the deployment settings shares: environment and files.
std::vector<HelpSection> SettingSourceSections();

/// The help page of the desktop program.
HelpPage ProgramHelp();

}  // namespace examora
