#include "model/leaves.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/document.h"
#include "platform/messages.h"

namespace tovimat {

// --- field -------------------------------------------------------------------------

field::field() = default;

field::field(const char* s) { assign(s, s ? int(std::strlen(s)) : 0); }

field::field(const char* s, int n) { assign(s, n); }

field::field(const nucleo& n) { assign(n.getText(), n.getLen()); }

field::~field() {
    if (zoneSize > inlineZone) std::free(zone.heap);
}

// The zone moves between the node and the heap as it crosses inlineZone;
// the text keeps what fits of it.
bool field::resize(int delta) {
    const int wanted = std::max(zoneSize + delta, 0);
    const bool onHeap = zoneSize > inlineZone;
    if (wanted <= inlineZone) {
        if (onHeap) {
            char* heap = zone.heap;
            std::memcpy(zone.local, heap, size_t(std::min({length, wanted, inlineZone})));
            std::free(heap);
        }
        zoneSize = wanted;
        if (length > zoneSize) length = zoneSize;
        return true;
    }
    char* grown = static_cast<char*>(onHeap ? std::realloc(zone.heap, size_t(wanted)) : std::malloc(size_t(wanted)));
    if (!grown) {
        nodeMessage(this, "Memory allocation problem!", "Error", MB_ICONERROR);
        if (onHeap) std::free(zone.heap);
        zone = Zone{};
        zoneSize = 0;
        length = 0;
        return false;
    }
    if (!onHeap) std::memcpy(grown, zone.local, size_t(length));
    zone.heap = grown;
    zoneSize = wanted;
    if (length > zoneSize) length = zoneSize;
    return true;
}

void field::assign(const char* s, int n) {
    if (!s || n < 0) n = 0;
    // The source may live in our own zone, which growing could move.
    std::string aliased;
    if (n > 0 && s >= bytes() && s < bytes() + zoneSize) {
        aliased.assign(s, size_t(n));
        s = aliased.data();
    }
    if (n > zoneSize && !resize(n - zoneSize)) return;
    if (n > 0) std::memmove(bytes(), s, size_t(n));
    length = n;
}

const char* field::setText(const char* s, int n) {
    assign(s, n);
    changed = true;
    return getText();
}

field& field::operator=(const char* s) {
    setText(s, s ? int(std::strlen(s)) : 0);
    return *this;
}

field& field::operator=(const field* f) {
    if (f && f != this) setText(f->getText(), f->getLen());
    return *this;
}

void field::zap() {
    if (zoneSize > inlineZone) std::free(zone.heap);
    zone = Zone{};
    length = 0;
    zoneSize = 0;
    changed = true;
}

bool field::chkText(const char* s) const {
    int n = s ? int(std::strlen(s)) : 0;
    if (n != length) return false;
    for (int i = 0; i < n; ++i) {
        auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : char(c); };
        if (lower((unsigned char)bytes()[i]) != lower((unsigned char)s[i])) return false;
    }
    return true;
}

nucleo* field::copy() const { return new field(getText(), getLen()); }

// --- literal, extremo, preference ---------------------------------------------------

nucleo* literal::copy() const { return new literal(getText(), getLen()); }

extremo::extremo(const char* s) : literal(s) { setReadOnly(true); }

extremo::extremo(const char* s, int n) : literal(s, n) { setReadOnly(true); }

preference::preference(const char* s) : literal(s) {
    color = 0xFF0000;
    changed = false;
}

nucleo* preference::copy() const { return new preference("?"); }

// --- variable ------------------------------------------------------------------------

variable::variable(const char* name, nucleo* value_) : literal(name), value(value_) {}

variable::variable(const char* name, int n, nucleo* value_) : literal(name, n), value(value_) {}

variable::variable(const nucleo& name, nucleo* value_) : literal(name), value(value_) {}

variable::~variable() {
    delete value;
    value = nullptr;
    whereList.clear();
}

nucleo* variable::copy() const { return new variable(getText(), getLen(), value ? value->copy() : nullptr); }

bool variable::refers(nucleo* x) {
    if (value) return value->refers(x);
    return nucleo::refers(x);
}

// --- nominal -------------------------------------------------------------------------

nominal::nominal(const char* s, int n) {
    color = 0x80;
    if (n > maxDigits) {
        MessageBeep(0);
        nodeMessage(this, "Number is to large. use cientific notation", "Warning", MB_ICONERROR);
        n = maxDigits;
        cut = true;
    }
    assign(s, n);
    number = parse(getText(), getLen());
}

// A number built from a value has nothing left to validate.
nominal::nominal(double d) : number(d) {
    color = 0x80;
    changed = false;
    std::string t = format(d);
    assign(t.data(), int(t.size()));
}

std::string nominal::format(double d) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general);
    return std::string(buf, res.ptr);
}

// The C library's reading of a decimal number, in the "C" locale whatever
// the program's locale is.
double nominal::parse(const char* s, int n) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    std::string t(s ? s : "", s ? size_t(n < 0 ? 0 : n) : 0);
    return strtod_l(t.c_str(), nullptr, cLocale);
}

nucleo* nominal::copy() const { return new nominal(number); }

// --- booleano, infinit -------------------------------------------------------------------

booleano::booleano(bool b) : truth(b) {
    color = 0x4000C0;
    staticText = true;
    changed = false;
    showState();
}

void booleano::showState() {
    const char* t = truth ? "True" : "False";
    assign(t, int(std::strlen(t)));
}

nucleo* booleano::copy() const { return new booleano(truth); }

infinit::infinit(bool positive_) : positive(positive_) {
    color = 0x200080;
    staticText = true;
    changed = false;
    showState();
    defineFont("SYMBOL");
}

void infinit::showState() {
    char t[2] = {positive ? '+' : '-', glyph::infinity[0]};
    assign(t, 2);
}

nucleo* infinit::copy() const { return new infinit(positive); }

// --- special values ----------------------------------------------------------------------

indefinicao::indefinicao() : field("Indefinido") { changed = false; }

nucleo* indefinicao::copy() const { return new indefinicao(); }

indeterminacao::indeterminacao() : field("Indetermina\xE7\xE3o") { changed = false; }

nucleo* indeterminacao::copy() const { return new indeterminacao(); }

}  // namespace tovimat
