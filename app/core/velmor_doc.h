// A Velmor document: its root container and the document root that connects
// the tree to the document's views, from new or open until close.
#pragma once

#include <memory>
#include <string>

#include "core/velmor_protocol.h"

class CVelmorDoc {
public:
    CVelmorDoc();
    CVelmorDoc(const CVelmorDoc&) = delete;
    CVelmorDoc& operator=(const CVelmorDoc&) = delete;
    ~CVelmorDoc();

    // A new, empty document.
    bool onNewDocument();
    // Opens a document file. A refused header fails and keeps the current
    // document; unreadable records leave an empty document after the
    // loader's messages.
    bool onOpenDocument(const std::string& path);
    bool onSaveDocument(const std::string& path);
    // Empties the shared selection, then detaches and deletes the tree and
    // its root.
    void deleteContents();

    CVelmorProtocol* root() const { return root_.get(); }
    tovimat::container* base() const { return root_ ? root_->getBase() : nullptr; }
    bool isModified() const { return modified_; }
    void setModifiedFlag(bool m) { modified_ = m; }

private:
    std::unique_ptr<CVelmorProtocol> root_;
    bool modified_ = false;
};
