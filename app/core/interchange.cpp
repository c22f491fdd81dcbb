#include "core/interchange.h"

#include "core/linear_text.h"
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
