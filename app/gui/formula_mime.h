// Formulas in Qt's mime data, as the clipboard and drag and drop carry them:
// the Velmor records under their own type, else a picture that Velmor drew
// (SVG or PNG) carrying its document.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

class QMimeData;

namespace velmor::gui {

QString velmorMimeType();

// Whether data offers formulas: Velmor records, or an SVG or PNG picture
// (which may carry a document; only reading it tells).
bool offersFormulas(const QMimeData* data);

// The formulas data holds, in the clipboard's form; empty when it holds
// none (a picture that carries no document, or a damaged one).
std::vector<std::uint8_t> formulasIn(const QMimeData* data);

}  // namespace velmor::gui
