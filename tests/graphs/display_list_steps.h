#pragma once
// Picking the steps of one kind out of a display list, for tests that check coordinates.

#include <string>
#include <variant>
#include <vector>

#include "graphs/display_list.h"

namespace olvar::graphs::test {

template <class T>
std::vector<T> steps_of(const Drawing& drawing) {
  std::vector<T> out;
  for (const Step& step : drawing.steps) {
    if (const auto* s = std::get_if<T>(&step)) out.push_back(*s);
  }
  return out;
}

inline const Text* text_named(const Drawing& drawing, const std::string& text) {
  for (const Step& step : drawing.steps) {
    if (const auto* t = std::get_if<Text>(&step); t && t->text == text) return t;
  }
  return nullptr;
}

inline bool has_line(const Drawing& drawing, double x1, double y1, double x2, double y2) {
  for (const Line& l : steps_of<Line>(drawing)) {
    if (l.x1 == x1 && l.y1 == y1 && l.x2 == x2 && l.y2 == y2) return true;
  }
  return false;
}

// Index of the first step satisfying `pred`, or -1.
template <class T, class Pred>
int first_index(const Drawing& drawing, Pred pred) {
  for (std::size_t i = 0; i < drawing.steps.size(); ++i) {
    if (const auto* s = std::get_if<T>(&drawing.steps[i]); s && pred(*s))
      return static_cast<int>(i);
  }
  return -1;
}

}  // namespace olvar::graphs::test
