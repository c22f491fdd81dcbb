// What a screen reader is given to say for a formula: words for the signs
// the linear text spells, the same structure and the same parentheses.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/spoken_text.h"
#include "text/linear_reader.h"

namespace velmor {
namespace {

std::string spoken(const std::string& linear) {
    tovimat::linearReading reading = tovimat::readLinear(linear);
    if (!reading) return "unreadable: " + linear;
    return spokenText(*reading.tree);
}

TEST(SpokenText, ArithmeticReadsInWords) {
    EXPECT_EQ(spoken("x + 1/2"), "x plus 1 over 2");
    EXPECT_EQ(spoken("a - b + c"), "a minus b plus c");
    EXPECT_EQ(spoken("-x"), "minus x");
    EXPECT_EQ(spoken("2 * a"), "2 times a");
    EXPECT_EQ(spoken("(a + b)/2"), "open parenthesis a plus b close parenthesis over 2");
    EXPECT_EQ(spoken("a * (b - c)"), "a times open parenthesis b minus c close parenthesis");
}

TEST(SpokenText, PowersRootsAndFunctionsSayWhatTheyAre) {
    EXPECT_EQ(spoken("x^2"), "x squared");
    EXPECT_EQ(spoken("x^3"), "x cubed");
    EXPECT_EQ(spoken("x^n"), "x to the power n");
    EXPECT_EQ(spoken("x^(n + 1)"), "x to the power open parenthesis n plus 1 close parenthesis");
    EXPECT_EQ(spoken("(a + b)^2"), "open parenthesis a plus b close parenthesis squared");
    EXPECT_EQ(spoken("sqrt(x)"), "the square root of x");
    EXPECT_EQ(spoken("sin x"), "sine of x");
}

TEST(SpokenText, RelationsReadAsSentences) {
    EXPECT_EQ(spoken("x = 7"), "x equals 7");
    EXPECT_EQ(spoken("a < b"), "a is less than b");
    EXPECT_EQ(spoken("a >= b"), "a is greater than or equal to b");
    EXPECT_EQ(spoken("x \u2208 S"), "x belongs to S");
    EXPECT_EQ(spoken("A \u222a B"), "A union B");
}

}  // namespace
}  // namespace velmor
