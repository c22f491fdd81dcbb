// Feeds arbitrary bytes to the document loader. Whatever a file holds, the
// load must end in a usable, sound document (every chain linked both ways,
// every shared value consistent) without a memory error, and whatever was
// loaded must save to a file that reads back whole, without a problem.
//
// Loading mends what no editing builds (a relation outside a directive that
// takes it, a composite without the parentheses its place needs), so a
// damaged file may read as another tree than its records describe; a
// document read back once is settled, though: saving and reading it again
// must reproduce it byte for byte.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "../tests/tree_checks.h"
#include "model/document.h"
#include "platform/messages.h"
#include "store/stream.h"
#include "support/headless_host.h"

using namespace tovimat;

namespace {

void walk(const nucleo& n, std::string& out) {
    out += std::to_string(n.type());
    if (!n.isGroup()) out.append(n.getText(), size_t(n.getLen()));
    if (auto* v = dynamic_cast<const variable*>(&n); v && v->getValue()) {
        out += '=';
        walk(*v->getValue(), out);
    }
    if (auto* f = dynamic_cast<const userFunc*>(&n)) out.append(f->name());
    if (!n.isGroup()) return;
    auto& c = static_cast<const container&>(n);
    out += '[';
    for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) {
        walk(*m, out);
        out += ';';
    }
    out += ']';
}

std::string shape(const nucleo& n) {
    std::string out;
    walk(n, out);
    return out;
}

void check(bool ok, const char* what, const MessageRecorder& messages) {
    if (ok) return;
    std::fprintf(stderr, "loader_fuzz: %s\n%s", what, messages.log().c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Installed for the whole run, so that nothing is printed per input.
    static MessageRecorder* const messages = new MessageRecorder();
    messages->clear();

    velmor::support::HeadlessHost host;
    memStor in(data, size);
    if (!host.load(in)) return 0;
    container* base = host.getBase();
    check(base && base->getRoot() == &host, "the loaded document has no base or no root", *messages);
    if (std::string p = testing::chainProblems(*base, &host); !p.empty()) {
        std::fprintf(stderr, "loader_fuzz: %s\n", p.c_str());
        std::abort();
    }

    memStor saved;
    check(host.save(saved), "saving a loaded document failed", *messages);

    messages->clear();
    velmor::support::HeadlessHost again;
    memStor reread(saved.bytes());
    check(again.load(reread), "a saved document has a bad header", *messages);
    check(messages->log().find("Loader aborted") == std::string::npos, "a saved document was not read back",
          *messages);
    check(messages->log().find("unknown object type") == std::string::npos,
          "a saved record has an unknown type", *messages);
    check(reread.position() == saved.bytes().size(), "a saved document has bytes left over", *messages);
    check(testing::chainProblems(*again.getBase(), &again).empty(), "a saved document reads back unsound",
          *messages);

    memStor settled;
    again.save(settled);
    velmor::support::HeadlessHost third;
    memStor rereadSettled(settled.bytes());
    messages->clear();
    check(third.load(rereadSettled) && messages->events().empty(),
          "a settled document did not read back cleanly", *messages);
    check(shape(*third.getBase()) == shape(*again.getBase()), "a settled document read back as another tree",
          *messages);
    memStor settledAgain;
    third.save(settledAgain);
    check(settledAgain.bytes() == settled.bytes(), "a settled document saved to other bytes", *messages);

    // The document stays usable; a full base refuses the new member.
    auto* extra = new literal("x");
    if (!base->add(*extra) && !extra->atached()) delete extra;
    return 0;
}
