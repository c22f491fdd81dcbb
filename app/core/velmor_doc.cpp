#include "core/velmor_doc.h"

#include <algorithm>

#include "platform/messages.h"
#include "store/file_io.h"
#include "store/picture_document.h"
#include "store/stream.h"

using namespace tovimat;

CVelmorDoc::CVelmorDoc() = default;

CVelmorDoc::~CVelmorDoc() {
    deleteContents();
    // Views normally go first; the ones still here must not reach back.
    for (CDocView* v : std::vector<CDocView*>(views_)) v->detachDocument();
}

std::unique_ptr<CVelmorProtocol> CVelmorDoc::makeRoot() {
    return std::make_unique<CVelmorProtocol>(this, new container("", "", ""));
}

bool CVelmorDoc::onNewDocument() {
    deleteContents();
    root_ = makeRoot();
    modified_ = false;
    path_.clear();
    resetHistory();
    return true;
}

bool CVelmorDoc::onOpenDocument(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!readWholeFile(path, bytes, reason)) {
        error_ = "cannot read " + path + ": " + reason;
        return false;
    }
    if (!onOpenBytes(std::move(bytes), path)) return false;
    path_ = path;
    return true;
}

bool CVelmorDoc::onOpenBytes(std::vector<std::uint8_t> bytes, const std::string& name) {
    // A picture that Velmor exported or copied carries its document.
    const bool picture = pictureKindOf(bytes) != pictureKind::none;
    if (picture) {
        std::vector<std::uint8_t> carried;
        std::string reason;
        if (!documentInPicture(bytes, carried, reason)) {
            // Said like a refused header: the loader never sees these bytes.
            error_ = name + ": " + reason;
            MessageBeep(MB_ICONERROR);
            MessageBoxA(nullptr, error_.c_str(), "Error", MB_ICONERROR);
            return false;
        }
        bytes = std::move(carried);
    }
    memStor file(std::move(bytes));
    std::unique_ptr<CVelmorProtocol> opened = makeRoot();
    // A refused header: the new root goes with its empty tree and the
    // current document stays as it was.
    if (!opened->load(file)) {
        error_ = name + " is not a Velmor document";
        return false;
    }
    damaged_ = opened->loadAborted();
    fromPicture_ = picture;
    error_ = damaged_ ? name + " is damaged: the loader aborted, nothing of it could be read" : std::string();
    deleteContents();
    root_ = std::move(opened);
    modified_ = false;
    path_.clear();
    resetHistory();
    // The tree was measured while the previous one was still in place.
    updateAllViews(velmor::hint::ScrollRange, nullptr);
    return true;
}

bool CVelmorDoc::onSaveDocument(const std::string& path) {
    if (!root_) {
        error_ = "cannot write " + path + ": there is no document";
        return false;
    }
    const bool wasModified = modified_;
    // Saving validates the pending edit: that belongs to the typing before.
    if (lines_.started()) lines_.beginStep();
    const bool saved = saveDocumentFile(*root_, path, error_);
    recordValidation();
    if (!saved) {
        modified_ = wasModified;
        return false;
    }
    path_ = path;
    error_.clear();
    history_.markSaved();
    return true;
}

void CVelmorDoc::resetHistory() {
    history_.clear();
    lines_.clear();
}

void CVelmorDoc::recordValidation() {
    if (!lines_.started()) return;
    velmor::LinesChange change = lines_.endStep({});
    if (change.empty()) return;
    velmor::EditingState after = history_.editing();
    after.hasCaret = false;
    after.caret = velmor::NodePlace{};
    after.caretIndex = 0;
    history_.record("Typing", std::move(change), std::move(after), true);
}

std::vector<std::uint8_t> CVelmorDoc::currentBytes() const {
    container* b = base();
    if (!b) return {};
    memStor s;
    setAlgFile(s);
    if (!b->save(s)) return {};
    return s.bytes();
}


void CVelmorDoc::onCloseDocument() {
    updateAllViews(velmor::hint::Closing, nullptr);
    deleteContents();
}

void CVelmorDoc::deleteContents() {
    if (!root_) return;
    resetHistory();
    // The process-wide pointers must not outlive the nodes they name; those
    // into other documents stay (their selection too).
    selection& selected = CVelmorProtocol::sharedSelection();
    for (bool again = true; again;) {
        again = false;
        for (selector& s : selected)
            if (s.getTarget()->getRoot() == root_.get()) {
                selected.remove(s.getTarget());
                again = true;
                break;
            }
    }
    if (protocol::mouseOn && protocol::mouseOn->getRoot() == root_.get()) protocol::mouseOn = nullptr;
    if (protocol::dropTarget && protocol::dropTarget->getRoot() == root_.get())
        protocol::dropTarget = nullptr;
    // Detaching the tree takes the caret from its node through the root,
    // which still works at this point.
    delete root_->releaseBase();
    root_.reset();
    for (CDocView* v : views_) v->forgetEditingPosition();
}

SIZE CVelmorDoc::getDocSize() const {
    if (container* b = base()) return SIZE{b->right(), b->bottom()};
    return SIZE{150, 50};
}

void CVelmorDoc::addView(CDocView* view) {
    if (view && std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void CVelmorDoc::removeView(CDocView* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
    if (root_) root_->forgetView(view);
}

void CVelmorDoc::updateAllViews(int hint, nucleo* node, CDocView* sender) {
    // Layout sends a hint for every box it changes: a single view needs no copy.
    if (views_.size() == 1) {
        if (views_.front() != sender) views_.front()->onUpdate(hint, node);
        return;
    }
    // A view may come or go while another handles the hint: walk a copy and
    // skip the views that left.
    for (CDocView* v : std::vector<CDocView*>(views_)) {
        if (v == sender || std::find(views_.begin(), views_.end(), v) == views_.end()) continue;
        v->onUpdate(hint, node);
    }
}
