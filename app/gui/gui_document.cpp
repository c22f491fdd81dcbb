#include "gui_document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "store/file_io.h"
#include "store/stream.h"

using namespace tovimat;

namespace velmor::gui {

void setDocumentWriteBudget(qint64 bytes) { tovimat::testing::setWriteBudget(bytes); }

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
    std::string reason;
    if (!replaceFile(QFile::encodeName(path).toStdString(), bytes.bytes().data(), bytes.bytes().size(),
                     reason))
        return fail(QString::fromLocal8Bit(reason));
    return true;
}

CGuiDocument::CGuiDocument(int number, QObject* parent) : QObject(parent), number_(number) {}

CGuiDocument::~CGuiDocument() { core_.onCloseDocument(); }

QString CGuiDocument::untitledName() const {
    return number_ > 0 ? QStringLiteral("Untitled %1").arg(number_) : QStringLiteral("Untitled");
}

QString CGuiDocument::title() const {
    if (!path_.isEmpty()) return QFileInfo(path_).fileName();
    const QString untitled = untitledName();
    if (!picture_.isEmpty())
        return QStringLiteral("%1 (from %2)").arg(untitled, QFileInfo(picture_).fileName());
    if (recoveredFrom_.isEmpty()) return untitled;
    return QStringLiteral("%1 (recovered from %2)").arg(untitled, recoveredFrom_);
}

QString CGuiDocument::suggestedFileName() const {
    if (!path_.isEmpty()) return path_;
    if (!picture_.isEmpty()) {
        const QFileInfo picture(picture_);
        return picture.dir().filePath(picture.completeBaseName() + QStringLiteral(".vlm"));
    }
    return untitledName() + QStringLiteral(".vlm");
}

bool CGuiDocument::save(const QString& path, QString* error) {
    if (!writeDocumentFile(core_, path, error)) return false;
    path_ = path;
    recoveredFrom_.clear();
    picture_.clear();
    core_.setModifiedFlag(false);
    return true;
}

}  // namespace velmor::gui
