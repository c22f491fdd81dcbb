// The device context of the desktop program: the engine's drawing calls on a
// QPainter, its text measurements through QFontMetrics. The same class draws
// on the screen, on a printer and into exported files, so a formula is laid
// out and drawn alike everywhere.
//
// Fonts are resolved from their LOGFONT: "System" is the desktop's sans face,
// "SYMBOL" a face that has the mathematical glyphs, any other face whatever
// fontconfig finds for it. A positive height is the cell height (ascent plus
// descent), a negative one the character height, as the engine expects.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QString>

#include "platform/gdi.h"

class QPainter;

namespace velmor::gui {

// The Qt font for a logical font, with the pixel size chosen so that its
// cell height comes as close to lfHeight as it can without passing it.
QFont fontFor(const tovimat::LOGFONTA& lf);

// The families that the faces "SYMBOL" and "System" map to.
QString symbolFamily();
QString systemFamily();

// The Unicode text of n bytes in the encoding of the face: Adobe Symbol for
// "SYMBOL", Windows-1252 for every other face.
QString decodeText(const char* text, int n, bool symbolFace);

// The font dialog speaks points, the engine pixels of a 96 dpi screen: the
// dialog starts from the node's logical font, and its answer becomes a
// logical font with a negative (character) height. Fields the dialog does
// not show are kept from `from`.
QFont dialogFont(const tovimat::LOGFONTA& lf);
tovimat::LOGFONTA chosenLogfont(const QFont& chosen, const tovimat::LOGFONTA& from);

// 0x00BBGGRR as a Qt colour.
QColor toQColor(tovimat::COLORREF c);

class CQtDC : public tovimat::DeviceContext {
public:
    // Measures only: drawing calls do nothing.
    CQtDC();
    // Draws with painter, whose transformation already maps document
    // coordinates to the device.
    explicit CQtDC(QPainter* painter);

    tovimat::SIZE textExtent(const char* text, int n) override;
    void drawText(const char* text, int n, const tovimat::RECT& box) override;
    void lineTo(int x, int y) override;
    void frameRect(const tovimat::RECT& r, tovimat::COLORREF color) override;

    QPainter* painter() const { return painter_; }
    // The Qt font of the selected logical font.
    const QFont& currentQFont();

protected:
    bool acceptFont(tovimat::HFONT font) override;

private:
    void resolve(const tovimat::LOGFONTA& lf);
    const tovimat::LOGFONTA& selectedLogfont() const;
    void ensureResolved();

    QPainter* painter_ = nullptr;
    tovimat::LOGFONTA resolvedFor_{};
    bool resolved_ = false;
    QFont font_;
    QFontMetrics metrics_;
    bool symbol_ = false;
};

}  // namespace velmor::gui
