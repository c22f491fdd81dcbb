// Helpers shared by the algebra's sources: reading numbers out of nodes,
// building result trees exactly as meant, and the small integer helpers of
// simplification. Nothing here changes a tree it is given to read.
#pragma once

#include <optional>

#include "model/document.h"

namespace tovimat::alg {

// {changes, source, value}, in the order the algebra reads them.
inline results record(int changes, nucleo* source, nucleo* value) { return results(value, source, changes); }
inline results unchanged() { return results(); }

inline container* asGroup(nucleo* n) { return dyn_cast<container>(n); }
inline bool isNumber(const nucleo* n) { return isa<nominal>(n); }
inline double numberValue(const nucleo* n) { return cast<nominal>(n)->getValue(); }
// A negation whose only member is a number: -3 typed by the user.
bool isNegatedNumber(nucleo* n);
// The only member of a one-member group, or null.
nucleo* soleMember(nucleo* n);

// The value of a number, of a negated number, or of either in parentheses:
// what a numeric operand may be.
std::optional<double> numberOf(nucleo* n);

// A booleano with the given truth value.
bool isTruth(nucleo* n, bool truth);

// A copy that keeps the structure exactly: groups are rebuilt member by
// member without any insertion rule.
nucleo* rawCopy(const nucleo* n);

// n would bind more loosely than parent at that place (first: the first
// position, the base of a power or a logarithm), so it needs parentheses.
bool bindsLooser(const container* parent, const nucleo* n, bool first);

// Appends n at the end of c. A node of c's own associative class (sum,
// product, and, or) gives its members to c; a composite that binds more
// loosely than c is parenthesised. Never lifts anything. n is consumed.
void append(container* c, nucleo* n);

// A new group of class `like` (its clone) holding nodes appended in order.
container* group(const container& like, std::initializer_list<nucleo*> members);
// The new group c with the nodes appended in order.
container* with(container* c, std::initializer_list<nucleo*> members);

// A copy of o in which member m is replaced by y (consumed): the siblings
// are copied in their places.
container* replacedCopy(const container* o, const nucleo* m, nucleo* y);

// Marks every text leaf of the subtree as already turned into structure,
// so that inserting it into a document never re-reads its text.
void settle(nucleo* n);

// True when ptr is n or lies somewhere below it (pointers only compared).
bool holds(const nucleo* n, const nucleo* ptr);

// --- integer helpers ---------------------------------------------------------------------------

// The factors tried, in order; 9 is never chosen since 3 comes first.
inline constexpr int factorTable[] = {2, 3, 5, 7, 9, 11, 13, 17, 19, 23, 29, 31};

bool divides(double x, double d);
bool isInteger(double x);
double smallestFactor(double n);
double commonFactor(double a, double b);
// Appends the prime factors of n (ascending, a factor above 31 as it is) to product.
void factorise(double n, container* product);

// --- decimals ----------------------------------------------------------------------------------

// Places after the decimal point in the shortest text that reads back as d:
// 2 for 0.25, 5 for 1e-05, 0 for 300 and for 1e+20.
int decimalPlaces(double d);
// v rounded to the given places, when the exact result it stands for is a
// decimal with those places and at most 15 significant digits (magnitude
// bounds the size of the operands and of v). Below 15 digits the rounding
// errors of the operands and of the operation stay under half a unit of the
// last place, so the rounding lands on the exact decimal. Nothing beyond.
std::optional<double> decimalRounding(double v, int places, double magnitude);
// The same two answers read off the number's text in every case; the two
// above skip the text where the answer is known without it.
int decimalPlacesByText(double d);
std::optional<double> decimalRoundingByText(double v, int places, double magnitude);

// The equal face names of two nodes' fonts.
bool sameFace(const nucleo* a, const nucleo* b);

}  // namespace tovimat::alg
