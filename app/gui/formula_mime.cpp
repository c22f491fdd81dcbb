#include "formula_mime.h"

#include <QMimeData>
#include <QStringList>

#include "core/clipboard.h"

namespace velmor::gui {

namespace {

const QStringList& pictureTypes() {
    static const QStringList kTypes = {QStringLiteral("image/svg+xml"), QStringLiteral("image/png")};
    return kTypes;
}

std::vector<std::uint8_t> bytesOf(const QByteArray& a) {
    return std::vector<std::uint8_t>(a.begin(), a.end());
}

}  // namespace

QString velmorMimeType() { return QString::fromLatin1(kVelmorMimeType); }

bool offersFormulas(const QMimeData* data) {
    if (!data) return false;
    if (data->hasFormat(velmorMimeType())) return true;
    for (const QString& type : pictureTypes())
        if (data->hasFormat(type)) return true;
    return false;
}

std::vector<std::uint8_t> formulasIn(const QMimeData* data) {
    if (!data) return {};
    if (data->hasFormat(velmorMimeType())) return bytesOf(data->data(velmorMimeType()));
    for (const QString& type : pictureTypes()) {
        if (!data->hasFormat(type)) continue;
        std::string reason;
        std::vector<std::uint8_t> records = formulasOfDocument(bytesOf(data->data(type)), reason);
        if (!records.empty()) return records;
    }
    return {};
}

}  // namespace velmor::gui
