// The checks a prepared question must pass before students meet it, shared by `examora-cli
// check` and the authoring window: a known unit, an answer a 4-figure reply can hit, options
// that do not repeat.
#pragma once

#include <string>
#include <vector>

#include "common/prompter.h"
#include "engine/units.h"
#include "testfile/scrambler.h"

namespace examora {

/// What is wrong with the question prepared at `position` of `s` (empty when nothing is).
std::vector<std::string> PreparedQuestionProblems(const TestBank& bank, const Sitting& s,
                                                  int position, const UnitCatalogue& units);

/// The sitting position a formula message names ("Question7", "Question 7", "Q7 Overflow ").
int PositionNamed(const ScriptedPrompter::Prompt& box);

}  // namespace examora
