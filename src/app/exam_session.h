// The exam session: the program alone on a kiosk compositor, started by the display manager's
// "Examora exam" session. What the program may and may not do there is decided here, once.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/settings.h"
#include "platform/environment.h"

namespace examora {

/// The variable the session script sets to "1".
inline constexpr std::string_view kExamSessionVariable = "EXAMORA_EXAM_SESSION";
/// The session's name for the display managers (its .desktop file's base name).
inline constexpr std::string_view kExamSessionName = "examora-exam";

/// True when the program runs in the exam session.
bool InExamSession(const Environment& env);

/// In the exam session the program runs in exam mode whatever the settings say, so the session
/// needs no option that an exam computer's own configuration would report as ignored.
void ApplyExamSession(DeploymentSettings& settings, const Environment& env);

/// Why no address or folder may be handed to another program (the system's browser or file
/// manager): in the exam session nothing else may come onto the screen. Empty when it may.
std::optional<std::string> SystemOpenerRefusal(const Environment& env);

/// True when a process with this command name (as /proc/PID/comm gives it) and command line
/// (its arguments, each ended by a NUL byte) is a spreadsheet program.
bool IsSpreadsheetProcess(std::string_view comm, std::string_view cmdline);

/// True when one of the user's processes under `procRoot` (laid out as /proc) is a spreadsheet
/// program: a second session of the same student, started beside the exam session, is seen too.
/// Reads at most a few kilobytes of each of the user's own processes.
bool UserRunsSpreadsheet(const std::filesystem::path& procRoot, unsigned userId);

/// An AccountsService user file (`[User]` section, key=value lines) with its default session
/// set to `session` under both keys the display managers read (LightDM: XSession, GDM: Session);
/// every other line is kept as it was.
std::string WithDefaultSession(std::string_view text, std::string_view session);

}  // namespace examora
