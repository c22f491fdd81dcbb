// Saving and loading a whole document: the file header, the record of the
// base container, then the origins of its steps when it has any.
#include <memory>

#include "model/document.h"
#include "platform/messages.h"
#include "store/loader.h"
#include "store/origin_records.h"

namespace tovimat {

bool protocol::save(algStor& s) {
    // A pending edit is validated before anything is written.
    if (nucleo* f = focused()) f->focusOut();
    if (!base) return false;
    setAlgFile(s);
    if (!base->save(s)) return false;
    writeOrigins(s, {base});
    setModified(false);
    return true;
}

void protocol::forgetNodesOf(container* tree) {
    if (selection* list = selectionList()) {
        for (bool again = true; again;) {
            again = false;
            for (selector& sel : *list) {
                if (sel.getTarget()->getRoot() == this) {
                    list->remove(sel.getTarget());
                    again = true;
                    break;
                }
            }
        }
    }
    tree->setRoot(nullptr);
}

bool protocol::load(algStor& s) {
    if (!chkAlgFile(s)) return false;
    if (base) {
        forgetNodesOf(base);
        delete base;
        base = nullptr;
    }
    aborted = false;
    try {
        std::unique_ptr<nucleo> read(loader::readRecord(s));
        if (!read->isGroup()) throw loader::aborted{};
        base = cast<container>(read.release());
        if (readOrigins(s, {base}) == originsRead::damaged)
            message("The origins of the steps are damaged; the document is read without them.", "Warning",
                    MB_ICONWARNING);
    } catch (const loader::aborted&) {
        aborted = true;
        message("Problem loading file\r\nLoader aborted!", "Error", 16);
        base = new container("", "", "");
    }
    base->setRoot(this);
    remeasureOn(base);
    setModified(false);
    return true;
}

}  // namespace tovimat
