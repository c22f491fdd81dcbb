#include "core/clipboard.h"

#include "core/velmor_doc.h"
#include "model/container.h"
#include "store/loader.h"
#include "store/origin_records.h"
#include "store/picture_document.h"
#include "store/stream.h"

using namespace tovimat;

namespace velmor {

Clipboard& Clipboard::instance() {
    static Clipboard clipboard;
    return clipboard;
}

void Clipboard::clear() {
    records_.clear();
    text_.clear();
    hasText_ = false;
}

void Clipboard::setFormulas(std::vector<std::uint8_t> records, std::string text) {
    records_ = std::move(records);
    text_ = std::move(text);
    hasText_ = !text_.empty();
}

void Clipboard::setText(std::string text) {
    records_.clear();
    text_ = std::move(text);
    hasText_ = true;
}

std::vector<std::uint8_t> writeFormulas(const std::vector<const nucleo*>& nodes) {
    memStor s;
    writeInt(s, std::int32_t(nodes.size()));
    for (const nucleo* n : nodes) {
        memStor one;
        if (!n->save(one)) return {};
        s.write(one.bytes().data(), int(one.bytes().size()));
    }
    writeOrigins(s, nodes);
    return s.bytes();
}

std::vector<std::unique_ptr<nucleo>> readFormulas(const std::vector<std::uint8_t>& records) {
    std::vector<std::unique_ptr<nucleo>> out;
    memStor s(records.data(), records.size());
    try {
        const std::int32_t count = loader::readInt(s);
        // Every record takes more than four bytes: a larger count is damage.
        if (count <= 0 || std::size_t(count) > records.size() / 4) return {};
        for (std::int32_t i = 0; i < count; ++i) out.emplace_back(loader::readRecord(s));
    } catch (const loader::aborted&) {
        return {};
    }
    // What follows the records tells the origins of steps; damaged, the
    // formulas come without them.
    std::vector<nucleo*> roots;
    for (const auto& n : out) roots.push_back(n.get());
    if (readOrigins(s, roots) != originsRead::damaged && s.position() != records.size()) return {};
    return out;
}

std::vector<std::uint8_t> documentOfFormulas(const std::vector<std::uint8_t>& records,
                                             const std::vector<std::array<int, 2>>& corners) {
    std::vector<std::unique_ptr<nucleo>> nodes = readFormulas(records);
    if (nodes.empty()) return {};
    CVelmorDoc doc;
    doc.onNewDocument();
    container* base = doc.base();
    if (!base) return {};
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        std::unique_ptr<nucleo>& n = nodes[i];
        const std::array<int, 2> corner = i < corners.size() ? corners[i] : std::array<int, 2>{0, 0};
        n->moveTo(corner[0], corner[1]);
        nucleo* placed = n.get();
        if (!base->lput(std::move(n))) return {};
        placed->update();
    }
    return doc.currentBytes();
}

std::vector<std::uint8_t> formulasOfDocument(std::vector<std::uint8_t> bytes, std::string& reason) {
    if (pictureKindOf(bytes) != pictureKind::none) {
        std::vector<std::uint8_t> carried;
        if (!documentInPicture(bytes, carried, reason)) return {};
        bytes = std::move(carried);
    }
    CVelmorDoc doc;
    if (!doc.onOpenBytes(std::move(bytes), "the document") || doc.openedDamaged() || !doc.base()) {
        reason = doc.lastError().empty() ? "the document cannot be read" : doc.lastError();
        return {};
    }
    std::vector<const nucleo*> lines;
    for (const nucleo* m = doc.base()->first(); m && m->chained(); m = m->next()) lines.push_back(m);
    if (lines.empty()) {
        reason = "the document holds no formula";
        return {};
    }
    return writeFormulas(lines);
}

}  // namespace velmor
