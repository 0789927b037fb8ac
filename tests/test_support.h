// Small helpers shared by the tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "testfile/testfile.h"

namespace examora::testing {

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "examora-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

/// A test bank of the given blocks (each its lines from the question line on), asking them all.
inline TestBank BankOf(const std::vector<QuestionBlock>& blocks, bool continuation = false) {
  TestBank bank;
  bank.header.QuestionsInFile = static_cast<int>(blocks.size());
  bank.header.QuestionsToAsk = bank.header.QuestionsInFile;
  bank.QLineCount.push_back(0);
  bank.Questions.push_back({});
  for (const auto& b : blocks) {
    QuestionBlock block(1);
    block.insert(block.end(), b.begin(), b.end());
    bank.QLineCount.push_back(static_cast<int>(b.size()) - 2);
    bank.Questions.push_back(block);
  }
  bank.HasContinuation = continuation;
  return bank;
}

}  // namespace examora::testing
