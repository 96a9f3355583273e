#pragma once
// Nobody answers questions in a run without a window: messages go to standard error, every
// question is answered No and every choice of a file is cancelled, so that a flow never waits
// for input.

#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "core/prompter.h"

namespace olvar::app {

class StderrPrompter : public core::Prompter {
 public:
  void inform(std::string_view message) override { std::cerr << message << "\n"; }
  bool ask_yes_no(std::string_view) override { return false; }
  std::optional<std::string> ask_text(std::string_view, std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> choose_file(std::string_view, std::string_view, bool) override {
    return std::nullopt;
  }
};

}  // namespace olvar::app
