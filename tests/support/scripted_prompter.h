#pragma once
// A Prompter for tests: answers come from queues filled by the test, and every message and
// question is recorded, so a test checks a flow's texts and its reaction to each answer.

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/prompter.h"

namespace olvar::test {

class ScriptedPrompter : public core::Prompter {
 public:
  ScriptedPrompter() = default;
  explicit ScriptedPrompter(std::deque<bool> yes_no) : yes_no_answers(std::move(yes_no)) {}

  std::deque<bool> yes_no_answers;                      // an empty queue answers No
  std::deque<std::optional<std::string>> text_answers;  // an empty queue cancels
  std::deque<std::optional<std::string>> file_answers;  // an empty queue cancels

  std::vector<std::string> messages;   // information boxes shown, in order
  std::vector<std::string> questions;  // everything asked, in order

  void inform(std::string_view message) override { messages.emplace_back(message); }

  bool ask_yes_no(std::string_view question) override {
    questions.emplace_back(question);
    return next(yes_no_answers, false);
  }

  std::optional<std::string> ask_text(std::string_view question, std::string_view) override {
    questions.emplace_back(question);
    return next(text_answers, std::optional<std::string>{});
  }

  std::optional<std::string> choose_file(std::string_view caption, std::string_view,
                                         bool) override {
    questions.emplace_back(caption);
    return next(file_answers, std::optional<std::string>{});
  }

 private:
  template <typename T>
  static T next(std::deque<T>& queue, T when_empty) {
    if (queue.empty()) return when_empty;
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
  }
};

}  // namespace olvar::test
