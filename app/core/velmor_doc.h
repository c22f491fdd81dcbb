// A Velmor document: its root container and the document root that connects
// the tree to the document's views, from new or open until close, and the
// list of views that show it. The views are known here only as CDocView.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/doc_view.h"
#include "core/history.h"
#include "core/line_table.h"
#include "core/velmor_protocol.h"

class CVelmorDoc : public CDocSite {
public:
    CVelmorDoc();
    CVelmorDoc(const CVelmorDoc&) = delete;
    CVelmorDoc& operator=(const CVelmorDoc&) = delete;
    ~CVelmorDoc() override;

    // A new, empty document.
    bool onNewDocument();
    // Opens a document file, read whole first, so pipes open too. A file
    // that cannot be read or a refused header fails and keeps the current
    // document; unreadable records leave an empty document after the
    // loader's messages, and openedDamaged() tells so.
    bool onOpenDocument(const std::string& path);
    // The same for a file already read; name stands for it in messages.
    bool onOpenBytes(std::vector<std::uint8_t> bytes, const std::string& name);
    // Replaces the file at path with the document, or leaves it as it was.
    bool onSaveDocument(const std::string& path);
    // Why the last open or save failed, or why the opened document is
    // damaged, naming the file; empty after a clean open or save.
    const std::string& lastError() const { return error_; }
    // The last open read a file whose records broke off: the document holds
    // only the empty document that stands in for them.
    bool openedDamaged() const { return damaged_; }
    // The last open read the document out of a picture (an exported SVG or
    // PNG): saving must not go back into that file.
    bool openedPicture() const { return fromPicture_; }
    // Tells the views the document is closing, then deletes the tree and its
    // root. The views stay registered until they are destroyed.
    void onCloseDocument();
    // Empties the shared selection, then detaches and deletes the tree and
    // its root.
    void deleteContents();

    // The file the document was opened from or saved to; empty while it has
    // none.
    const std::string& pathName() const { return path_; }
    void setPathName(const std::string& path) { path_ = path; }

    CVelmorProtocol* root() const { return root_.get(); }
    tovimat::container* base() const { return root_ ? root_->getBase() : nullptr; }
    bool isModified() const { return modified_; }
    void setModifiedFlag(bool m) override { modified_ = m; }

    // The undo history and the lines it works on; a new or opened document
    // starts afresh.
    velmor::History& history() { return history_; }
    const velmor::History& history() const { return history_; }
    velmor::LineTable& lines() override { return lines_; }
    const velmor::LineTable& lines() const { return lines_; }
    // The stored records of the tree as they stand, pending edit included,
    // in the form a save writes them; empty without a root.
    std::vector<std::uint8_t> currentBytes() const;

    // The root container's right and bottom edges; 150 by 50 without a root.
    tovimat::SIZE getDocSize() const;

    // --- views --------------------------------------------------------------------
    void addView(CDocView* view);
    void removeView(CDocView* view);
    const std::vector<CDocView*>& views() const override { return views_; }
    // Sends a hint (velmor::hint) about node to every view but sender.
    void updateAllViews(int hint, tovimat::nucleo* node, CDocView* sender = nullptr) override;

private:
    // Makes a document root for this document around an empty root container.
    std::unique_ptr<CVelmorProtocol> makeRoot();
    void resetHistory();
    // What saving changed (the pending edit validated) joins the typing
    // before it in the history.
    void recordValidation();

    std::unique_ptr<CVelmorProtocol> root_;
    std::vector<CDocView*> views_;
    velmor::History history_;
    velmor::LineTable lines_;
    bool modified_ = false;
    bool damaged_ = false;
    bool fromPicture_ = false;
    std::string error_;
    std::string path_;
};
