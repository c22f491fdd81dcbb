#include "qt_dc.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QHash>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/codepages.h"

using namespace tovimat;

namespace velmor::gui {

namespace {

// Families that hold the operator glyphs of the Symbol encoding (dot
// operator, infinity, set relations, arrows), best first. DejaVu Sans comes
// with the fonts-dejavu-core package the build scripts install.
const char* const kSymbolCandidates[] = {"DejaVu Sans", "FreeSerif", "STIX Two Math", "Noto Sans Math",
                                         "Liberation Sans"};

QString faceOf(const LOGFONTA& lf) {
    return QString::fromLatin1(lf.lfFaceName, int(strnlen(lf.lfFaceName, LF_FACESIZE)));
}

// Everything that decides a Qt font; the rest of the record (escapement,
// quality...) changes nothing here.
QByteArray cacheKey(const LOGFONTA& lf) {
    QByteArray key = faceOf(lf).toLower().toUtf8();
    key += '\0';
    key += QByteArray::number(lf.lfHeight) + ',' + QByteArray::number(lf.lfWeight) + ',' +
           QByteArray::number(lf.lfItalic) + ',' + QByteArray::number(lf.lfUnderline) + ',' +
           QByteArray::number(lf.lfStrikeOut);
    return key;
}

QFont withPixelSize(QFont f, int px) {
    f.setPixelSize(std::max(1, px));
    return f;
}

QFont buildFont(const LOGFONTA& lf) {
    const QString face = faceOf(lf);
    QFont f;
    if (isSymbolFace(lf.lfFaceName))
        f.setFamily(symbolFamily());
    else if (face.isEmpty() || face.compare(QLatin1String("System"), Qt::CaseInsensitive) == 0)
        f.setFamily(systemFamily());
    else
        f.setFamily(face);
    f.setStyleHint(QFont::SansSerif);
    f.setWeight(QFont::Weight(std::clamp<int>(lf.lfWeight == 0 ? FW_NORMAL : lf.lfWeight, 100, 900)));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    f.setKerning(false);

    // A negative height is the character height: the em size in pixels.
    if (lf.lfHeight < 0) return withPixelSize(f, -lf.lfHeight);
    // Zero asks for the default size, which the stock font has: 16 high.
    const int cell = lf.lfHeight == 0 ? 16 : lf.lfHeight;
    // A positive height is the cell height. Start from the proportion at the
    // cell height itself, then settle on the largest size that fits.
    const int atCell = QFontMetrics(withPixelSize(f, cell)).height();
    int px = atCell > 0 ? std::max(1, int(double(cell) * cell / atCell + 0.5)) : cell;
    while (px > 1 && QFontMetrics(withPixelSize(f, px)).height() > cell) --px;
    while (QFontMetrics(withPixelSize(f, px + 1)).height() <= cell) ++px;
    return withPixelSize(f, px);
}

}  // namespace

QString symbolFamily() {
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char* name : kSymbolCandidates)
            if (installed.contains(QLatin1String(name), Qt::CaseInsensitive))
                return QString::fromLatin1(name);
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

QString systemFamily() {
    static const QString family = [] {
        QString f = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
        return f.isEmpty() ? QStringLiteral("Sans Serif") : f;
    }();
    return family;
}

namespace {

// Building a font measures it several times; the engine makes a new font
// object for every change, so the same descriptions come back often. The
// fonts go before the application does.
QHash<QByteArray, QFont>* fontCache = nullptr;

void dropFontCache() {
    delete fontCache;
    fontCache = nullptr;
}

}  // namespace

QFont fontFor(const LOGFONTA& lf) {
    if (!fontCache) {
        fontCache = new QHash<QByteArray, QFont>;
        qAddPostRoutine(dropFontCache);
    }
    const QByteArray key = cacheKey(lf);
    auto it = fontCache->constFind(key);
    if (it != fontCache->constEnd()) return *it;
    QFont f = buildFont(lf);
    fontCache->insert(key, f);
    return f;
}

QString decodeText(const char* text, int n, bool symbolFace) {
    QString out;
    if (!text || n <= 0) return out;
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const char32_t cp = symbolFace ? symbolToUnicode(byte) : cp1252ToUnicode(byte);
        out += QString::fromUcs4(&cp, 1);
    }
    return out;
}

namespace {
constexpr double kScreenDpi = 96.0;
}

QFont dialogFont(const LOGFONTA& lf) {
    QFont f = fontFor(lf);
    f.setPointSizeF(f.pixelSize() * 72.0 / kScreenDpi);
    return f;
}

LOGFONTA chosenLogfont(const QFont& chosen, const LOGFONTA& from) {
    LOGFONTA out = from;
    std::memset(out.lfFaceName, 0, sizeof out.lfFaceName);
    // The face is stored in the code page of the files; a name it cannot
    // hold keeps its representable letters.
    int n = 0;
    for (char32_t cp : chosen.family().toUcs4()) {
        const int byte = unicodeToCp1252(cp);
        if (byte <= 0) continue;
        if (n == LF_FACESIZE - 1) break;
        out.lfFaceName[n++] = char(byte);
    }
    const double points =
        chosen.pointSizeF() > 0 ? chosen.pointSizeF() : chosen.pixelSize() * 72.0 / kScreenDpi;
    out.lfHeight = -LONG(std::lround(points * kScreenDpi / 72.0));
    out.lfWidth = 0;
    out.lfWeight = chosen.weight();
    out.lfItalic = chosen.italic() ? 1 : 0;
    out.lfUnderline = chosen.underline() ? 1 : 0;
    out.lfStrikeOut = chosen.strikeOut() ? 1 : 0;
    return out;
}

QColor toQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// --- CQtDC -----------------------------------------------------------------------------------

CQtDC::CQtDC() : metrics_(QFont()) {}

CQtDC::CQtDC(QPainter* painter) : painter_(painter), metrics_(QFont()) {}

const LOGFONTA& CQtDC::selectedLogfont() const {
    HFONT f = currentFont();
    return (f ? f : stockDefaultFont())->logfont();
}

void CQtDC::resolve(const LOGFONTA& lf) {
    font_ = fontFor(lf);
    metrics_ = QFontMetrics(font_);
    symbol_ = isSymbolFace(lf.lfFaceName);
    resolvedFor_ = lf;
    resolved_ = true;
}

// Font objects are freed and their addresses reused all the time, so the
// resolved font is keyed on the description, not on the handle.
void CQtDC::ensureResolved() {
    const LOGFONTA& lf = selectedLogfont();
    if (!resolved_ || std::memcmp(&lf, &resolvedFor_, sizeof lf) != 0) resolve(lf);
}

bool CQtDC::acceptFont(HFONT font) {
    if (!font) return false;
    const LOGFONTA& lf = font->logfont();
    if (!resolved_ || std::memcmp(&lf, &resolvedFor_, sizeof lf) != 0) resolve(lf);
    return true;
}

const QFont& CQtDC::currentQFont() {
    ensureResolved();
    return font_;
}

SIZE CQtDC::textExtent(const char* text, int n) {
    ensureResolved();
    const QString s = decodeText(text, n, symbol_);
    return SIZE{LONG(s.isEmpty() ? 0 : metrics_.horizontalAdvance(s)), LONG(metrics_.height())};
}

void CQtDC::drawText(const char* text, int n, const RECT& box) {
    if (!painter_ || n <= 0) return;
    ensureResolved();
    const QString s = decodeText(text, n, symbol_);
    if (bkMode() == OPAQUE)
        painter_->fillRect(QRect(box.left, box.top, metrics_.horizontalAdvance(s), metrics_.height()),
                           Qt::white);
    painter_->setFont(font_);
    painter_->setPen(toQColor(textColor()));
    painter_->drawText(QPointF(box.left, box.top + metrics_.ascent()), s);
}

// A line covers the pixels from its start up to, but not including, its end
// point. Straight lines run along pixel centres so that they stay one pixel
// wide on the screen and exact when scaled.
void CQtDC::lineTo(int x, int y) {
    const POINT from = penPosition();
    setPenPosition(POINT{x, y});
    if (!painter_ || (from.x == x && from.y == y)) return;
    HPEN pen = currentPen();
    QPen qpen(toQColor(pen ? pen->color() : RGB(0, 0, 0)));
    qpen.setWidthF(std::max(1, pen ? pen->width() : 1));
    qpen.setCapStyle(Qt::FlatCap);
    painter_->setPen(qpen);
    QPointF a, b;
    if (from.y == y) {
        const double shift = x > from.x ? 0.0 : 1.0;
        a = QPointF(from.x + shift, y + 0.5);
        b = QPointF(x + shift, y + 0.5);
    } else if (from.x == x) {
        const double shift = y > from.y ? 0.0 : 1.0;
        a = QPointF(x + 0.5, from.y + shift);
        b = QPointF(x + 0.5, y + shift);
    } else {
        a = QPointF(from.x + 0.5, from.y + 0.5);
        b = QPointF(x + 0.5, y + 0.5);
    }
    painter_->drawLine(a, b);
}

// One unit just inside the rectangle.
void CQtDC::frameRect(const RECT& r, COLORREF color) {
    if (!painter_ || r.right <= r.left || r.bottom <= r.top) return;
    const QColor c = toQColor(color);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    painter_->fillRect(QRect(r.left, r.top, w, 1), c);
    painter_->fillRect(QRect(r.left, r.bottom - 1, w, 1), c);
    painter_->fillRect(QRect(r.left, r.top, 1, h), c);
    painter_->fillRect(QRect(r.right - 1, r.top, 1, h), c);
}

}  // namespace velmor::gui
