// Drawing documents away from the screen: into SVG, PNG and PDF files, onto
// the clipboard, and the offscreen view that measures a document opened
// without a window (velmor --export). Everything is measured and drawn with
// the same Qt device context as the screen.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/headless_window.h"
#include "core/velmor_doc.h"
#include "core/velmor_view.h"
#include "qt_dc.h"

class QIODevice;
class QMimeData;
class QPainter;

namespace velmor::gui {

// A window without a screen for a view that only measures: Qt metrics and a
// client area so large that the caret never scrolls it.
class COffscreenWindow : public CHeadlessWindow {
public:
    COffscreenWindow() : CHeadlessWindow(1 << 20, 1 << 20, std::make_unique<CQtDC>()) {}
};

// A document opened from a file into an offscreen view.
class COffscreenDocument {
public:
    COffscreenDocument();
    ~COffscreenDocument();
    COffscreenDocument(const COffscreenDocument&) = delete;
    COffscreenDocument& operator=(const COffscreenDocument&) = delete;

    // False when the file is not a Velmor document.
    bool open(const QString& path);
    CVelmorDoc& doc() { return doc_; }
    CVelmorView& view() { return *view_; }

private:
    CVelmorDoc doc_;
    COffscreenWindow window_;
    std::unique_ptr<CVelmorView> view_;
};

// Something to draw, and the size of its page in pixels.
struct Picture {
    QSize size;
    std::function<void(QPainter&)> paint;
};

// A whole document on its page: from the page's origin to the right and
// bottom edges of its contents, drawn as it prints (no caret, no frames).
Picture documentPicture(CVelmorDoc& doc);

// What Edit > Copy takes: the selected nodes of the document, or every line
// of it when none is selected, cut to the box around them.
Picture copiedPicture(CVelmorDoc& doc);
// One node of the document (measured in it), cut to its box.
Picture nodePicture(CVelmorDoc& doc, tovimat::nucleo* node);

// The same nodes as linear text, one line each; as LaTeX, one formula a
// line; and as one MathML element (Edit > Copy as LaTeX, Copy as MathML).
QString copiedText(CVelmorDoc& doc);
QString copiedLatex(CVelmorDoc& doc);
QString copiedMathml(CVelmorDoc& doc);

// Paints the document's tree as it prints: a container that has the caret
// draws no frame.
void paintTree(QPainter& p, CVelmorDoc& doc, const QRect& area);

// scale > 1 draws more pixels per screen pixel (2 for 192 dpi); the image
// keeps the document's size in inches.
QImage renderImage(const Picture& picture, double scale = 1.0);
QByteArray renderSvg(const Picture& picture, const QString& title);
bool writePdf(const Picture& picture, QIODevice* device, const QString& title);

// The document's bytes as its file holds them, taken without the side
// effects of a save (the edit in progress stays, the modified flag too).
std::vector<std::uint8_t> documentBytes(CVelmorDoc& doc);
// A picture that carries the document: an SVG with it in <metadata>, a PNG
// with it in a text chunk. Opening either gives the document back.
QByteArray svgCarrying(const Picture& picture, const QString& title,
                       const std::vector<std::uint8_t>& document);
QByteArray pngCarrying(const QImage& image, const std::vector<std::uint8_t>& document);

// The scales that velmor --export accepts for a PNG.
constexpr double kMinExportScale = 0.25;
constexpr double kMaxExportScale = 16.0;

// velmor --export: opens in and writes out as SVG, PNG, PDF, LaTeX (.tex)
// or MathML (.mml), chosen by out's extension; a PNG is drawn at scale
// times the screen's resolution. SVG and PNG carry the document. On failure
// error says why.
bool exportDocument(const QString& in, const QString& out, QString* error, double scale = 1.0);
// The same for a document already open (File > Export); title names it
// inside SVG and PDF files.
bool writeExport(CVelmorDoc& doc, const QString& out, const QString& title, QString* error,
                 double scale = 1.0);

// The clipboard contents of Edit > Copy: SVG, PNG and PDF pictures of the
// copied formulas (SVG and PNG carrying them as a document of their own),
// LaTeX, MathML, plain text and the formulas' records. Null when the
// document has no tree.
QMimeData* clipboardData(CVelmorDoc& doc);

}  // namespace velmor::gui
