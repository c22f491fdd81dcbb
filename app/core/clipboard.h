// The clipboard of the program core. velmor-cli keeps it private to the
// process; the desktop program copies the system clipboard into it before
// Paste and out of it after Cut.
//
// Formulas are held as the structured Velmor flavour: a 4-byte count, then
// the stored record of each copied node, as a document file holds it (the
// values a formula's references share come back shared within it), then,
// when some of them are steps that tell their origin, the steps section of
// a document file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/nucleo.h"

namespace velmor {

constexpr const char* kVelmorMimeType = "application/x-velmor";

class Clipboard {
public:
    // The process's clipboard.
    static Clipboard& instance();

    void clear();
    void setFormulas(std::vector<std::uint8_t> records, std::string text);
    void setText(std::string text);

    bool hasFormulas() const { return !records_.empty(); }
    bool hasText() const { return hasText_; }
    bool empty() const { return !hasFormulas() && !hasText(); }
    const std::vector<std::uint8_t>& formulas() const { return records_; }
    const std::string& text() const { return text_; }

private:
    std::vector<std::uint8_t> records_;
    std::string text_;
    bool hasText_ = false;
};

// The records of nodes, in the clipboard's form.
std::vector<std::uint8_t> writeFormulas(const std::vector<const tovimat::nucleo*>& nodes);
// The nodes back, unattached; empty when the records cannot be read whole.
std::vector<std::unique_ptr<tovimat::nucleo>> readFormulas(const std::vector<std::uint8_t>& records);

// The document a copied picture carries: a new document whose lines are the
// formulas of records, the top left corner of formula i at corners[i] (as
// they stand in the picture). Empty when the records cannot be read.
std::vector<std::uint8_t> documentOfFormulas(const std::vector<std::uint8_t>& records,
                                             const std::vector<std::array<int, 2>>& corners);
// The lines of a document, in the clipboard's form: bytes are a document
// file or a picture that carries one. Empty, with the reason, when there is
// no document in them or it has no formula.
std::vector<std::uint8_t> formulasOfDocument(std::vector<std::uint8_t> bytes, std::string& reason);

}  // namespace velmor
