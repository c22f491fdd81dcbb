// The record of a reference: like every composite, a member count and the
// members' records, then 4 bytes numbering its shared value within the file.
// Of all the references to one value, the first one written carries the
// value (member count 1); the others carry none (member count 0).
#include <memory>

#include "model/document.h"
#include "refs/reference.h"
#include "store/loader.h"
#include "store/record_kinds.h"

namespace tovimat {

namespace {

// The loader learns the reference record, and the check that ends the
// reading of a file's shared values, as the program starts.
[[maybe_unused]] const bool registered = [] {
    records::addKind(typeId::reference, []() -> nucleo* { return new reference(); });
    records::addFinisher(&reference::finishLoading);
    return true;
}();

}  // namespace

bool reference::save(algStor& s) const {
    if (!value_ || !nucleo::save(s)) return false;
    const auto [entry, first] = s.sharedWritten.try_emplace(value_, std::int32_t(s.sharedWritten.size()));
    writeInt(s, first ? 1 : 0);
    // A value taken away is kept as the empty slot every place shows.
    const field empty("");
    if (first && !(core() ? core() : &empty)->save(s)) return false;
    writeInt(s, entry->second);
    return true;
}

bool reference::load(algStor& s) {
    const std::int32_t count = loader::readInt(s);
    if (count != 0 && count != 1) throw loader::aborted{};
    std::unique_ptr<nucleo> v(count == 1 ? loader::readRecord(s) : nullptr);
    const std::int32_t number = loader::readInt(s);
    if (v && v->isRef()) throw loader::aborted{};

    void*& slot = s.sharedRead[number];
    if (!slot) slot = bulk::forLoading();
    auto* b = static_cast<bulk*>(slot);
    if (v && b->core) throw loader::aborted{};  // one value, written twice
    attachTo(b);
    if (!v) return true;
    b->core = v.release();
    b->recall(this);
    return true;
}

bool reference::finishLoading(algStor& s, bool check) {
    std::vector<bulk*> bulks;
    bulks.reserve(s.sharedRead.size());
    for (auto& [number, b] : s.sharedRead) bulks.push_back(static_cast<bulk*>(b));
    s.sharedRead.clear();
    bool sound = check;
    for (bulk* b : bulks) sound = sound && b->core;
    sound = sound && !anyLoop(bulks);
    // The tree read so far is about to be deleted: its references let go of
    // their values first, so that none is handed back to a place on the way.
    if (!sound)
        for (bulk* b : bulks) b->sever();
    for (bulk* b : bulks) b->unpin();
    return sound;
}

}  // namespace tovimat
