#pragma once
// Questions and messages of every flow go through this interface, so that a flow runs the same
// under the desktop window (dialogs), the command-line tool and the tests (scripted answers).

#include <optional>
#include <string>
#include <string_view>

namespace olvar::core {

class Prompter {
 public:
  virtual ~Prompter() = default;

  // An information box; returns when the user has read it.
  virtual void inform(std::string_view message) = 0;
  // A Yes/No question; true for Yes.
  virtual bool ask_yes_no(std::string_view question) = 0;
  // A Yes/No question the user may also back out of (unsaved changes before New, Open or
  // leaving the program). Where no one can answer Cancel, it is the Yes/No question.
  enum class Answer { yes, no, cancel };
  virtual Answer ask_yes_no_cancel(std::string_view question) {
    return ask_yes_no(question) ? Answer::yes : Answer::no;
  }
  // A text asked for (a name, a number); nullopt when the user cancels.
  virtual std::optional<std::string> ask_text(std::string_view question,
                                              std::string_view suggestion) = 0;
  // A file to open or to save; nullopt when the user cancels.
  virtual std::optional<std::string> choose_file(std::string_view caption, std::string_view filter,
                                                 bool for_saving) = 0;
  // A file to save, the dialog proposing `proposed` (a full name; empty: none). Where no dialog
  // can propose a name, it is the plain save question.
  virtual std::optional<std::string> choose_file_to_save(std::string_view caption,
                                                         std::string_view filter,
                                                         std::string_view /*proposed*/) {
    return choose_file(caption, filter, true);
  }
};

}  // namespace olvar::core
