#pragma once
// A Prompter for tests: records every message and question in order and answers from queues
// filled beforehand. A question nobody scripted fails the test and is answered No (or cancel),
// so a flow that asks more than expected is caught rather than hanging on a default.
//
//   ScriptedPrompter prompter;
//   prompter.yes_no_answers = {true};
//   run_flow(workspace, prompter);
//   EXPECT_THAT(prompter.messages, ElementsAre("..."));

#include <gtest/gtest.h>

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

  // What the flow showed or asked, in order.
  std::vector<std::string> messages;   // information boxes
  std::vector<std::string> questions;  // Yes/No questions, text prompts and file captions
  // Answers, taken from the front.
  std::deque<bool> yes_no_answers;
  std::deque<std::optional<std::string>> text_answers;  // nullopt: the user cancels
  std::deque<std::optional<std::string>> file_answers;  // nullopt: the user cancels
  // Answers to Yes/No/Cancel questions; while empty, such a question takes a Yes/No answer.
  std::deque<Answer> yes_no_cancel_answers;

  void inform(std::string_view message) override { messages.emplace_back(message); }

  bool ask_yes_no(std::string_view question) override {
    questions.emplace_back(question);
    if (yes_no_answers.empty()) {
      ADD_FAILURE() << "unscripted Yes/No question: " << question;
      return false;
    }
    const bool answer = yes_no_answers.front();
    yes_no_answers.pop_front();
    return answer;
  }

  Answer ask_yes_no_cancel(std::string_view question) override {
    if (yes_no_cancel_answers.empty()) return ask_yes_no(question) ? Answer::yes : Answer::no;
    questions.emplace_back(question);
    const Answer answer = yes_no_cancel_answers.front();
    yes_no_cancel_answers.pop_front();
    return answer;
  }

  std::optional<std::string> ask_text(std::string_view question,
                                      std::string_view /*suggestion*/) override {
    questions.emplace_back(question);
    return take(text_answers, question);
  }

  std::optional<std::string> choose_file(std::string_view caption, std::string_view /*filter*/,
                                         bool /*for_saving*/) override {
    questions.emplace_back(caption);
    return take(file_answers, caption);
  }

  // A save question records its caption with the name it proposed: "caption [proposed]".
  std::optional<std::string> choose_file_to_save(std::string_view caption, std::string_view filter,
                                                 std::string_view proposed) override {
    return choose_file(std::string(caption) + " [" + std::string(proposed) + "]", filter, true);
  }

  // Whether every scripted answer was used.
  bool all_answers_used() const {
    return yes_no_answers.empty() && yes_no_cancel_answers.empty() && text_answers.empty() &&
           file_answers.empty();
  }

 private:
  static std::optional<std::string> take(std::deque<std::optional<std::string>>& answers,
                                         std::string_view question) {
    if (answers.empty()) {
      ADD_FAILURE() << "unscripted question: " << question;
      return std::nullopt;
    }
    std::optional<std::string> answer = std::move(answers.front());
    answers.pop_front();
    return answer;
  }
};

}  // namespace olvar::test
