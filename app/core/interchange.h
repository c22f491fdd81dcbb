// Formulas as text for other programs: a document written as LaTeX, MathML
// or linear text, and a formula read from LaTeX or linear text into a new
// document (velmor-cli export and import, the desktop program's Copy as and
// Import/Export commands).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/script.h"

namespace tovimat {
class container;
class nucleo;
}  // namespace tovimat

namespace velmor {

enum class TextFormat { latex, mathml, text };

// "latex", "mathml" or "text"; false for anything else.
bool parseTextFormat(std::string_view name, TextFormat& format);

// Every line of the document: a complete LaTeX document, one MathML
// document, or the linear text of each line.
std::string documentAs(const tovimat::container& base, TextFormat format);

// Reads one formula (LaTeX or linear text; MathML is never read). On
// failure answers null and error says where and why: "line 1, column 4:
// operand expected, found end of text".
std::unique_ptr<tovimat::nucleo> readFormula(TextFormat format, std::string_view text, std::string& error);

// The document that File > Import makes of a text file: every formula of
// it as an item, under one another from (10, 10), as .vlm bytes. A LaTeX
// file that is a whole document gives its displays (\[ … \]), any other
// LaTeX text is one formula; linear text gives one formula a line. Nothing
// is built when any formula cannot be read: error says which line and
// column, and why.
bool formulasDocument(TextFormat format, std::string_view text, std::vector<std::uint8_t>& bytes,
                      std::string& error);

// velmor-cli export FILE --format F: the document in that format.
RunResult exportDocumentAs(const std::string& path, TextFormat format);

// velmor-cli import --format F TEXT OUT: a new document holding the formula
// read from TEXT as an item at (10, 10), saved to OUT in one step. Text that
// cannot be read leaves OUT untouched.
RunResult importFormula(TextFormat format, const std::string& text, const std::string& outPath);

}  // namespace velmor
