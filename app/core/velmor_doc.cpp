#include "core/velmor_doc.h"

#include "store/stream.h"

using namespace tovimat;

CVelmorDoc::CVelmorDoc() = default;

CVelmorDoc::~CVelmorDoc() { deleteContents(); }

bool CVelmorDoc::onNewDocument() {
    deleteContents();
    root_ = std::make_unique<CVelmorProtocol>(this, new container("", "", ""));
    modified_ = false;
    return true;
}

bool CVelmorDoc::onOpenDocument(const std::string& path) {
    algStream file(path.c_str(), std::ios::in);
    auto opened = std::make_unique<CVelmorProtocol>(this, new container("", "", ""));
    if (!opened->load(file)) return false;
    deleteContents();
    root_ = std::move(opened);
    modified_ = false;
    return true;
}

bool CVelmorDoc::onSaveDocument(const std::string& path) {
    if (!root_) return false;
    algStream file(path.c_str(), std::ios::out | std::ios::trunc);
    if (!file.is_open()) return false;
    if (!root_->save(file)) return false;
    file.flush();
    return bool(file);
}

void CVelmorDoc::deleteContents() {
    if (!root_) return;
    CVelmorProtocol::sharedSelection().clear();
    delete root_->releaseBase();
    root_.reset();
}
