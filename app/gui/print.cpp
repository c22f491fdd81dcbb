#include "print.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "core/velmor_doc.h"
#include "render.h"

using namespace tovimat;

namespace velmor::gui {

namespace {

constexpr double kScreenDpi = 96.0;

struct Pagination {
    double scale;  // device pixels per document pixel
    QSizeF page;   // the printable area of a page, in document pixels
    int columns;
    int rows;
};

Pagination paginate(QPrinter& printer, CVelmorDoc& doc) {
    Pagination p;
    p.scale = printer.resolution() / kScreenDpi;
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    p.page = QSizeF(std::max(1.0, area.width() / p.scale), std::max(1.0, area.height() / p.scale));
    const SIZE extent = doc.getDocSize();
    p.columns = std::max(1, int(std::ceil(extent.cx / p.page.width())));
    p.rows = std::max(1, int(std::ceil(extent.cy / p.page.height())));
    return p;
}

}  // namespace

int pageCount(QPrinter& printer, CVelmorDoc& doc) {
    const Pagination p = paginate(printer, doc);
    return p.columns * p.rows;
}

bool printDocument(QPrinter& printer, CVelmorDoc& doc) {
    const Pagination pages = paginate(printer, doc);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    bool first = true;
    for (int row = 0; row < pages.rows; ++row) {
        for (int column = 0; column < pages.columns; ++column) {
            if (!first) printer.newPage();
            first = false;
            const QRectF part(QPointF(column * pages.page.width(), row * pages.page.height()), pages.page);
            painter.save();
            painter.scale(pages.scale, pages.scale);
            painter.translate(-part.topLeft());
            painter.setClipRect(part);
            paintTree(painter, doc, part.toAlignedRect());
            painter.restore();
        }
    }
    return painter.end();
}

}  // namespace velmor::gui
