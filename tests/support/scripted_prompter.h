#pragma once
// A Prompter that answers from a script and records what it was asked, so a test can run a
// flow that asks questions and check both the questions and the outcome.

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/prompter.h"

namespace olvar::test {

class ScriptedPrompter : public core::Prompter {
 public:
  // Answers for ask_yes_no, in order; once they run out every question gets No.
  explicit ScriptedPrompter(std::deque<bool> yes_no_answers = {})
      : yes_no_answers_(std::move(yes_no_answers)) {}

  void inform(std::string_view message) override { messages.emplace_back(message); }
  bool ask_yes_no(std::string_view question) override {
    questions.emplace_back(question);
    if (yes_no_answers_.empty()) return false;
    const bool answer = yes_no_answers_.front();
    yes_no_answers_.pop_front();
    return answer;
  }
  std::optional<std::string> ask_text(std::string_view question, std::string_view) override {
    questions.emplace_back(question);
    return std::nullopt;
  }
  std::optional<std::string> choose_file(std::string_view caption, std::string_view,
                                         bool) override {
    questions.emplace_back(caption);
    return std::nullopt;
  }

  std::vector<std::string> messages;   // every inform() text, in order
  std::vector<std::string> questions;  // every question or caption asked, in order

 private:
  std::deque<bool> yes_no_answers_;
};

}  // namespace olvar::test
