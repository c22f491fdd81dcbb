// velmor-cli export and import: a formula read into a new document comes
// back out in every format, and text that cannot be read leaves the output
// file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "core/interchange.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Interchange : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("velmor-interchange-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(Interchange, ImportedFormulaExportsInEveryFormat) {
    const std::string out = path("a.vlm");
    velmor::RunResult r = velmor::importFormula(velmor::TextFormat::latex, "\\frac12 + x^2 = y", out);
    ASSERT_EQ(r.exitCode, 0) << r.error;

    r = velmor::exportDocumentAs(out, velmor::TextFormat::latex);
    ASSERT_EQ(r.exitCode, 0) << r.error;
    EXPECT_NE(r.out.find("\\[ \\frac{1}{2} + x^{2} = y \\]\n"), std::string::npos) << r.out;
    EXPECT_EQ(velmor::exportDocumentAs(out, velmor::TextFormat::text).out, "1 / 2 + x^2 = y\n");
    r = velmor::exportDocumentAs(out, velmor::TextFormat::mathml);
    EXPECT_EQ(r.out.rfind("<?xml", 0), 0u);
    EXPECT_NE(r.out.find("<mfrac><mn>1</mn><mn>2</mn></mfrac>"), std::string::npos) << r.out;

    // The linear text reads back to the same document.
    const std::string again = path("b.vlm");
    ASSERT_EQ(velmor::importFormula(velmor::TextFormat::text, "1 / 2 + x^2 = y", again).exitCode, 0);
    EXPECT_EQ(velmor::exportDocumentAs(again, velmor::TextFormat::latex).out,
              velmor::exportDocumentAs(out, velmor::TextFormat::latex).out);
}

TEST_F(Interchange, UnreadableTextLeavesTheOutputAlone) {
    const std::string out = path("keep.vlm");
    { std::ofstream(out) << "precious"; }
    velmor::RunResult r = velmor::importFormula(velmor::TextFormat::latex, "a + \\frac{1}", out);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.error, "cannot read the text at line 1, column 13: "
                       "'{' or a digit, letter or command expected, found end of text");
    r = velmor::importFormula(velmor::TextFormat::text, "2*(3+", out);
    EXPECT_EQ(r.error, "cannot read the text at column 6: operand expected");
    EXPECT_EQ(readFile(out), "precious");
}

// File > Import: the displays of a LaTeX document, or the lines of linear
// text, become the items of a new document; the examples come back through
// their LaTeX as the same lines.
TEST_F(Interchange, ImportedFilesGiveEveryFormulaAsAnItem) {
    using velmor::TextFormat;
    for (const char* example : {"example", "steps", "fractions", "quadratic", "sets_logic", "rules"}) {
        const std::string vlm = std::string(VELMOR_SOURCE_DIR) + "/examples/" + example + ".vlm";
        const std::string tex = velmor::exportDocumentAs(vlm, TextFormat::latex).out;
        std::vector<std::uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(velmor::formulasDocument(TextFormat::latex, tex, bytes, error))
            << example << ": " << error;
        const std::string imported = path("imported.vlm");
        {
            std::ofstream(imported, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
        }
        EXPECT_EQ(velmor::exportDocumentAs(imported, TextFormat::latex).out, tex) << example;
        // The linear form of ± and of the set symbols does not read back.
        if (std::string_view(example) == "quadratic" || std::string_view(example) == "sets_logic") continue;
        const std::string text = velmor::exportDocumentAs(vlm, TextFormat::text).out;
        ASSERT_TRUE(velmor::formulasDocument(TextFormat::text, text, bytes, error))
            << example << ": " << error;
        {
            std::ofstream(imported, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
        }
        EXPECT_EQ(velmor::exportDocumentAs(imported, TextFormat::text).out, text) << example;
    }

    // The place of a formula that cannot be read is its place in the file,
    // and nothing is built.
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(velmor::formulasDocument(
        TextFormat::latex,
        "\\documentclass{article}\n\\begin{document}\n\\[ a \\]\n  \\[ b + \\]\n\\end{document}\n", bytes,
        error));
    EXPECT_EQ(error, "line 4, column 10: operand expected, found '\\]'");
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(velmor::formulasDocument(TextFormat::text, "a + b\n\n2 *\n", bytes, error));
    EXPECT_EQ(error, "line 3, column 4: operand expected");
    EXPECT_FALSE(velmor::formulasDocument(TextFormat::text, " \n\n", bytes, error));
    EXPECT_EQ(error, "no formula: every line is blank");
    EXPECT_FALSE(
        velmor::formulasDocument(TextFormat::latex, "\\begin{document}\n\\end{document}", bytes, error));
    EXPECT_EQ(error, "no formula in the document: no \\[ \u2026 \\] display");
}

TEST_F(Interchange, ExportOfAFileThatIsNoDocumentSaysSo) {
    const std::string bad = path("bad.vlm");
    { std::ofstream(bad) << "not a document"; }
    velmor::RunResult r = velmor::exportDocumentAs(bad, velmor::TextFormat::latex);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.error, bad + " is not a Velmor document");
    EXPECT_EQ(r.out, "");
}

}  // namespace
