// A document of the desktop program: the core's CVelmorDoc with the file it
// came from and the name its windows show. The frames that show it hold a
// pointer to it; the main frame deletes it when its last frame has closed.
#pragma once

#include <QFile>
#include <QObject>
#include <QString>

#include "core/velmor_doc.h"

namespace velmor::gui {

class CGuiDocument : public QObject {
    Q_OBJECT

public:
    // number names an untitled document: "Untitled 1", "Untitled 2"... A
    // document opened from its file needs none (0).
    explicit CGuiDocument(int number, QObject* parent = nullptr);
    ~CGuiDocument() override;

    CVelmorDoc& core() { return core_; }
    const CVelmorDoc& core() const { return core_; }

    // The file of the document; empty until it has been opened or saved.
    QString path() const { return path_; }
    // The core document learns it too: its rule file may lie beside it.
    void setPath(const QString& path) {
        path_ = path;
        core_.setPathName(QFile::encodeName(path).toStdString());
    }
    // The file name without folders, or the untitled name; an untitled
    // document recovered from a damaged file says which one.
    QString title() const;
    // The name a Save As dialog starts with.
    QString suggestedFileName() const;
    // Marks an untitled document as what could be read of the damaged file
    // name (a file name without folders).
    void setRecoveredFrom(const QString& name) { recoveredFrom_ = name; }
    // Marks an untitled document as made from the file at path: the one a
    // picture (an exported SVG or PNG) carries, or the formulas of an
    // imported text file. Save must not write over that file.
    void setImportedFrom(const QString& path) { picture_ = path; }
    bool isModified() const { return core_.isModified(); }
    // The number of an opened document that turns out to be untitled.
    void setNumber(int number) { number_ = number; }

    // Saves into path: the file is replaced only once the whole document has
    // been written. On success the document is unmodified and belongs to
    // path; on failure error says why and the old file is as it was.
    bool save(const QString& path, QString* error);

private:
    QString untitledName() const;

    CVelmorDoc core_;
    QString path_;
    QString recoveredFrom_;
    QString picture_;
    int number_;
};

// Writes the document's file through a temporary file that replaces the old
// one only when everything was written; error is the system's reason.
bool writeDocumentFile(CVelmorDoc& doc, const QString& path, QString* error);

// Test hook: while set, writing a document file fails once `bytes` more bytes
// have been written (-1 never fails), as a full disk would.
void setDocumentWriteBudget(qint64 bytes);

}  // namespace velmor::gui
