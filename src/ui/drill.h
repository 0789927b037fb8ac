// A scripted walk through the windows for the session tests, where no keyboard reaches the
// program (a headless kiosk compositor has none): EXAMORA_DRILL names a file of steps. The
// steps press the program's own controls and answer its own dialogs, nothing a student at the
// keyboard could not do.
#pragma once

#include <string>

namespace examora {

/// Runs the steps of `file`, one line each, every step waiting until its control is shown and
/// enabled: "click NAME", "type NAME TEXT" (then Enter),
/// "choose NAME ROW" (a list's row, as clicked), "answer TEXT" (the open input
/// dialog), "press TEXT" (the open message box's button). Each step taken, and a step that
/// waits too long, is said on standard error as "drill: ...".
void StartDrill(const std::string& file);

}  // namespace examora
