#pragma once
// A Prompter for tests: records every message and question, and answers from scripts given in
// advance. An unscripted Yes/No question is answered No, an unscripted text or file request is
// cancelled, so a flow that asks more than the test expected shows up in `questions`.

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/prompter.h"

namespace olvar::test {

class ScriptedPrompter : public core::Prompter {
 public:
  std::vector<std::string> messages;   // every information box, in order
  std::vector<std::string> questions;  // every question, text and file request, in order
  std::deque<bool> yes_no_answers;
  std::deque<std::optional<std::string>> text_answers;
  std::deque<std::optional<std::string>> file_answers;

  void inform(std::string_view message) override { messages.emplace_back(message); }

  bool ask_yes_no(std::string_view question) override {
    questions.emplace_back(question);
    if (yes_no_answers.empty()) return false;
    const bool answer = yes_no_answers.front();
    yes_no_answers.pop_front();
    return answer;
  }

  std::optional<std::string> ask_text(std::string_view question, std::string_view) override {
    questions.emplace_back(question);
    return next(text_answers);
  }

  std::optional<std::string> choose_file(std::string_view caption, std::string_view,
                                         bool) override {
    questions.emplace_back(caption);
    return next(file_answers);
  }

 private:
  static std::optional<std::string> next(std::deque<std::optional<std::string>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(answers.front());
    answers.pop_front();
    return answer;
  }
};

}  // namespace olvar::test
