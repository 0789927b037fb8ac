// One imported question to one block of the plain bank.
#pragma once

#include <string>
#include <vector>

#include "bridge/question_import.h"

namespace examora {

/// Why a question is left out.
struct Refusal {
  std::string reason;
};

/// A block in UTF-8: the question line, the picture line and the lines of its kind; and what
/// the teacher should know about it.
struct ConvertedBlock {
  std::vector<std::string> lines;
  std::vector<std::string> notes;
};

/// The block of a question, or Refusal thrown with the reason it cannot be held faithfully.
ConvertedBlock ConvertQuestion(const ImportedQuestion& question);

}  // namespace examora
