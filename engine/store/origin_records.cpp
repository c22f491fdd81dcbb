#include "store/origin_records.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "model/container.h"
#include "model/step_origin.h"
#include "store/loader.h"

namespace tovimat {

namespace {

constexpr char kStepsTag[4] = {'S', 'T', 'E', 'P'};
constexpr std::int32_t kStepsVersion = 1;
// Places deeper than records may nest are damage.
constexpr std::int32_t kMaxPath = maxRecordDepth + 1;

// A node's place: the index of its tree among the roots, then at each level
// its index among its container's members (the first member counting 0).
using Place = std::vector<std::int32_t>;

int memberIndex(const container* c, const nucleo* n) {
    int i = 0;
    for (nucleo* m = c->first(); m && m->chained(); m = m->next(), ++i)
        if (m == n) return i;
    return -1;
}

bool placeOf(const nucleo* n, const std::vector<const nucleo*>& roots, Place& place) {
    place.clear();
    for (;;) {
        auto root = std::find(roots.begin(), roots.end(), n);
        if (root != roots.end()) {
            place.push_back(std::int32_t(root - roots.begin()));
            break;
        }
        const container* p = n->parent();
        const int i = p ? memberIndex(p, n) : -1;
        if (i < 0) return false;
        place.push_back(i);
        n = p;
    }
    std::reverse(place.begin(), place.end());
    return true;
}

nucleo* nodeAt(const Place& place, const std::vector<nucleo*>& roots) {
    if (place.empty() || place[0] < 0 || size_t(place[0]) >= roots.size()) return nullptr;
    nucleo* n = roots[size_t(place[0])];
    for (size_t level = 1; level < place.size() && n; ++level) {
        auto* c = dyn_cast<container>(n);
        if (!c) return nullptr;
        n = c->first();
        for (std::int32_t i = 0; i < place[level] && n && n->chained(); ++i) n = n->next();
        if (!n || !n->chained()) return nullptr;
    }
    return n;
}

void writeText(memStor& s, const std::string& t) {
    writeInt(s, std::int32_t(t.size()));
    s.write(t.data(), int(t.size()));
}

// A text of the section: its length cannot pass the bytes left.
std::string readText(memStor& s) {
    const std::int32_t n = loader::readInt(s);
    if (n < 0 || size_t(n) > s.bytes().size() - s.position()) throw loader::aborted{};
    std::string t(size_t(n), '\0');
    loader::readExact(s, t.data(), n);
    return t;
}

std::int32_t readCount(memStor& s) {
    const std::int32_t n = loader::readInt(s);
    // Every item takes at least four bytes.
    if (n < 0 || size_t(n) > (s.bytes().size() - s.position()) / 4) throw loader::aborted{};
    return n;
}

void writeOrigin(memStor& s, const stepOrigin& o) {
    writeText(s, o.command);
    writeText(s, o.detail);
    writeText(s, o.ruleFile);
    writeInt(s, o.ruleItem);
    writeText(s, o.rule);
    writeInt(s, std::int32_t(o.bindings.size()));
    for (const auto& [name, value] : o.bindings) {
        writeText(s, name);
        writeText(s, value);
    }
    writeInt(s, std::int32_t(o.constants.size()));
    for (const std::string& c : o.constants) writeText(s, c);
    writeInt(s, std::int32_t(o.later.size()));
    for (const stepOrigin& then : o.later) writeOrigin(s, then);
}

// A later change has no later changes of its own.
stepOrigin readOrigin(memStor& s, bool later = false) {
    stepOrigin o;
    o.command = readText(s);
    o.detail = readText(s);
    o.ruleFile = readText(s);
    o.ruleItem = loader::readInt(s);
    o.rule = readText(s);
    for (std::int32_t n = readCount(s); n > 0; --n) {
        std::string name = readText(s);
        o.bindings.emplace_back(std::move(name), readText(s));
    }
    for (std::int32_t n = readCount(s); n > 0; --n) o.constants.push_back(readText(s));
    const std::int32_t changes = readCount(s);
    if (later && changes != 0) throw loader::aborted{};
    for (std::int32_t n = changes; n > 0; --n) o.later.push_back(readOrigin(s, true));
    return o;
}

struct Entry {
    Place place;
    std::int32_t type;
    stepOrigin origin;
};

// The body of a steps section; throws loader::aborted on damage.
std::vector<Entry> readSteps(memStor& body) {
    std::vector<Entry> entries;
    for (std::int32_t n = readCount(body); n > 0; --n) {
        Entry e;
        const std::int32_t length = loader::readInt(body);
        if (length < 1 || length > kMaxPath) throw loader::aborted{};
        for (std::int32_t i = 0; i < length; ++i) e.place.push_back(loader::readInt(body));
        e.type = loader::readInt(body);
        e.origin = readOrigin(body);
        entries.push_back(std::move(e));
    }
    if (body.position() != body.bytes().size()) throw loader::aborted{};
    return entries;
}

// Reads the L bytes of a section; false when the stream ends first. The
// buffer grows only as the bytes arrive, whatever L says.
bool readBody(algStor& s, std::int32_t length, std::vector<std::uint8_t>& body) {
    if (length < 0) return false;
    constexpr std::int32_t chunk = 1 << 16;
    while (std::int32_t(body.size()) < length) {
        const std::int32_t part = std::min(chunk, length - std::int32_t(body.size()));
        const size_t at = body.size();
        body.resize(at + size_t(part));
        if (s.read(body.data() + at, part) != part) return false;
    }
    return true;
}

}  // namespace

void writeOrigins(algStor& s, const std::vector<const nucleo*>& roots) {
    std::vector<Entry> entries;
    for (const nucleo* n : nodesWithOrigins()) {
        Entry e;
        if (!placeOf(n, roots, e.place)) continue;
        e.type = n->type();
        e.origin = *originOf(n);
        entries.push_back(std::move(e));
    }
    if (entries.empty()) return;
    // The same tree always gives the same bytes.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.place < b.place; });
    memStor body;
    writeInt(body, kStepsVersion);
    writeInt(body, std::int32_t(entries.size()));
    for (const Entry& e : entries) {
        writeInt(body, std::int32_t(e.place.size()));
        for (std::int32_t i : e.place) writeInt(body, i);
        writeInt(body, e.type);
        writeOrigin(body, e.origin);
    }
    s.write(kStepsTag, 4);
    writeInt(s, std::int32_t(body.bytes().size()));
    s.write(body.bytes().data(), int(body.bytes().size()));
}

originsRead readOrigins(algStor& s, const std::vector<nucleo*>& roots) {
    originsRead outcome = originsRead::none;
    for (;;) {
        char tag[4];
        const int got = s.read(tag, 4);
        if (got == 0) return outcome;
        std::uint8_t lengthBytes[4];
        if (got != 4 || s.read(lengthBytes, 4) != 4) return originsRead::damaged;
        const std::int32_t length = std::int32_t(std::uint32_t(lengthBytes[0]) | std::uint32_t(lengthBytes[1]) << 8 |
                                                 std::uint32_t(lengthBytes[2]) << 16 |
                                                 std::uint32_t(lengthBytes[3]) << 24);
        std::vector<std::uint8_t> bytes;
        if (!readBody(s, length, bytes)) return originsRead::damaged;
        if (std::memcmp(tag, kStepsTag, 4) != 0) continue;
        memStor body(std::move(bytes));
        std::vector<Entry> entries;
        try {
            // A later version of the section is skipped like an unknown tag.
            if (loader::readInt(body) != kStepsVersion) continue;
            entries = readSteps(body);
        } catch (const loader::aborted&) {
            return originsRead::damaged;
        }
        for (Entry& e : entries) {
            nucleo* n = nodeAt(e.place, roots);
            if (n && n->type() == e.type) setOrigin(n, std::move(e.origin));
        }
        outcome = originsRead::read;
    }
}

}  // namespace tovimat
