#include "store/record_kinds.h"

#include <unordered_map>
#include <vector>

namespace tovimat::records {

namespace {

// Built on first use: registrations run while the library is loaded, in no
// particular order.
struct Table {
    std::unordered_map<int, MakeNode> makers;
    std::vector<FinishLoad> finishers;
};

Table& table() {
    static Table instance;
    return instance;
}

}  // namespace

void addKind(int typeId, MakeNode make) { table().makers[typeId] = make; }

void addFinisher(FinishLoad finish) { table().finishers.push_back(finish); }

MakeNode maker(int typeId) {
    const auto& makers = table().makers;
    const auto found = makers.find(typeId);
    return found == makers.end() ? nullptr : found->second;
}

bool finishLoad(algStor& s, bool complete) {
    bool sound = true;
    for (FinishLoad finish : table().finishers) sound = finish(s, complete) && sound;
    return sound;
}

}  // namespace tovimat::records
