// The record of every class. Every record starts with the node's type id and
// its 60-byte font; the class part follows:
//
//   field and its text leaves   length, bytes
//   variable                    the field part, a has-value byte, the value's record
//   booleano, infinit           one state byte
//   container, page             member count; per member: left, top, record
//   every other composite       member count; per member: record
//   userFunc                    the name's record, member count, member records
//
// An in-line fraction (fracao) answers the stacked fraction's id 35; its
// record starts with inlineFractionRecordId instead and is otherwise that
// of every other composite.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "model/document.h"
#include "platform/messages.h"
#include "store/loader.h"

namespace tovimat {

using loader::readByte;
using loader::readExact;
using loader::readInt;
using loader::readRecord;

namespace {

void writeLogfont(algStor& s, const LOGFONTA& lf) {
    for (LONG v : {lf.lfHeight, lf.lfWidth, lf.lfEscapement, lf.lfOrientation, lf.lfWeight}) writeInt(s, v);
    const BYTE bytes[8] = {lf.lfItalic,      lf.lfUnderline,     lf.lfStrikeOut, lf.lfCharSet,
                           lf.lfOutPrecision, lf.lfClipPrecision, lf.lfQuality,   lf.lfPitchAndFamily};
    s.write(bytes, 8);
    s.write(lf.lfFaceName, LF_FACESIZE);
}

LOGFONTA readLogfont(algStor& s) {
    LOGFONTA lf{};
    lf.lfHeight = readInt(s);
    lf.lfWidth = readInt(s);
    lf.lfEscapement = readInt(s);
    lf.lfOrientation = readInt(s);
    lf.lfWeight = readInt(s);
    BYTE bytes[8];
    readExact(s, bytes, 8);
    lf.lfItalic = bytes[0];
    lf.lfUnderline = bytes[1];
    lf.lfStrikeOut = bytes[2];
    lf.lfCharSet = bytes[3];
    lf.lfOutPrecision = bytes[4];
    lf.lfClipPrecision = bytes[5];
    lf.lfQuality = bytes[6];
    lf.lfPitchAndFamily = bytes[7];
    readExact(s, lf.lfFaceName, LF_FACESIZE);
    lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    // A hostile height would overflow layout: the font is made with the
    // platform's largest height instead, as for any other request.
    lf.lfHeight = std::clamp(lf.lfHeight, -kMaxFontHeight, kMaxFontHeight);
    return lf;
}

// Reads n bytes of text without trusting n: the buffer grows only as the
// bytes actually arrive.
std::string readText(algStor& s, std::int32_t n) {
    if (n < 0) throw loader::aborted{};
    constexpr std::int32_t chunk = 1 << 16;
    std::string text;
    while (std::int32_t(text.size()) < n) {
        std::int32_t part = std::min(chunk, n - std::int32_t(text.size()));
        size_t at = text.size();
        text.resize(at + size_t(part));
        readExact(s, text.data() + at, part);
    }
    return text;
}

}  // namespace

// --- common part ---------------------------------------------------------------------

bool nucleo::save(algStor& s) const {
    writeInt(s, dynamic_cast<const fracao*>(this) ? inlineFractionRecordId : type());
    LOGFONTA lf{};
    GetObjectA(font, sizeof lf, &lf);
    writeLogfont(s, lf);
    return true;
}

bool nucleo::loadFont(algStor& s) {
    LOGFONTA lf = readLogfont(s);
    HFONT f = shareFontIndirect(&lf);
    // setFont takes the node's own handle for no change at all: the node
    // is given a font of its own then, so that the class's rules apply.
    if (f && f == font) {
        DeleteObject(f);
        f = CreateFontIndirectA(&lf);
    }
    if (!f) {
        nodeMessage(this, "Font allocation problem!", "Error", MB_ICONERROR);
        return false;
    }
    setFont(f);
    // A composite's setFont gives the composite itself the face of its
    // separator; the record holds the font the node had when it was saved,
    // and that is the one it keeps.
    if (isGroup()) {
        LOGFONTA now{};
        GetObjectA(font, sizeof now, &now);
        if (std::memcmp(&now, &lf, sizeof lf) != 0) {
            HFONT exact = shareFontIndirect(&lf);
            if (!exact) {
                nodeMessage(this, "Font allocation problem!", "Error", MB_ICONERROR);
                return false;
            }
            replaceFont(exact);
        }
    }
    return true;
}

// --- leaves ----------------------------------------------------------------------------

bool field::save(algStor& s) const {
    if (!nucleo::save(s)) return false;
    writeInt(s, length);
    s.write(getText(), length);
    return true;
}

// A loaded text is the one that was saved, not one just typed: it is marked
// unchanged, so that attaching the node does not validate it into another.
bool field::load(algStor& s) {
    std::string t = readText(s, readInt(s));
    assign(t.data(), int(t.size()));
    changed = false;
    return true;
}

bool nominal::load(algStor& s) {
    field::load(s);
    number = parse(getText(), getLen());
    return true;
}

bool preference::save(algStor& s) const { return nucleo::save(s); }

bool preference::load(algStor&) {
    changed = false;
    return true;
}

bool variable::save(algStor& s) const {
    if (!field::save(s)) return false;
    writeByte(s, value ? 1 : 0);
    return value ? value->save(s) : true;
}

bool variable::load(algStor& s) {
    field::load(s);
    std::uint8_t hasValue = readByte(s);
    if (hasValue > 1) throw loader::aborted{};
    if (hasValue) {
        delete value;
        value = nullptr;
        value = readRecord(s);
    }
    return true;
}

bool booleano::save(algStor& s) const {
    if (!nucleo::save(s)) return false;
    writeByte(s, truth ? 1 : 0);
    return true;
}

bool booleano::load(algStor& s) {
    truth = readByte(s) != 0;
    showState();
    changed = false;
    return true;
}

bool infinit::save(algStor& s) const {
    if (!nucleo::save(s)) return false;
    writeByte(s, positive ? 1 : 0);
    return true;
}

bool infinit::load(algStor& s) {
    positive = readByte(s) != 0;
    showState();
    changed = false;
    return true;
}

// --- composites --------------------------------------------------------------------------

bool container::saveMembers(algStor& s, bool withPositions) const {
    writeInt(s, memberCount);
    for (nucleo* m = first(); m && m->chained(); m = m->next()) {
        if (withPositions) {
            writeInt(s, m->left());
            writeInt(s, m->top());
        }
        if (!m->save(s)) return false;
    }
    return true;
}

namespace {

std::int32_t readCoordinate(algStor& s) {
    return std::clamp(readInt(s), -maxStoredCoordinate, maxStoredCoordinate);
}

}  // namespace

bool container::loadMembers(algStor& s, bool withPositions) {
    // A member goes back where it was saved, and as it was: the rules that
    // editing applies to a node typed or dropped in (a sum into a sum is
    // flattened, a logic operand parenthesised, an argument list or a
    // left-hand side added) depend on the place and the moment and would not
    // rebuild what editing left. Only what no editing leaves is mended: a
    // relation outside a directive that takes it goes into one, and a
    // composite binding more loosely than this container, which would read
    // as another expression, is put in parentheses.
    auto link = [this](nucleo* m) {
        container* wrapper = nullptr;
        if (m->composition() && (!composed() || !canConjugate(m->type()))) wrapper = m->conjugacao();
        if (!wrapper && !isRef() && needsParentheses(m)) wrapper = new parentesis();
        if (!wrapper) return _atachIt(m, last(), tail(), false);
        if (wrapper->_atachIt(m, wrapper->last(), wrapper->tail(), false) &&
            _atachIt(wrapper, last(), tail(), false))
            return true;
        return giveBack(wrapper, m);
    };
    std::int32_t n = readInt(s);
    if (n < 0) throw loader::aborted{};
    for (std::int32_t i = 0; i < n; ++i) {
        std::unique_ptr<nucleo> member;
        if (withPositions) {
            POINT at;
            at.x = readCoordinate(s);
            at.y = readCoordinate(s);
            member.reset(readRecord(s, &at));
        } else {
            member.reset(readRecord(s));
        }
        nucleo* m = member.release();
        if (!link(m) && !m->atached()) delete m;
    }
    return true;
}

bool container::save(algStor& s) const { return nucleo::save(s) && saveMembers(s, true); }

bool container::load(algStor& s) { return loadMembers(s, true); }

bool list::save(algStor& s) const { return nucleo::save(s) && saveMembers(s, false); }

bool list::load(algStor& s) { return loadMembers(s, false); }

bool userFunc::save(algStor& s) const { return nucleo::save(s) && headNode.save(s) && saveMembers(s, false); }

bool userFunc::load(algStor& s) {
    std::unique_ptr<nucleo> name(readRecord(s));
    headNode.setText(name->getText(), name->getLen());
    headNode.setChanged(false);  // a stored name, not one just typed
    return loadMembers(s, false);
}

}  // namespace tovimat
