#include "gui_document.h"

#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include "store/stream.h"

using namespace tovimat;

namespace velmor::gui {

namespace {

qint64 writeBudget = -1;

// Writes in blocks, the way a long document reaches the disk, so that the
// budget can stop the writing midway.
bool writeAll(QSaveFile& file, const std::vector<std::uint8_t>& bytes) {
    constexpr qint64 kBlock = 4096;
    qint64 done = 0;
    const auto total = qint64(bytes.size());
    while (done < total) {
        qint64 n = std::min(kBlock, total - done);
        if (writeBudget >= 0) {
            if (writeBudget == 0) return false;
            n = std::min(n, writeBudget);
            writeBudget -= n;
        }
        if (file.write(reinterpret_cast<const char*>(bytes.data()) + done, n) != n) return false;
        done += n;
    }
    return true;
}

}  // namespace

void setDocumentWriteBudget(qint64 bytes) { writeBudget = bytes < 0 ? -1 : bytes; }

bool writeDocumentFile(CVelmorDoc& doc, const QString& path, QString* error) {
    // Saving marks the tree unmodified; a save that does not reach the disk
    // leaves the mark as it was.
    const bool wasModified = doc.isModified();
    auto fail = [&](const QString& why) {
        doc.setModifiedFlag(wasModified);
        if (error) *error = why;
        return false;
    };
    // The whole document is put together in memory first: a failure of the
    // engine never reaches the disk.
    memStor bytes;
    if (!doc.root() || !doc.root()->save(bytes))
        return fail(QStringLiteral("the document could not be written"));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
    if (!writeAll(file, bytes.bytes())) {
        const QString why =
            file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("the disk is full");
        file.cancelWriting();
        file.commit();  // removes the temporary file, leaves the old one
        return fail(why);
    }
    if (!file.commit()) return fail(file.errorString());
    return true;
}

CGuiDocument::CGuiDocument(int number, QObject* parent) : QObject(parent), number_(number) {}

CGuiDocument::~CGuiDocument() { core_.onCloseDocument(); }

QString CGuiDocument::title() const {
    if (path_.isEmpty()) return QStringLiteral("Velmor%1").arg(number_);
    return QFileInfo(path_).fileName();
}

bool CGuiDocument::save(const QString& path, QString* error) {
    if (!writeDocumentFile(core_, path, error)) return false;
    path_ = path;
    core_.setModifiedFlag(false);
    return true;
}

}  // namespace velmor::gui
