#include "render.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <vector>

#include "core/clipboard.h"
#include "core/linear_text.h"
#include "store/picture_document.h"
#include "store/stream.h"
#include "text/latex_writer.h"
#include "text/mathml_writer.h"

using namespace tovimat;

namespace velmor::gui {

namespace {

// While it exists the document's operations run through a view without a
// caret, so that nothing draws the frame of the container being edited.
class QuietView {
public:
    explicit QuietView(CVelmorDoc& doc) : root_(doc.root()), view_(doc, window_) {
        if (root_) {
            previous_ = root_->activeView();
            root_->setActiveView(&view_);
        }
    }
    ~QuietView() {
        if (root_) root_->setActiveView(previous_);
    }
    QuietView(const QuietView&) = delete;
    QuietView& operator=(const QuietView&) = delete;

private:
    CVelmorProtocol* root_;
    COffscreenWindow window_;
    CVelmorView view_;
    CDocView* previous_ = nullptr;
};

QRect boxOf(const nucleo* n) {
    const aRect& r = n->getRect();
    return QRect(r.left, r.top, r.Width(), r.Height());
}

bool isBelow(const nucleo* n, const std::vector<nucleo*>& others) {
    for (const container* p = n->parent(); p; p = p->parent())
        if (std::find(others.begin(), others.end(), p) != others.end()) return true;
    return false;
}

// The selected nodes of the document, outermost only; every line when none
// is selected.
std::vector<nucleo*> copiedNodes(CVelmorDoc& doc) {
    std::vector<nucleo*> out;
    CVelmorProtocol* root = doc.root();
    container* base = doc.base();
    if (!root || !base) return out;
    std::vector<nucleo*> selected;
    for (selector& s : CVelmorProtocol::sharedSelection())
        if (s.getTarget()->getRoot() == root) selected.push_back(s.getTarget());
    for (nucleo* n : selected)
        if (!isBelow(n, selected)) out.push_back(n);
    if (out.empty())
        for (nucleo* m = base->first(); m && m->chained(); m = m->next()) out.push_back(m);
    return out;
}

void prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

}  // namespace

// --- the offscreen document --------------------------------------------------------------------------

COffscreenDocument::COffscreenDocument() : view_(std::make_unique<CVelmorView>(doc_, window_)) {}

COffscreenDocument::~COffscreenDocument() {
    doc_.onCloseDocument();
    view_.reset();
}

bool COffscreenDocument::open(const QString& path) {
    const bool opened = doc_.onOpenDocument(QFile::encodeName(path).toStdString());
    view_->onInitialUpdate();
    return opened;
}

// --- pictures -------------------------------------------------------------------------------------------

void paintTree(QPainter& p, CVelmorDoc& doc, const QRect& area) {
    CVelmorProtocol* root = doc.root();
    if (!root || !root->getBase()) return;
    QuietView quiet(doc);
    prepare(p);
    CQtDC dc(&p);
    aRect a(area.left(), area.top(), area.right() + 1, area.bottom() + 1);
    root->paint(&dc, a);
}

Picture documentPicture(CVelmorDoc& doc) {
    const SIZE s = doc.getDocSize();
    const QSize size(std::max<int>(1, s.cx), std::max<int>(1, s.cy));
    return Picture{size, [&doc, size](QPainter& p) { paintTree(p, doc, QRect(QPoint(0, 0), size)); }};
}

Picture copiedPicture(CVelmorDoc& doc) {
    const std::vector<nucleo*> nodes = copiedNodes(doc);
    QRect bounds;
    for (const nucleo* n : nodes) bounds |= boxOf(n);
    const QSize size(std::max(1, bounds.width()), std::max(1, bounds.height()));
    return Picture{size, [&doc, nodes, bounds](QPainter& p) {
                       QuietView quiet(doc);
                       prepare(p);
                       p.translate(-bounds.topLeft());
                       CQtDC dc(&p);
                       aRect area(bounds.left(), bounds.top(), bounds.right() + 1, bounds.bottom() + 1);
                       for (nucleo* n : nodes) n->paintIt(&dc, area);
                   }};
}

Picture nodePicture(CVelmorDoc& doc, nucleo* node) {
    const QRect box = boxOf(node);
    const QSize size(std::max(1, box.width()), std::max(1, box.height()));
    return Picture{size, [&doc, node, box](QPainter& p) {
                       QuietView quiet(doc);
                       prepare(p);
                       p.translate(-box.topLeft());
                       CQtDC dc(&p);
                       aRect area(box.left(), box.top(), box.right() + 1, box.bottom() + 1);
                       node->paintIt(&dc, area);
                   }};
}

QString copiedText(CVelmorDoc& doc) {
    QStringList lines;
    for (const nucleo* n : copiedNodes(doc)) lines << QString::fromStdString(velmor::linearText(*n));
    return lines.join(QLatin1Char('\n'));
}

QString copiedLatex(CVelmorDoc& doc) {
    QStringList lines;
    for (const nucleo* n : copiedNodes(doc)) lines << QString::fromStdString(latexOf(*n));
    return lines.join(QLatin1Char('\n'));
}

QString copiedMathml(CVelmorDoc& doc) {
    const std::vector<nucleo*> nodes = copiedNodes(doc);
    return QString::fromStdString(mathmlOf(std::vector<const nucleo*>(nodes.begin(), nodes.end())));
}

QImage renderImage(const Picture& picture, double scale) {
    const QSize size(std::max(1, qRound(picture.size.width() * scale)),
                     std::max(1, qRound(picture.size.height() * scale)));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    // A screen pixel is 1/96 inch.
    const int dotsPerMeter = qRound(96 * scale / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter p(&image);
    p.scale(scale, scale);
    picture.paint(p);
    p.end();
    return image;
}

QByteArray renderSvg(const Picture& picture, const QString& title) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(picture.size);
    generator.setViewBox(QRect(QPoint(0, 0), picture.size));
    generator.setResolution(96);
    generator.setTitle(title);
    generator.setDescription(QStringLiteral("Drawn by Velmor"));
    QPainter p(&generator);
    picture.paint(p);
    p.end();
    return buffer.data();
}

// Pixels are 1/96 inch, as on the screen: a page of w by h pixels is
// w * 0.75 by h * 0.75 points.
bool writePdf(const Picture& picture, QIODevice* device, const QString& title) {
    QPdfWriter writer(device);
    writer.setResolution(96);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Velmor"));
    const QSizeF points(picture.size.width() * 0.75, picture.size.height() * 0.75);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    if (!writer.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch)))
        return false;
    QPainter p;
    if (!p.begin(&writer)) return false;
    picture.paint(p);
    return p.end();
}

std::vector<std::uint8_t> documentBytes(CVelmorDoc& doc) {
    container* base = doc.base();
    if (!base) return {};
    memStor bytes;
    setAlgFile(bytes);
    if (!base->save(bytes)) return {};
    return bytes.bytes();
}

QByteArray svgCarrying(const Picture& picture, const QString& title,
                       const std::vector<std::uint8_t>& document) {
    std::string svg = renderSvg(picture, title).toStdString();
    if (!document.empty()) embedInSvg(svg, document);
    return QByteArray::fromStdString(svg);
}

QByteArray pngCarrying(const QImage& image, const std::vector<std::uint8_t>& document) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return {};
    std::vector<std::uint8_t> png(buffer.data().begin(), buffer.data().end());
    if (!document.empty()) embedInPng(png, document);
    return QByteArray(reinterpret_cast<const char*>(png.data()), qsizetype(png.size()));
}

namespace {

bool failWith(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

// The export formats: the lower-case extension of out, empty when it is
// none of them.
QString exportFormat(const QString& out) {
    static const QStringList kFormats = {QStringLiteral("svg"), QStringLiteral("png"), QStringLiteral("pdf"),
                                         QStringLiteral("tex"), QStringLiteral("mml")};
    const QString format = QFileInfo(out).suffix().toLower();
    return kFormats.contains(format) ? format : QString();
}

bool checkExport(const QString& out, double scale, QString* error) {
    if (exportFormat(out).isEmpty())
        return failWith(error,
                        QStringLiteral("%1: the output must end in .svg, .png, .pdf, .tex or .mml").arg(out));
    if (!(scale >= kMinExportScale && scale <= kMaxExportScale))
        return failWith(
            error,
            QStringLiteral("the scale must lie between %1 and %2").arg(kMinExportScale).arg(kMaxExportScale));
    return true;
}

}  // namespace

bool exportDocument(const QString& in, const QString& out, QString* error, double scale) {
    if (!checkExport(out, scale, error)) return false;
    QFile probe(in);
    if (!probe.open(QIODevice::ReadOnly)) return failWith(error, QStringLiteral("cannot read %1").arg(in));
    probe.close();

    COffscreenDocument document;
    if (!document.open(in)) {
        const std::string& why = document.doc().lastError();
        return failWith(error, why.empty() ? QStringLiteral("%1 is not a Velmor document").arg(in)
                                           : QString::fromLocal8Bit(why.c_str()));
    }
    if (document.doc().openedDamaged())
        return failWith(error,
                        QStringLiteral("%1 is damaged: the loader aborted, nothing was drawn").arg(in));
    return writeExport(document.doc(), out, QFileInfo(in).completeBaseName(), error, scale);
}

bool writeExport(CVelmorDoc& doc, const QString& out, const QString& title, QString* error, double scale) {
    if (!checkExport(out, scale, error)) return false;
    if (!doc.base()) return failWith(error, QStringLiteral("there is no document to write"));
    const QString format = exportFormat(out);
    const Picture picture = documentPicture(doc);

    // Every format replaces OUT only once all of it is written.
    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly))
        return failWith(error, QStringLiteral("cannot write %1: %2").arg(out, file.errorString()));
    bool written = false;
    if (format == QLatin1String("png")) {
        const QByteArray png = pngCarrying(renderImage(picture, scale), documentBytes(doc));
        written = !png.isEmpty() && file.write(png) == png.size();
    } else if (format == QLatin1String("svg")) {
        const QByteArray svg = svgCarrying(picture, title, documentBytes(doc));
        written = file.write(svg) == svg.size();
    } else if (format == QLatin1String("tex")) {
        const QByteArray tex = QByteArray::fromStdString(latexDocument(*doc.base()));
        written = file.write(tex) == tex.size();
    } else if (format == QLatin1String("mml")) {
        const QByteArray mml = QByteArray::fromStdString(mathmlDocument(*doc.base()));
        written = file.write(mml) == mml.size();
    } else {
        written = writePdf(picture, &file, title);
    }
    if (!written || !file.commit()) {
        const QString why = file.error() != QFileDevice::NoError ? file.errorString() : QString();
        file.cancelWriting();
        return failWith(error, why.isEmpty() ? QStringLiteral("cannot write %1").arg(out)
                                             : QStringLiteral("cannot write %1: %2").arg(out, why));
    }
    return true;
}

QMimeData* clipboardData(CVelmorDoc& doc) {
    if (!doc.root() || !doc.base()) return nullptr;
    auto* data = new QMimeData;
    const std::vector<nucleo*> nodes = copiedNodes(doc);
    const std::vector<std::uint8_t> records =
        velmor::writeFormulas(std::vector<const nucleo*>(nodes.begin(), nodes.end()));
    // The pictures show the copied formulas and carry them, and nothing
    // else of the document: their own document, cut to the same box.
    QRect bounds;
    for (const nucleo* n : nodes) bounds |= boxOf(n);
    std::vector<std::array<int, 2>> corners;
    for (const nucleo* n : nodes)
        corners.push_back({int(n->left() - bounds.left()), int(n->top() - bounds.top())});
    const std::vector<std::uint8_t> document = velmor::documentOfFormulas(records, corners);
    const Picture picture = copiedPicture(doc);
    data->setData(QStringLiteral("image/svg+xml"),
                  svgCarrying(picture, QStringLiteral("Velmor formula"), document));
    const QImage image = renderImage(picture);
    data->setImageData(image);
    data->setData(QStringLiteral("image/png"), pngCarrying(image, document));
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    if (writePdf(picture, &pdf, QStringLiteral("Velmor formula")))
        data->setData(QStringLiteral("application/pdf"), pdf.data());
    data->setData(QStringLiteral("text/x-tex"), copiedLatex(doc).toUtf8());
    data->setData(QStringLiteral("application/mathml+xml"), copiedMathml(doc).toUtf8());
    data->setText(copiedText(doc));
    data->setData(QString::fromLatin1(velmor::kVelmorMimeType),
                  QByteArray(reinterpret_cast<const char*>(records.data()), qsizetype(records.size())));
    return data;
}

}  // namespace velmor::gui
