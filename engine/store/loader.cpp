#include "store/loader.h"

#include <cstdio>
#include <memory>
#include <string>

#include "model/document.h"
#include "model/shared.h"
#include "platform/messages.h"
#include "store/record_kinds.h"

namespace tovimat {

namespace loader {

void readExact(algStor& s, void* buffer, int count) {
    if (count > 0 && s.read(buffer, count) != count) throw aborted{};
}

std::int32_t readInt(algStor& s) {
    std::uint8_t b[4];
    readExact(s, b, 4);
    return std::int32_t(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                        std::uint32_t(b[3]) << 24);
}

std::uint8_t readByte(algStor& s) {
    std::uint8_t b;
    readExact(s, &b, 1);
    return b;
}

namespace {

// Classes of the model that the prototype list does not hold (because they
// cannot be typed) but whose records a document may contain. Other parts of
// the engine register their kinds in store/record_kinds.h.
nucleo* makeUnlisted(int id) {
    if (id == inlineFractionRecordId) return new fracao();
    switch (id) {
        case typeId::field:
            return new field("");
        case typeId::variable:
            return new variable("", nullptr);
        case typeId::container:
            return new container("", "", "");
        case typeId::sentence:
            return new sentence();
        case typeId::argument:
            return new argument();
        case typeId::resolution:
            return new resolution();
        case typeId::simplification:
            return new simplification();
        case typeId::passEqual:
            return new passEqual();
        case typeId::greatOrEqual:
            return new greatOrEqual();
        case typeId::lessOrEqual:
            return new lessOrEqual();
        case typeId::notEqual:
            return new notEqual();
        case typeId::implication:
            return new implication();
        case typeId::equivalence:
            return new equivalence();
        case typeId::userFunc:
            return new userFunc();
        case typeId::refers:
            return new refers();
        case typeId::refered:
            return new refered();
        default:
            return nullptr;
    }
}

nucleo* makeNode(int id) {
    if (nucleo* n = makeUnlisted(id)) return n;
    if (records::MakeNode make = records::maker(id)) return make();
    if (const nucleo* proto = shared::findPrototype(id)) return proto->copy();
    char text[64];
    std::snprintf(text, sizeof text, "unknown object type: %i", id);
    MessageBoxA(nullptr, text, "File/Format Error", MB_ICONERROR);
    throw aborted{};
}

thread_local int depth = 0;

struct DepthGuard {
    DepthGuard() {
        if (++depth > maxRecordDepth) {
            --depth;
            static const std::string why =
                "The document nests deeper than " + std::to_string(maxNestingDepth) + " levels.";
            MessageBoxA(nullptr, why.c_str(), "File/Format Error", MB_ICONERROR);
            throw aborted{};
        }
    }
    ~DepthGuard() { --depth; }
};

}  // namespace

nucleo* readRecord(algStor& s, const POINT* at) {
    DepthGuard guard;
    const bool outermost = depth == 1;
    if (outermost) s.sharedRead.clear();
    std::unique_ptr<nucleo> node;
    try {
        node.reset(makeNode(readInt(s)));
        if (at) node->moveTo(at->x, at->y);
        node->loadFont(s);
        node->load(s);
    } catch (const aborted&) {
        if (outermost) records::finishLoad(s, false);
        throw;
    }
    // The whole file is read: every shared value must have come with it.
    if (outermost && !records::finishLoad(s, true)) throw aborted{};
    return node.release();
}

}  // namespace loader

nucleo* algLoad(algStor& s) {
    try {
        return loader::readRecord(s);
    } catch (const loader::aborted&) {
        return nullptr;
    }
}

}  // namespace tovimat
