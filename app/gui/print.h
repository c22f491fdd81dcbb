// Printing a document: the page is scaled so that a pixel of the screen is
// 1/96 inch on paper, and a document larger than a page is cut into pages,
// row by row.
#pragma once

class QPrinter;
class CVelmorDoc;

namespace velmor::gui {

// The number of pages the document takes on the printer's page.
int pageCount(QPrinter& printer, CVelmorDoc& doc);

// Prints every page; false when the printer cannot be started.
bool printDocument(QPrinter& printer, CVelmorDoc& doc);

}  // namespace velmor::gui
