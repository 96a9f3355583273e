#pragma once
// The random number table ("Generate Table"): K distinct whole numbers from a range, in drawing
// order, for the second stage of a survey (households picked by simple or systematic random
// sampling).

#include <cstdint>
#include <string>
#include <vector>

#include "core/language_table.h"
#include "planning/planning_random.h"
#include "document/document_buffer.h"

namespace olvar::planning {

inline constexpr core::LanguageEntry kInvalidRandomNumberInput{889};

// The most numbers one table may hold; a larger request is refused rather than exhausting memory.
inline constexpr long long kMaxRandomNumbers = 1'000'000;

// The three edit boxes as typed: "Range from" (`Edit14`), "to" (`Edit16`), "Numbers" (`Edit15`).
struct RandomNumberInputs {
  std::string Edit14;
  std::string Edit16;
  std::string Edit15;
};

struct RandomNumberDraw {
  std::vector<long long> numbers;  // in drawing order; empty when refused
  // Why nothing was drawn: Language entry 889 for input outside the rules, else a message of
  // its own (a text that is not a number, a range too small once rounded); 0 and empty when drawn.
  int message_entry = 0;
  std::string message;
  bool drawn() const { return message_entry == 0 && message.empty(); }
};

// A = "Range from" (tolerant parse, -1 when empty), B likewise from "to", K the whole number in
// "Numbers"; N = (B - A) rounded halves to even, plus 1. Valid when A >= 0, B >= 0, K > 0, N > 0
// and K <= N. Each candidate is Random(N) + A rounded halves to even, redrawn when drawn before.
//
// Bounds that are not whole numbers can make two candidates round to one value (from 0.5 to 2.5
// there are only 0 and 2), so fewer distinct values than N exist: when K exceeds them the draw is
// refused up front with a message that says how many the range holds, instead of redrawing for
// ever.
RandomNumberDraw draw_random_numbers(const RandomNumberInputs& inputs, PlanningRandom& random,
                                     char decimal_separator = '.');

// How many distinct values Random(N) + A, rounded halves to even, can take.
long long distinct_rounded_values(double from, long long count);

// The document: the header without margins, "Random Number table", the range and count as typed,
// then the numbers each followed by a tab.
document::DocumentBuffer random_number_document(const RandomNumberInputs& inputs,
                                               const std::vector<long long>& numbers);

}  // namespace olvar::planning
