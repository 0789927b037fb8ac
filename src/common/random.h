// The random-number seam. Sittings draw question orders, option orders and variable values
// from it; tests script the draws or fix the seed so every run is reproducible.
#pragma once

#include <cstdint>
#include <deque>
#include <random>

namespace examora {

class Random {
 public:
  virtual ~Random() = default;
  /// A uniform draw in [0, 1).
  virtual double Next() = 0;
  /// A fresh, unpredictable start (the classic Randomize). Deterministic versions ignore it.
  virtual void Reseed() = 0;
  /// A uniform whole number in [0, count) without modulo bias; count must be at least 1.
  std::size_t Below(std::size_t count);
};

/// Mersenne twister; `Reseed` draws a new seed from the system's entropy source.
class SystemRandom : public Random {
 public:
  SystemRandom();
  double Next() override;
  void Reseed() override;

 private:
  std::mt19937_64 engine_;
};

/// Mersenne twister with a fixed seed: the same seed gives the same sitting. `Reseed` does
/// nothing, so a seeded run stays reproducible.
class SeededRandom : public Random {
 public:
  explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}
  double Next() override;
  void Reseed() override {}

 private:
  std::mt19937_64 engine_;
};

/// Hands out the draws a test lists, in order; running out is a fault of the test and throws
/// std::logic_error. Counts reseeds so tests can check them.
class ScriptedRandom : public Random {
 public:
  ScriptedRandom() = default;
  ScriptedRandom(std::initializer_list<double> draws) : draws_(draws) {}
  void Push(double draw) { draws_.push_back(draw); }
  double Next() override;
  void Reseed() override { ++reseeds_; }
  int reseeds() const { return reseeds_; }
  std::size_t remaining() const { return draws_.size(); }

 private:
  std::deque<double> draws_;
  int reseeds_ = 0;
};

}  // namespace examora
