#pragma once
// The shortest length byte each answer of the unit may carry: one past the
// last position its handler reads. Shorter answers are refused whole instead
// of being read as zeros.
#include <cstdint>

namespace vm {

// Group 1 answers the main window acts on; 4 (no payload) for the others.
int MinAnswerLength(std::uint8_t code);

} // namespace vm
