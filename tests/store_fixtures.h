// Helpers for the document file tests: a byte-level record writer for
// hand-made files, save/load shortcuts, a tree walk that two documents can be
// compared by, and small sample documents that between them hold every class
// a file can contain.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "model/document.h"
#include "store/stream.h"
#include "test_host.h"

namespace tovimat::testing {

using Bytes = std::vector<std::uint8_t>;

// --- hand-made records --------------------------------------------------------------

// The font a node has when nothing changed it: height 16, weight 400, "System".
inline LOGFONTA defaultLogfont() {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = 16;
    lf.lfWeight = FW_NORMAL;
    std::memcpy(lf.lfFaceName, "System", 6);
    return lf;
}

// The default font moved to the Symbol face, as infinit and the operators
// with glyph separators use it.
inline LOGFONTA symbolLogfont() {
    LOGFONTA lf = defaultLogfont();
    std::memset(lf.lfFaceName, 0, LF_FACESIZE);
    std::memcpy(lf.lfFaceName, "SYMBOL", 6);
    lf.lfPitchAndFamily = FF_DECORATIVE_DEFAULT_PITCH;
    return lf;
}

class RecordWriter {
public:
    RecordWriter& i32(std::int32_t v) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(std::uint8_t(std::uint32_t(v) >> shift));
        return *this;
    }
    RecordWriter& u8(std::uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    RecordWriter& raw(const Bytes& b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    RecordWriter& font(const LOGFONTA& lf = defaultLogfont()) {
        for (LONG v : {lf.lfHeight, lf.lfWidth, lf.lfEscapement, lf.lfOrientation, lf.lfWeight}) i32(v);
        for (BYTE b : {lf.lfItalic, lf.lfUnderline, lf.lfStrikeOut, lf.lfCharSet, lf.lfOutPrecision,
                       lf.lfClipPrecision, lf.lfQuality, lf.lfPitchAndFamily})
            u8(b);
        for (char c : lf.lfFaceName) u8(std::uint8_t(c));
        return *this;
    }
    RecordWriter& text(std::string_view t) {
        i32(std::int32_t(t.size()));
        for (char c : t) u8(std::uint8_t(c));
        return *this;
    }
    // The common part: type id and font.
    RecordWriter& common(int id, const LOGFONTA& lf = defaultLogfont()) { return i32(id).font(lf); }
    RecordWriter& header() { return i32(std::int32_t(algFileMagic)).i32(std::int32_t(algFileVersion)); }

    Bytes bytes;
};

// A field-like leaf: common part, length, text.
inline Bytes textRecord(int id, std::string_view text, const LOGFONTA& lf = defaultLogfont()) {
    return RecordWriter().common(id, lf).text(text).bytes;
}

// A composite stored without positions: common part, count, member records.
inline Bytes groupRecord(int id, std::initializer_list<Bytes> members) {
    RecordWriter w;
    w.common(id).i32(std::int32_t(members.size()));
    for (const Bytes& m : members) w.raw(m);
    return w.bytes;
}

struct Placed {
    std::int32_t left, top;
    Bytes record;
};

// A container or page: common part, count, then left, top and record per member.
inline Bytes placedRecord(int id, std::initializer_list<Placed> members) {
    RecordWriter w;
    w.common(id).i32(std::int32_t(members.size()));
    for (const Placed& m : members) w.i32(m.left).i32(m.top).raw(m.record);
    return w.bytes;
}

inline Bytes fileOf(const Bytes& root) { return RecordWriter().header().raw(root).bytes; }

// --- saving and loading -----------------------------------------------------------------

inline Bytes saveNode(const nucleo& n) {
    memStor s;
    n.save(s);
    return s.bytes();
}

inline Bytes saveDocument(protocol& doc) {
    memStor s;
    doc.save(s);
    return s.bytes();
}

inline bool loadBytes(protocol& doc, const Bytes& bytes) {
    memStor s(bytes);
    return doc.load(s);
}

// --- comparing trees ---------------------------------------------------------------------

// The tree as text: type id, then the text of a leaf, the name of a user
// function, the value of a variable, and the members of a composite.
inline void appendShape(const nucleo& n, std::string& out) {
    out += std::to_string(n.type());
    if (!n.isGroup()) {
        out += '"';
        out.append(n.getText(), size_t(n.getLen()));
        out += '"';
    }
    if (auto* v = dynamic_cast<const variable*>(&n); v && v->getValue()) {
        out += '=';
        appendShape(*v->getValue(), out);
    }
    if (auto* f = dynamic_cast<const userFunc*>(&n)) out.append(f->name());
    if (n.isGroup()) {
        auto& c = static_cast<const container&>(n);
        out += '[';
        for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) {
            appendShape(*m, out);
            if (m->next() != c.tail()) out += ',';
        }
        out += ']';
    }
}

inline std::string shape(const nucleo& n) {
    std::string out;
    appendShape(n, out);
    return out;
}

// Nodes below and including n: containers and leaves, a variable's value
// too, never delimiters.
inline long countNodes(const nucleo& n) {
    long count = 1;
    if (auto* v = dynamic_cast<const variable*>(&n); v && v->getValue()) count += countNodes(*v->getValue());
    if (n.isGroup()) {
        auto& c = static_cast<const container&>(n);
        for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) count += countNodes(*m);
    }
    return count;
}

// --- sample documents ----------------------------------------------------------------------

inline nucleo* name(const char* s) { return new literal(s); }
inline nucleo* num(double d) { return new nominal(d); }

// A new C with the members appended through the class's own insertion rules.
template <class C>
C* make(std::initializer_list<nucleo*> members) {
    auto* c = new C();
    for (nucleo* m : members) c->add(*m);
    return c;
}

inline void addLines(container& base, std::initializer_list<nucleo*> lines) {
    for (nucleo* l : lines) base.add(*l);
}

// Sums, products, fractions, powers, roots, logarithms and signs.
inline void arithmeticLines(container& base) {
    addLines(base, {
                       make<sum>({name("a"), name("b"), make<negation>({name("c")})}),
                       make<multiplication>({num(2), make<sum>({name("x"), num(1)})}),  // arrives as 2·(x+1)
                       make<quocient>({name("x"), name("y")}),
                       make<power>({name("x"), num(2)}),
                       make<radical>({name("x")}),
                       make<radical>({num(3), name("x")}),
                       make<logaritm>({num(2), name("x")}),
                       make<plusOrMinus>({name("x")}),
                       make<parentesis>({make<sum>({name("a"), num(0.25)})}),
                   });
}

// An in-line fraction. It shares its type id with the stacked quocient, so
// it reads back as a quocient and is laid out taller: as the last line of a
// page it moves nothing whose position the file records.
inline void inlineFractionLine(container& base) { addLines(base, {make<fracao>({num(1), name("z")})}); }

// Lists, sets and the set relations.
inline void setLines(container& base) {
    addLines(base, {
                       make<list>({num(1), num(2)}),
                       make<enumSet>({name("a"), name("b")}),
                       make<contains>({name("A"), name("B")}),
                       make<contained>({name("A"), name("B")}),
                       make<notContain>({name("A"), name("B")}),
                       make<tovimat::refers>({name("A"), name("B")}),
                       make<refered>({name("A"), name("B")}),
                       make<belongs>({name("a"), name("A")}),
                       make<notBelong>({name("a"), name("A")}),
                       make<junction>({name("A"), name("B")}),
                       make<intersection>({name("A"), name("B")}),
                   });
}

// Logic, the trigonometric functions and user functions.
inline void functionLines(container& base) {
    addLines(
        base,
        {
            make<logicAnd>({new booleano(true), make<logicOr>({new booleano(false), name("p")})}),
            make<sum>({make<algSin>({name("x")}), make<algCos>({name("x")}), make<algTan>({name("x")}),
                       make<algCotan>({name("x")})}),
            make<sum>({make<algASin>({name("y")}), make<algACos>({name("y")}), make<algATan>({name("y")})}),
        });
    auto* f = new userFunc("f");
    f->add(*make<argument>({name("x"), name("y")}));
    auto* g = new userFunc("g");
    g->add(*name("t"));
    addLines(base, {f, g});
}

// A simplification with every equality and order relation, and a resolution.
inline void relationLines(container& base) {
    auto* s = new simplification(name("x"));
    for (container* r : std::initializer_list<container*>{
             new equal(num(1)), new passEqual(num(2)), new greater(num(0)), new lessThan(num(3)),
             new greatOrEqual(num(4)), new lessOrEqual(num(5)), new notEqual(num(6))})
        s->add(*r);
    auto* r = new resolution(name("p"));
    r->add(*new implication(name("q")));
    r->add(*new equivalence(name("r")));
    addLines(base, {s, r});
}

// Every leaf class, a sentence, and a plain container with placed members.
inline void leafLines(container& base) {
    auto* slot = new field("typed");
    slot->setChanged(false);  // text not yet turned into a name or a number
    addLines(base, {
                       make<sentence>({new booleano(true), new booleano(false), new infinit(true),
                                       new infinit(false), new indefinicao(), new indeterminacao(),
                                       new preference(), num(3.5), name("name"), slot,
                                       new variable("v", num(4)), new variable("w", nullptr)}),
                       make<container>({name("left"), name("right")}),  // arrives inside a parentesis
                   });
}

struct SampleDocument {
    const char* name;
    std::function<void(container&)> fill;
    bool pageBase;
};

inline const std::vector<SampleDocument>& sampleDocuments() {
    static const std::vector<SampleDocument> samples = {
        {"arithmetic",
         [](container& base) {
             arithmeticLines(base);
             inlineFractionLine(base);
         },
         true},
        {"sets", setLines, false},
        {"functions", functionLines, true},
        {"relations", relationLines, false},
        {"leaves", leafLines, true},
    };
    return samples;
}

// A laid-out document whose base holds the lines the fill functions add.
inline std::unique_ptr<TestHost> buildDocument(std::initializer_list<std::function<void(container&)>> fills,
                                               bool pageBase = true) {
    container* base = pageBase ? new page(1, false) : new container();
    for (const auto& fill : fills) fill(*base);
    auto host = std::make_unique<TestHost>(base);
    host->remeasureOn(base);
    return host;
}

inline std::unique_ptr<TestHost> everyClassDocument() {
    return buildDocument(
        {arithmeticLines, setLines, functionLines, relationLines, leafLines, inlineFractionLine});
}

}  // namespace tovimat::testing
