// Editing the text of a field: the edit zone, caret-relative inserts and
// deletes, and the keyboard entry points of text leaves.
#include <cctype>
#include <cstring>

#include "model/document.h"
#include "platform/messages.h"
#include "platform/vkeys.h"

namespace tovimat {

namespace {

void setCaret(nucleo* n, int index) {
    if (protocol* root = n->getRoot())
        if (int* caret = root->caretIndexRef()) *caret = index;
}

void markModified(nucleo* n) {
    if (protocol* root = n->getRoot()) root->setModified(true);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

}  // namespace

// --- validation entry points ---------------------------------------------------------------

nucleo* field::validate() { return parentNode ? parentNode->validate(this) : this; }

nucleo* field::revalidate() { return changed ? validate() : this; }

// A pending edit is validated when the caret leaves, and the caret goes in
// any case, also from a node that validation put in the field's place. The
// answer says whether the field itself still stands.
bool field::focusOut() {
    if (length == 0 || !changed) return nucleo::focusOut();
    protocol* root = rootDoc;
    if (validate() == this) return nucleo::focusOut();
    if (root)
        if (nucleo* now = root->focused()) now->focusOut();
    return false;
}

// --- inserts ----------------------------------------------------------------------------------

void field::insert(const char* s, int n, int pos) {
    if (!s || n <= 0) return;
    if (pos < 0) pos = 0;
    if (pos > length) pos = length;
    changed = true;
    std::string copy(s, size_t(n));  // s may live in our own buffer
    if (!resize(n + length - zoneSize)) return;
    std::memmove(bytes() + pos + n, bytes() + pos, size_t(length - pos));
    std::memcpy(bytes() + pos, copy.data(), size_t(n));
    length += n;
}

void field::insert(const char* s, int n) {
    int at = getIndex();
    insert(s, n, at);
    focusAt(at + n);
    validate();
}

void field::insert(const char* s) { insert(s, s ? int(std::strlen(s)) : 0); }

// Typing: the zone grows 8 bytes at a time; a text whose kind may have
// changed is validated, anything else only repainted.
void field::insertChar(char c) {
    // A number that was cut to the longest text kept has had its warning; a
    // further digit would only be cut again.
    const auto* number = dyn_cast<nominal>(this);
    if (number && number->wasCut() && length >= nominal::maxDigits && (isDigit(c) || c == '.')) {
        MessageBeep(0);
        return;
    }
    changed = true;
    if (length == zoneSize && !resize(8)) return;
    int at = std::min(std::max(getIndex(), 0), length);
    std::memmove(bytes() + at + 1, bytes() + at, size_t(length - at));
    bytes()[at] = c;
    ++length;
    putKey(VK_RIGHT);
    const int id = type();
    bool revalidateNow = id == typeId::field || (isDigit(bytes()[0]) && id != typeId::nominal) ||
                         (id == typeId::nominal && isLetter(c)) ||
                         (id == typeId::nominal && length > nominal::maxDigits);
    if (revalidateNow)
        validate();
    else
        nucleo::update();
}

void field::overstrike(char c) {
    int at = getIndex();
    if (at < length)
        bytes()[at] = c;
    else
        insertChar(c);
}

// --- deleting ------------------------------------------------------------------------------------

void field::delKey() {
    const int at = getIndex();
    if (at < length) {
        markModified(this);
        std::memmove(bytes() + at, bytes() + at + 1, size_t(length - at - 1));
        --length;
        changed = true;
        if (zoneSize - length > 8) resize(-8);
        // A number or a "?" with nothing left is an empty place again.
        if (length == 0 && (type() == typeId::nominal || type() == typeId::preference)) {
            auto* empty = new field("");
            if (replaceWith(empty))
                empty->focusLeft();
            else
                delete empty;
            return;
        }
        nucleo::update();
        validate();
        return;
    }
    // Past the end the key joins what follows; refused, it changes nothing.
    protocol* root = rootDoc;
    if (previousNode) {
        if (parentNode && parentNode->joinNext(this) && root) root->setModified(true);
        return;
    }
    // The editable name of a user function: the function dissolves and its
    // first leaf takes the caret. Moving the members may validate them into
    // other nodes, so that leaf is found again from where they went.
    if (!successor() || !parentNode) return;
    markModified(this);
    // The name is validated first. Completed into a known function, that
    // function takes the user function's place with the caret, and there is
    // nothing left to dissolve.
    if (revalidate() != this) return;
    if (rootDoc)
        if (nucleo* f = rootDoc->focused()) f->focusOut();
    nucleo* anchor = nullptr;
    if (parentNode->dropOnParent(&anchor) && anchor)
        if (nucleo* next = anchor->successor()) next->focusLeft();
}

void field::backSpace() {
    if (getIndex() != 0) {
        putKey(VK_LEFT);
        delKey();
        return;
    }
    if (previousNode) {
        if (parentNode) parentNode->joinPrevious(this);
        return;
    }
    if (!parentNode) return;
    bool hadMembers = parentNode->members() > 0;
    nucleo* anchor = nullptr;
    if (parentNode->dropOnParent(&anchor) && hadMembers && anchor && anchor->next()) anchor->next()->focusLeft();
}

// --- keys and characters ----------------------------------------------------------------------------

bool field::putKey(int key) {
    const int at = getIndex();
    if ((at == 0 || at == length) && parentNode && !parentNode->validKey(this, key)) return false;
    switch (key) {
        case VK_BACK:
            if (readOnly)
                MessageBeep(0);
            else
                backSpace();
            return false;
        case VK_DELETE:
            if (readOnly)
                MessageBeep(0);
            else
                delKey();
            return false;
        case VK_END:
            if (at == getLen() && parentNode)
                parentNode->focusRight();
            else
                focusRight();
            return false;
        case VK_HOME:
            if (at != 0)
                focusLeft();
            else if (parentNode)
                parentNode->focusLeft();
            return false;
        case VK_LEFT:
            if (at != 0) {
                setCaret(this, at - 1);
                focusAt(at - 1);
                if (readOnly) focusLeft();
            } else if (previousNode) {
                previousNode->focusRight();
            } else if (parentNode) {
                parentNode->focusLeft();
            }
            return false;
        case VK_RIGHT:
            if (at < getLen()) {
                setCaret(this, at + 1);
                focusAt(at + 1);
                if (readOnly) focusRight();
            } else if (nextNode) {
                nextNode->focusLeft();
            } else if (parentNode) {
                parentNode->focusRight();
            }
            return false;
        case VK_UP:
            if (nucleo* p = predecessor())
                p->focusAt(std::min(at, p->getLen()));
            else
                focusLeft();
            return false;
        case VK_DOWN:
            if (nucleo* s = successor())
                s->focusAt(std::min(at, s->getLen()));
            else
                focusRight();
            return false;
        default:
            return true;
    }
}

bool field::putChar(int c) {
    if (readOnly) {
        MessageBeep(0);
        return false;
    }
    if (closeBracket(c)) return false;
    if (parentNode && !parentNode->validChar(this, c)) return false;
    insertChar(char(c));
    return true;
}

// A fixed text is deleted or crossed as a whole.
bool field::staticKeys(int key) {
    const int at = getIndex();
    if ((at == 0 || at == length) && parentNode && !parentNode->validKey(this, key)) return false;
    switch (key) {
        case VK_BACK:
            if (at != 0) delete this;
            return false;
        case VK_DELETE:
            if (at == 0) delete this;
            return false;
        case VK_LEFT:
            if (at != 0) {
                focusLeft();
                return false;
            }
            return field::putKey(key);
        case VK_RIGHT:
            if (at == 0) {
                focusRight();
                return false;
            }
            return field::putKey(key);
        default:
            return true;
    }
}

bool field::staticChars(int c) {
    if (closeBracket(c)) return false;
    if (parentNode && parentNode->validChar(this, c)) MessageBeep(0);
    return false;
}

// --- leaves without text editing of their own --------------------------------------------------------

// Backspace or Delete turns the node into a plain field first.
bool nucleo::putKey(int key) {
    const int at = getIndex();
    switch (key) {
        case VK_BACK:
        case VK_DELETE: {
            auto made = std::make_unique<field>(*this);
            field* f = made.get();
            if (!replaceWith(std::move(made))) return false;
            markModified(f);
            return f->putKey(key);
        }
        case VK_LEFT:
            if (at != 0) focusAt(at - 1);
            return false;
        case VK_RIGHT:
            if (at < getLen()) focusAt(at + 1);
            return false;
        default:
            return true;
    }
}

bool nucleo::putChar(int c) {
    if (readOnly) {
        MessageBeep(0);
        return false;
    }
    if (closeBracket(c)) return false;
    auto made = std::make_unique<field>(*this);
    field* f = made.get();
    if (!replaceWith(std::move(made))) return false;
    return f->putChar(c);
}

}  // namespace tovimat
