// What every window is handed: the shared state, the deployment settings and the seams to the
// outside world (clock, random numbers, dialogs, page fetching).
#pragma once

#include "app/module_examora.h"
#include "common/clock.h"
#include "common/prompter.h"
#include "common/random.h"
#include "common/url_opener.h"
#include "platform/environment.h"

namespace examora {

class PageFetcher;

struct AppContext {
  ModuleExamora& m;
  const DeploymentSettings& settings;
  const Environment& env;
  Clock& clock;
  Random& random;
  Prompter& prompter;
  PageFetcher& fetcher;
  /// Tests fire timer ticks themselves: the windows' timers then only record being switched
  /// on and off.
  bool manualTimers = false;
  /// Opens report pages in the desktop's browser; null: the desktop's own opener.
  UrlOpener* opener = nullptr;
};

/// Window sizes are given in twips; the screen has 15 twips to a pixel.
constexpr int Twips(int twips) {
  return twips / 15;
}

}  // namespace examora
