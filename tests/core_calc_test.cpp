// velmor-cli calc: the text read as people write it, calculated until
// nothing changes.
#include <gtest/gtest.h>

#include <string>

#include "core/script.h"

namespace {

std::string calc(const std::string& text) {
    velmor::RunResult r = velmor::calculateText(text);
    EXPECT_EQ(r.exitCode, 0) << text << ": " << r.error;
    EXPECT_EQ(r.error, "") << text;
    return r.out;
}

TEST(CoreCalc, ReadsOrdinaryPrecedence) {
    EXPECT_EQ(calc("12+34"), "12 + 34 = 46\n");
    EXPECT_EQ(calc("2+3*4"), "2 + 3 * 4 = 14\n");
    EXPECT_EQ(calc("10-2-3"), "10 - 2 - 3 = 5\n");
    EXPECT_EQ(calc("8/2*2"), "8 / 2 * 2 = 8\n");
    EXPECT_EQ(calc("2*3^2"), "2 * 3^2 = 18\n");
    EXPECT_EQ(calc("(1+2)*3"), "(1 + 2) * 3 = 9\n");
    EXPECT_EQ(calc("sin(0)+1"), "sin (0) + 1 = 1\n");
}

TEST(CoreCalc, OneHalfPlusOneThirdIsNotOneOverTwoAndAThird) {
    const std::string out = calc("1/2+1/3");
    EXPECT_EQ(out.rfind("1 / 2 + 1 / 3 = 0.83333", 0), 0u) << out;
}

TEST(CoreCalc, MalformedTextNamesTheColumnAndExitsTwo) {
    velmor::RunResult r = velmor::calculateText("2*(3+");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.error.find("column 6"), std::string::npos) << r.error;
    EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;
    EXPECT_EQ(velmor::calculateText("1 ++ 2").exitCode, 2);
    EXPECT_EQ(velmor::calculateText("").exitCode, 2);
}

}  // namespace
