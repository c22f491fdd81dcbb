#include "model/dump.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "model/document.h"
#include "model/step_origin.h"
#include "platform/codepages.h"
#include "platform/escape.h"

namespace tovimat {

std::string className(const nucleo& n) {
    const char* mangled = typeid(n).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     std::free);
    std::string name = status == 0 && demangled ? demangled.get() : mangled;
    if (auto colons = name.rfind("::"); colons != std::string::npos) name.erase(0, colons + 2);
    return name;
}

namespace {

class Dumper {
public:
    Dumper(const nucleo& top, const DumpOptions& options) : options_(options), root_(top.getRoot()) {
        if (root_) {
            focused_ = root_->focused();
            caretIndex_ = root_->caretIndex();
            selected_ = root_->selectionList();
        }
    }

    void node(const nucleo& n, int depth) {
        out_.append(size_t(depth) * 2, ' ');
        out_ += className(n);
        if (isa<field>(&n)) quoted(n.getText(), n.getLen());
        if (auto* f = dyn_cast<userFunc>(&n)) quoted(f->name().data(), int(f->name().size()));
        if (options_.geometry) geometry(n);
        if (focused_ == &n) out_ += " <caret " + std::to_string(caretIndex_) + ">";
        if (selected_ && selected_->find(&n)) out_ += " <selected>";
        if (options_.steps)
            if (const stepOrigin* o = originOf(&n)) {
                const std::string what = utf8ToCp1252(describe(*o));
                out_ += " <step \"" + escapeBytes(what) + "\">";
            }
        out_ += '\n';

        if (auto* v = dyn_cast<variable>(&n); v && v->getValue()) node(*v->getValue(), depth + 1);
        if (n.isGroup()) {
            auto& c = static_cast<const container&>(n);
            for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) node(*m, depth + 1);
        }
    }

    std::string take() { return std::move(out_); }

private:
    void quoted(const char* text, int n) {
        out_ += " \"";
        out_ += escapeBytes(text, n);
        out_ += '"';
    }

    void geometry(const nucleo& n) {
        const aRect& r = n.getRect();
        out_ += " [" + std::to_string(r.left) + ' ' + std::to_string(r.top) + ' ' + std::to_string(r.right) + ' ' +
                std::to_string(r.bottom) + ' ' + std::to_string(n.getAscent()) + ']';
    }

    const DumpOptions& options_;
    protocol* root_;
    nucleo* focused_ = nullptr;
    int caretIndex_ = 0;
    selection* selected_ = nullptr;
    std::string out_;
};

}  // namespace

std::string dumpTree(const nucleo& n, const DumpOptions& options) {
    Dumper d(n, options);
    d.node(n, 0);
    return d.take();
}

}  // namespace tovimat
