#include "common/random.h"

#include <cmath>
#include <stdexcept>

namespace examora {
namespace {

double UnitDraw(std::mt19937_64& engine) {
  // 53 random bits give every double in [0, 1) on a regular grid; never 1.
  return static_cast<double>(engine() >> 11) * 0x1.0p-53;
}

}  // namespace

std::size_t Random::Below(std::size_t count) {
  // Scaling a draw is unbiased up to the grid of the draw, far finer than any count we use.
  const auto index = static_cast<std::size_t>(std::floor(Next() * static_cast<double>(count)));
  return index < count ? index : count - 1;
}

SystemRandom::SystemRandom() {
  Reseed();
}

double SystemRandom::Next() {
  return UnitDraw(engine_);
}

void SystemRandom::Reseed() {
  std::random_device device;
  std::seed_seq seeds{device(), device(), device(), device()};
  engine_.seed(seeds);
}

double SeededRandom::Next() {
  return UnitDraw(engine_);
}

double ScriptedRandom::Next() {
  if (draws_.empty()) throw std::logic_error("ScriptedRandom: no draw left in the script");
  const double draw = draws_.front();
  draws_.pop_front();
  return draw;
}

}  // namespace examora
