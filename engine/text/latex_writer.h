// LaTeX (amsmath) of expression trees: "\frac{a}{b}", "\sqrt[3]{x}",
// "x^{2}", "\log_{2} 8", "a \cdot b", "\left( a + b \right)".
//
// Parentheses appear exactly where the tree has parenthesis nodes. An
// operand whose grouping the text would not otherwise show (a sum as a
// factor, with no parenthesis node around it) is written in braces, which
// group without drawing anything, so the picture matches the editor's and
// readLatex gives the same tree back. A chain of two or more relations is an
// `aligned` block, one step per row: "a &= b \\ &= c".
//
// Names of more than one letter are \mathit{name}, user functions of more
// than one letter \operatorname{name}; texts come out in UTF-8.
#pragma once

#include <string>

namespace tovimat {

class container;
class nucleo;
class selection;

// One node and everything below it, as the body of a formula (no $ around).
std::string latexOf(const nucleo& n);

// Every line of a document's base container, each as a display \[ … \] on
// a line of its own.
std::string latexLines(const container& base);

// A complete LaTeX document (article with amsmath) holding latexLines.
std::string latexDocument(const container& base);

// The selected nodes in selection order, one formula per line.
std::string latexSelection(const selection& selected);

}  // namespace tovimat
