// The tree dump: one line per node, depth first in chain order, two spaces of
// indentation per level, the class name, and for leaves their text:
//
//   container
//     multiplication
//       nominal "2"
//       literal "x" <caret 1>
//
// Delimiters and separators are not listed; a variable lists its value one
// level deeper. With steps, a step's line ends with what made it:
//
//       passEqual <step "Calculate"> Texts are written byte by byte (see escapeBytes).
#pragma once

#include <string>

namespace tovimat {

class nucleo;

struct DumpOptions {
    // Append " [left top right bottom ascent]" to every line.
    bool geometry = false;
    // Append ` <step "WHAT MADE IT">` to every step that tells its origin.
    bool steps = false;
};

// The class name of a node as the system names it ("sum", "quocient",
// "fracao", "nominal"...).
std::string className(const nucleo& n);

// Dumps n and everything below it. The caret and selection markers come from
// n's document root, when it has one.
std::string dumpTree(const nucleo& n, const DumpOptions& options = {});

}  // namespace tovimat
