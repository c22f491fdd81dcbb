#include "core/interchange.h"

#include <algorithm>

#include "core/linear_text.h"
#include "store/stream.h"
#include "text/latex_reader.h"
#include "text/latex_writer.h"
#include "text/linear_reader.h"
#include "text/mathml_writer.h"

using namespace tovimat;

namespace velmor {

bool parseTextFormat(std::string_view name, TextFormat& format) {
    if (name == "latex")
        format = TextFormat::latex;
    else if (name == "mathml")
        format = TextFormat::mathml;
    else if (name == "text")
        format = TextFormat::text;
    else
        return false;
    return true;
}

std::string documentAs(const container& base, TextFormat format) {
    switch (format) {
        case TextFormat::latex:
            return latexDocument(base);
        case TextFormat::mathml:
            return mathmlDocument(base);
        case TextFormat::text:
            break;
    }
    return linearLines(base);
}

std::unique_ptr<nucleo> readFormula(TextFormat format, std::string_view text, std::string& error) {
    if (format == TextFormat::latex) {
        latexReading r = readLatex(text);
        if (!r)
            error = "line " + std::to_string(r.line) + ", column " + std::to_string(r.column) + ": " + r.reason;
        return std::move(r.tree);
    }
    if (format == TextFormat::text) {
        linearReading r = readLinear(text);
        if (!r) error = "column " + std::to_string(r.column) + ": " + r.reason;
        return std::move(r.tree);
    }
    error = "MathML cannot be read, only written";
    return nullptr;
}

namespace {

RunResult failed(std::string error, std::string out = {}) {
    RunResult r;
    r.exitCode = 2;
    r.out = std::move(out);
    r.error = std::move(error);
    return r;
}

}  // namespace

namespace {

// One formula of a file and where it starts: line and column from 1.
struct FormulaText {
    std::string_view text;
    int line;
    int column;
};

FormulaText formulaAt(std::string_view text, size_t from, size_t to) {
    const size_t lineStart = text.rfind('\n', from == 0 ? 0 : from - 1);
    const size_t column = lineStart == std::string_view::npos || from == 0 ? from : from - lineStart - 1;
    return {text.substr(from, to - from), int(std::count(text.begin(), text.begin() + long(from), '\n')) + 1,
            int(column) + 1};
}

std::vector<FormulaText> formulasOf(TextFormat format, std::string_view text) {
    std::vector<FormulaText> out;
    if (format == TextFormat::latex) {
        if (text.find("\\begin{document}") == std::string_view::npos)
            return {formulaAt(text, 0, text.size())};
        for (size_t at = text.find("\\["); at != std::string_view::npos; at = text.find("\\[", at)) {
            const size_t end = text.find("\\]", at + 2);
            // Without its end the reader says what is missing.
            const size_t to = end == std::string_view::npos ? text.size() : end + 2;
            out.push_back(formulaAt(text, at, to));
            at = to;
        }
        return out;
    }
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        if (line.find_first_not_of(" \t\r") != std::string_view::npos)
            out.push_back(formulaAt(text, at, end));
        at = end + 1;
    }
    return out;
}

// The tool mode is shared by every view in the process; the headless view
// that builds a document puts back what it found.
class ModeKept {
public:
    ModeKept() : mode_(protocol::mode) {}
    ~ModeKept() { protocol::mode = mode_; }
    ModeKept(const ModeKept&) = delete;
    ModeKept& operator=(const ModeKept&) = delete;

private:
    int mode_;
};

}  // namespace

bool formulasDocument(TextFormat format, std::string_view text, std::vector<std::uint8_t>& bytes,
                      std::string& error) {
    std::vector<std::unique_ptr<nucleo>> trees;
    for (const FormulaText& f : formulasOf(format, text)) {
        std::string why;
        std::unique_ptr<nucleo> tree;
        int line = 1;
        int column = 1;
        if (format == TextFormat::latex) {
            latexReading r = readLatex(f.text);
            tree = std::move(r.tree);
            line = r.line;
            column = r.column;
            why = r.reason;
        } else if (format == TextFormat::text) {
            linearReading r = readLinear(f.text);
            tree = std::move(r.tree);
            column = r.column;
            why = r.reason;
        } else {
            error = "MathML cannot be read, only written";
            return false;
        }
        if (!tree) {
            // The place in the file: columns count from the formula's start
            // on its first line only.
            error = "line " + std::to_string(f.line + line - 1) + ", column " +
                    std::to_string(line == 1 ? f.column + column - 1 : column) + ": " + why;
            return false;
        }
        trees.push_back(std::move(tree));
    }
    if (trees.empty()) {
        error = format == TextFormat::latex ? "no formula in the document: no \\[ … \\] display"
                                            : "no formula: every line is blank";
        return false;
    }

    ModeKept mode;
    HeadlessSession session;
    session.newDocument();
    LONG top = 10;
    for (std::unique_ptr<nucleo>& tree : trees) {
        std::string ignored;
        session.play("{NewItemTool}{Click 10 " + std::to_string(top) + "}", ignored);
        nucleo* item = session.view().focused();
        if (!session.doc().base() || !item || !item->replaceWith(tree.get())) {
            error = "cannot place the formulas in a new document";
            return false;
        }
        nucleo* placed = tree.release();
        placed->update();
        top = placed->bottom() + 20;
    }
    memStor out;
    if (!session.doc().root()->save(out)) {
        error = "the document could not be written";
        return false;
    }
    bytes = out.bytes();
    return true;
}

RunResult exportDocumentAs(const std::string& path, TextFormat format) {
    // Standard output holds the formulas and nothing else.
    HeadlessSession session;
    if (!session.open(path)) return failed(session.error());
    RunResult r;
    r.out = documentAs(*session.doc().base(), format);
    return r;
}

RunResult importFormula(TextFormat format, const std::string& text, const std::string& outPath) {
    std::string error;
    std::unique_ptr<nucleo> tree = readFormula(format, text, error);
    if (!tree) return failed("cannot read the text at " + error);
    HeadlessSession session;
    session.newDocument();
    session.click(POINT{10, 10});
    nucleo* item = session.view().focused();
    if (!session.doc().base() || !item || !item->replaceWith(tree.get()))
        return failed("cannot place the formula in a new document");
    tree.release()->update();
    if (!session.save(outPath)) return failed(session.error(), session.log().text());
    RunResult r;
    r.error = session.log().text();
    return r;
}

}  // namespace velmor
