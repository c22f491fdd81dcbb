// Where the linear form of an expression needs parentheses that the tree
// does not hold: the one rule that the linear text writer follows when it
// writes and the linear reader follows when it reads, so that a text read
// and written again reads back as the same tree.
#pragma once

#include "model/container.h"

namespace tovimat {

// Whether `member`, standing in `parent` (as its first member or a later
// one), is written in parentheses: when it binds less tightly than the
// parent, or as tightly where the parent's operators group to the left or
// do not chain (a * (b / c), (a / b) / c, 2^(3^4), (A ∪ B) ∪ C).
bool writtenInParentheses(const container& parent, const nucleo& member, bool first);

// Nodes whose linear text is delimited wherever it stands: leaves, and the
// groups written between their own brackets.
bool selfDelimiting(const nucleo& n);

}  // namespace tovimat
