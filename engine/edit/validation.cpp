// Turning typed text into structure: constants, numbers, scientific
// notation, implicit products, negated terms and names; and function names.
#include <cctype>
#include <cstring>

#include "model/document.h"
#include "model/shared.h"

namespace tovimat {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Whether n took f's place. A refused n is deleted, and `left` is what then
// stands in f's place: f, or nothing, since replacing deletes f before n
// goes in.
bool tookPlace(field* f, std::unique_ptr<nucleo> n, nucleo*& left) {
    nodeWatch fStays(f);
    if (f->replaceWith(std::move(n))) return true;
    left = fStays.alive() ? f : nullptr;
    return false;
}

// The new node takes the field's place; the caret, when the field had it,
// stays at the same index as far as the new text allows.
nucleo* takePlace(field* f, std::unique_ptr<nucleo> made, bool hadCaret, int caret) {
    nucleo* n = made.get();
    if (nucleo* left = nullptr; !tookPlace(f, std::move(made), left)) return left;
    n->update();
    if (hadCaret) n->focusAt(std::min(caret, n->getLen()));
    return n;
}

// A product put in the place of a field inside another product is
// flattened into it: what then stands in the field's place is its first factor.
nucleo* standing(const container* made, nucleo* firstMember) {
    return firstMember->parent() == made ? const_cast<container*>(made) : firstMember;
}

template <typename Leaf>
Leaf* unchangedLeaf(Leaf* leaf, const field* styleFrom) {
    leaf->copyFont(styleFrom);
    leaf->setChanged(false);
    return leaf;
}

}  // namespace

nucleo* container::validate(field* f) {
    if (isa<variable>(f)) return f;
    if (f->same() || f->getLen() == 0 || !f->chained() || isa<infinit>(f)) {
        f->nucleo::update();
        return f;
    }
    const bool hadCaret = rootDoc && rootDoc->focused() == f;
    const int caret = hadCaret ? rootDoc->caretIndex() : 0;
    const char* t = f->getText();
    const int len = f->getLen();

    // Constants, the later test winning.
    std::unique_ptr<nucleo> constant;
    if (f->chkText("True")) constant = std::make_unique<booleano>(true);
    if (f->chkText("False")) constant = std::make_unique<booleano>(false);
    if (f->chkText("?")) constant = std::make_unique<preference>("?");
    if (constant) return takePlace(f, std::move(constant), hadCaret, caret);

    // -y: a negation whose member validates on its own turn.
    if (t[0] == '-') {
        auto rest = std::make_unique<field>(t + 1, len - 1);
        rest->copyFont(f);
        auto* neg = new negation();
        neg->lput(std::move(rest));
        if (nucleo* left = nullptr; !tookPlace(f, adopt(neg), left)) return left;
        return neg;
    }

    // The number prefix; an "e" inside it starts an exponent: m × 10^e.
    int prefix = 0;
    if (isDigit(t[0])) {
        prefix = 1;
        while (prefix < len && (isDigit(t[prefix]) || t[prefix] == '.')) ++prefix;
        if (prefix < len && t[prefix] == 'e') {
            auto* mantissa = unchangedLeaf(new nominal(t, prefix), f);
            int from = prefix + 1;
            if (from < len && t[from] == '+') ++from;
            auto* exponent = new literal(t + from, len - from);
            exponent->copyFont(f);
            auto* ten = unchangedLeaf(new nominal(10.0), f);
            auto* pw = new power(ten);
            // The exponent stays text until it is next validated.
            pw->linkLast(exponent);
            auto* product = new multiplication(*mantissa, *pw);
            if (nucleo* left = nullptr; !tookPlace(f, adopt(product), left)) return left;
            mantissa->update();
            ten->update();
            // The exponent may have been validated on the way in: take
            // whatever is the power's exponent now.
            if (pw->getRoot() && pw->members() == 2) pw->last()->focusLeft();
            return standing(product, mantissa);
        }
    }
    if (prefix > 0) {
        auto* number = unchangedLeaf(new nominal(t, prefix), f);
        if (prefix == len) return takePlace(f, adopt(number), hadCaret, caret);
        auto* name = unchangedLeaf(new literal(t + prefix, len - prefix), f);
        // 2x: an implicit product.
        auto* product = new multiplication(*number, *name);
        if (nucleo* left = nullptr; !tookPlace(f, adopt(product), left)) return left;
        number->update();
        name->update();
        if (hadCaret) name->focusAt(1);
        return standing(product, number);
    }
    if (f->type() == typeId::literal) {
        f->setChanged(false);
        f->nucleo::update();
        return f;
    }
    auto* name = unchangedLeaf(new literal(t, len), f);
    return takePlace(f, adopt(name), hadCaret, caret);
}

// A completed function name: sin, cos... (or a longer name beginning with
// one, such as sinh) become that function with the same argument.
nucleo* function::validate(field* f) {
    if (f != &headNode) return container::validate(f);
    const std::string_view name = f->view();
    const list& protos = shared::prototypeList();
    for (nucleo* p = protos.first(); p && p->chained(); p = p->next()) {
        if (!p->isFunc()) continue;
        auto* proto = cast<container>(p);
        const std::string_view known = proto->head()->view();
        if (name.size() < known.size() || name.substr(0, known.size()) != known) continue;

        std::unique_ptr<container> built(proto->clone());
        container* made = built.get();
        if (rootDoc && rootDoc->focused() == f) f->killFocus();
        nucleo* firstMember = first();
        auto* args = memberCount > 0 ? dyn_cast<argument>(firstMember) : nullptr;
        if (args && args->members() > 0) {
            nucleo* x = args->first();
            args->_detachIt(x, false, false);
            made->entre(x, made->last(), made->tail());
        } else {
            made->insertAfterFrom(made->head(), first(), memberCount);
        }
        nodeWatch stays(this);
        if (!replaceWith(std::move(built))) return stays.alive() ? this : nullptr;
        made->remeasure();
        if (made->members() > 0) made->first()->focusLeft();
        return made;
    }
    return container::validate(f);
}

}  // namespace tovimat
