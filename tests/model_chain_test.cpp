// Member chains: building, moving, copying and restructuring them.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "model/document.h"
#include "platform/messages.h"
#include "test_host.h"

namespace tovimat::testing {

namespace {

void checkChain(const container& c, int depth) {
    if (depth > 32) {
        ADD_FAILURE() << "containers nested more than 32 deep: a cycle?";
        return;
    }
    const nucleo* head = c.head();
    const nucleo* tail = c.tail();
    EXPECT_EQ(head->previous(), nullptr);
    EXPECT_EQ(tail->next(), nullptr);
    EXPECT_EQ(head->parent(), &c);
    EXPECT_EQ(tail->parent(), &c);

    int walked = 0;
    const nucleo* before = head;
    const nucleo* n = head->next();
    for (; n && n != tail && walked <= c.members(); n = n->next(), ++walked) {
        EXPECT_EQ(n->previous(), before) << "member " << walked;
        EXPECT_EQ(n->parent(), &c) << "member " << walked;
        EXPECT_EQ(n->getRoot(), c.getRoot()) << "member " << walked;
        if (n == &c) ADD_FAILURE() << "the container is its own member";
        else if (n->isGroup()) checkChain(*static_cast<const container*>(n), depth + 1);
        before = n;
    }
    EXPECT_EQ(n, tail) << "the walk from the head does not end at the tail";
    EXPECT_EQ(tail->previous(), before);
    EXPECT_EQ(walked, c.members());
    EXPECT_EQ(c.first(), head->next());
    EXPECT_EQ(c.last(), before);
    if (c.members() == 0) {
        EXPECT_EQ(c.first(), tail);
    }
}

}  // namespace

// Shared with the other model tests.
void expectChainSound(const container& c) {
    SCOPED_TRACE(::testing::Message() << "chain of a container of type " << c.type());
    checkChain(c, 0);
}

// What the engine said, one readable line per beep or message box.
std::vector<std::string> said(const MessageRecorder& rec) {
    std::vector<std::string> out;
    for (const MessageEvent& e : rec.events())
        out.push_back(e.kind == MessageEvent::Beep ? "beep " + std::to_string(e.code)
                                                   : "box " + std::to_string(e.code) + " " + e.caption + ": " + e.text);
    return out;
}

}  // namespace tovimat::testing

namespace tovimat {
namespace {

using testing::expectChainSound;
using testing::said;

// A one-line picture of a tree: leaves by their text, containers by a short
// class name and their members in brackets.
std::string shape(const nucleo* n) {
    if (!n->isGroup()) return std::string(n->getText(), size_t(n->getLen()));
    static const std::pair<int, const char*> names[] = {
        {typeId::container, "c"},       {typeId::list, "list"},        {typeId::page, "page"},
        {typeId::sum, "sum"},           {typeId::multiplication, "mul"}, {typeId::quocient, "quo"},
        {typeId::power, "pow"},         {typeId::radical, "root"},     {typeId::parentesis, "par"},
        {typeId::negation, "neg"},      {typeId::equal, "eq"},         {typeId::implication, "impl"},
        {typeId::simplification, "simp"}, {typeId::resolution, "res"},
    };
    std::string s = "#" + std::to_string(n->type());
    for (const auto& [id, name] : names)
        if (id == n->type()) s = name;
    auto* c = static_cast<const container*>(n);
    s += "[";
    for (const nucleo* m = c->first(); m && m->chained(); m = m->next()) s += (m == c->first() ? "" : ",") + shape(m);
    return s + "]";
}

nucleo* lit(const char* s) { return new literal(s); }

// A container holding the given members, inserted with the rules of entre().
template <class C>
C* with(std::initializer_list<nucleo*> members, C* c = new C()) {
    for (nucleo* m : members) c->lput(*m);
    return c;
}

// The same, with one single-letter literal per letter of names.
template <class C>
C* of(const char* names, C* c = new C()) {
    for (const char* p = names; *p; ++p) c->lput(*new literal(p, 1));
    return c;
}

// Linked exactly as given, for fixtures the rules would reshape (nested
// plain containers are merged into one, for instance).
template <class C>
C* linked(std::initializer_list<nucleo*> members, C* c = new C()) {
    for (nucleo* m : members) c->linkLast(m);
    return c;
}

void collect(const nucleo* n, std::set<const nucleo*>& out) {
    out.insert(n);
    if (!n->isGroup()) return;
    auto* c = static_cast<const container*>(n);
    for (const nucleo* m = c->first(); m && m->chained(); m = m->next()) collect(m, out);
}

// Runs a scenario that may corrupt memory in a child process, so that a crash
// fails only the test that found it. The child prints every failed
// expectation of the scenario and exits with 1; one that hangs is stopped
// after 2 s. The child's report is shown with the failure.
void inChildProcess(const std::function<void()>& scenario) {
    EXPECT_EXIT(
        {
            alarm(2);  // a walk round a cycle never ends
            ::testing::TestPartResultArray failures;
            {
                ::testing::ScopedFakeTestPartResultReporter intercept(
                    ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
                scenario();
            }
            for (int i = 0; i < failures.size(); ++i) {
                const ::testing::TestPartResult& r = failures.GetTestPartResult(i);
                std::fprintf(stderr, "%s:%d: %s\n", r.file_name() ? r.file_name() : "?", r.line_number(), r.message());
            }
            std::fflush(nullptr);
            std::_Exit(failures.size() == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// --- building -------------------------------------------------------------------------------------

TEST(ChainBuild, ConstructorsFillAndFlushLeaveSoundChains) {
    struct Case {
        std::function<container*()> make;
        const char* shape;
    };
    const Case cases[] = {
        {[] { return new container(); }, "c[]"},
        {[] { return new sum(*lit("a"), *lit("b")); }, "sum[a,b]"},
        {[] { return new quocient(*lit("n"), *lit("d")); }, "quo[n,d]"},
        {[] { return new radical(lit("i"), lit("r")); }, "root[i,r]"},
        {[] { return new negation(new sum(*lit("a"), *lit("b"))); }, "neg[par[sum[a,b]]]"},
        {[] { return new multiplication(*lit("a"), *new sum(*lit("b"), *lit("c"))); }, "mul[a,par[sum[b,c]]]"},
        {[] { return new equal(lit("x")); }, "eq[x]"},
        {[] { return new page(3, true); }, "page[,,]"},
        {[] {
             auto* l = new list();
             l->fill(3, literal("x"));
             return l;
         },
         "list[x,x,x]"},
        {[] {  // filling up to the minimum adds only what is missing
             auto* s = of<sum>("a");
             s->fill(literal("z"));
             s->fill(literal("z"));
             return s;
         },
         "sum[a,z]"},
        {[] {  // emptying does not pad
             auto* s = of<sum>("ab");
             s->flush();
             return s;
         },
         "sum[]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        std::unique_ptr<container> built(c.make());
        EXPECT_EQ(shape(built.get()), c.shape);
        expectChainSound(*built);
    }
}

// --- moving whole chains -----------------------------------------------------------------------------

//   base
//   └── dst (list)
//       ├── a
//       └── b
TEST(ChainMoves, ChainAfterMovesEveryMemberInOrder) {
    testing::TestHost host(new container());
    list* dst = of<list>("ab");
    host.getBase()->lput(*dst);

    std::unique_ptr<list> src(of<list>("xy"));
    dst->chainAfter(dst->first(), src.get());
    EXPECT_EQ(shape(dst), "list[a,x,y,b]");
    EXPECT_EQ(src->members(), 0);
    expectChainSound(*dst);  // the moved members took the document's root
    expectChainSound(*src);

    // The other way round: a container spills its members after a node.
    std::unique_ptr<list> more(of<list>("p"));
    more->chainAfter(dst->last());
    EXPECT_EQ(shape(dst), "list[a,x,y,b,p]");
    expectChainSound(*dst);
    expectChainSound(*more);
}

//   outer
//   ├── inner
//   │   └── x
//   └── y
TEST(ChainMoves, ChainAfterRefusesOverflowAndCycles) {
    power pw(lit("b"));
    std::unique_ptr<list> src(of<list>("xy"));
    pw.chainAfter(pw.first(), src.get());
    EXPECT_EQ(shape(&pw), "pow[b]");
    EXPECT_EQ(shape(src.get()), "list[x,y]");
    expectChainSound(pw);

    auto* inner = linked<container>({lit("x")});
    std::unique_ptr<container> outer(linked<container>({inner, lit("y")}));
    inner->chainAfter(inner->first(), outer.get());
    if (inner->parent() == inner) {
        ADD_FAILURE() << "inner became a member of itself";
        inner->detach();  // break the cycle so that both can be deleted
        delete inner;
        return;
    }
    EXPECT_EQ(shape(outer.get()), "c[c[x],y]");
    expectChainSound(*outer);
}

TEST(ChainCopies, InsertAfterFromCopiesARangeInOrder) {
    struct Case {
        const char* source;  // null: the range lies in the target itself
        int after, from, count;
        const char* expected;
    };
    const Case cases[] = {
        {"xyz", 0, 0, 2, "list[a,x,y,b,c]"},
        {"xyz", 2, 1, 5, "list[a,b,c,y,z]"},  // the count runs past the end
        {nullptr, 1, 0, 2, "list[a,b,a,b,c]"},
        {nullptr, 0, 0, 2, "list[a,a,b,b,c]"},  // after the range's first member
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.expected);
        std::unique_ptr<list> dst(of<list>("abc"));
        std::unique_ptr<list> src(k.source ? of<list>(k.source) : nullptr);
        list* from = k.source ? src.get() : dst.get();
        dst->insertAfterFrom((*dst)[k.after], (*from)[k.from], k.count);
        EXPECT_EQ(shape(dst.get()), k.expected);
        if (src) {
            EXPECT_EQ(shape(src.get()), "list[x,y,z]");
        }
        expectChainSound(*dst);
    }
}

TEST(ChainCopies, CopyIsDeepFaithfulAndDetached) {
    testing::TestHost host(new container());
    container* base = host.getBase();
    base->lput(*new multiplication(*lit("a"), *new sum(*lit("b"), *lit("c"))));
    base->lput(*new equal(lit("y")));  // arrives as simp[eq[y]]
    base->lput(*with<radical>({lit("i"), new negation(lit("x"))}));
    base->lput(*with<simplification>({lit("x"), new equal(lit("y"))}));

    for (nucleo* m = base->first(); m && m->chained(); m = m->next()) {
        SCOPED_TRACE(shape(m));
        std::unique_ptr<nucleo> copy(m->copy());
        EXPECT_EQ(shape(copy.get()), shape(m));
        EXPECT_EQ(typeid(*copy), typeid(*m));
        EXPECT_EQ(copy->parent(), nullptr);
        EXPECT_EQ(copy->getRoot(), nullptr);
        expectChainSound(*static_cast<container*>(copy.get()));
        std::set<const nucleo*> original, copied;
        collect(m, original);
        collect(copy.get(), copied);
        for (const nucleo* n : copied) EXPECT_EQ(original.count(n), 0u) << "node shared with the original";
    }
}

// --- detaching and replacing ---------------------------------------------------------------------------

//   outer
//   └── l (list)
//       ├── a
//       ├── b
//       └── pw (power)
//           ├── x
//           └── y
TEST(ChainEdits, DetachAndReplaceKeepChainsSound) {
    MessageRecorder rec;
    container outer;
    list* l = with<list>({lit("a"), lit("b"), of<power>("xy")});
    outer.lput(*l);

    nucleo* b = (*l)[1];
    EXPECT_TRUE(b->detach());
    EXPECT_EQ(shape(&outer), "c[list[a,pow[x,y]]]");
    EXPECT_FALSE(b->atached() || b->previous() || b->next());
    EXPECT_FALSE(b->detach());
    delete b;

    EXPECT_TRUE(l->replace(l->first(), lit("n"), true));
    EXPECT_TRUE(l->first()->replaceWith(lit("m")));
    EXPECT_EQ(shape(&outer), "c[list[m,pow[x,y]]]");

    // By one of its own operands.
    auto* pw = static_cast<container*>(l->last());
    EXPECT_TRUE(l->replace(pw, pw->first(), true));
    EXPECT_EQ(shape(&outer), "c[list[m,x]]");

    // Keeping the old node hands it back unlinked.
    nucleo* old = l->last();
    EXPECT_TRUE(l->replace(old, lit("k"), false));
    EXPECT_FALSE(old->atached());
    delete old;
    EXPECT_EQ(shape(&outer), "c[list[m,k]]");
    EXPECT_TRUE(said(rec).empty());

    // Nodes that are not members are refused with a beep.
    literal stranger("s"), fresh("f");
    EXPECT_FALSE(l->replace(&stranger, &fresh, true));
    EXPECT_FALSE(fresh.replaceWith(&stranger));
    EXPECT_EQ(said(rec), (std::vector<std::string>{"beep 0", "beep 0"}));
    EXPECT_EQ(shape(&outer), "c[list[m,k]]");
    expectChainSound(outer);
}

// --- the insertion rules ------------------------------------------------------------------------------------

TEST(ChainRules, RelationsArriveInsideADirectiveAndLooseOperatorsInParentheses) {
    struct Case {
        std::function<container*()> target;
        std::function<nucleo*()> item;
        const char* expected;
    };
    const Case cases[] = {
        {[] { return new container(); }, [] { return new equal(lit("x")); }, "c[simp[eq[x]]]"},
        {[] { return new list(); }, [] { return new equal(lit("x")); }, "list[simp[eq[x]]]"},
        {[] { return new container(); }, [] { return new implication(lit("x")); }, "c[res[impl[x]]]"},
        {[] { return of<simplification>("a"); }, [] { return new equal(lit("x")); }, "simp[a,eq[x]]"},
        {[] { return of<resolution>("a"); }, [] { return new implication(lit("x")); }, "res[a,impl[x]]"},
        {[] { return of<resolution>("a"); }, [] { return new equal(lit("x")); }, "res[a,simp[eq[x]]]"},
        {[] { return new multiplication(); }, [] { return of<sum>("ab"); }, "mul[par[sum[a,b]]]"},
        {[] { return new negation(); }, [] { return of<sum>("ab"); }, "neg[par[sum[a,b]]]"},
        {[] { return new power(); }, [] { return of<sum>("ab"); }, "pow[par[sum[a,b]]]"},  // (a + b)^n
        {[] { return new sum(); }, [] { return of<multiplication>("ab"); }, "sum[mul[a,b]]"},
        {[] { return new quocient(); }, [] { return of<sum>("ab"); }, "quo[sum[a,b]]"},
        {[] { return new multiplication(); }, [] { return of<quocient>("ab"); }, "mul[quo[a,b]]"},
        {[] { return new multiplication(); }, [] { return of<list>("ab"); }, "mul[list[a,b]]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        std::unique_ptr<container> target(c.target());
        EXPECT_TRUE(target->lput(*c.item()));
        EXPECT_EQ(shape(target.get()), c.expected);
        expectChainSound(*target);
    }
}

// Linking without the insertion rules (as a shared value handed back to its
// last place is): a relation still arrives inside a directive, and the
// directive in parentheses where it binds more loosely than its container,
// exactly as the file reader builds the same members.
TEST(ChainRules, ARelationLinkedIntoAnOperatorArrivesInParentheses) {
    std::unique_ptr<container> target(of<sum>("a"));
    EXPECT_TRUE(target->atachIt(new equal(lit("x")), target->last(), target->tail(), false));
    EXPECT_EQ(shape(target.get()), "sum[a,par[simp[eq[x]]]]");
    expectChainSound(*target);
}

TEST(ChainRules, LosingAnOperandRestructuresTheOperator) {
    struct Case {
        const char* name;
        std::function<std::pair<container*, nucleo*>()> build;  // the tree and the node deleted from it
        const char* expected;
    };
    const Case cases[] = {
        //   c
        //   └── pow
        //       ├── a
        //       └── b   <- deleted
        {"collapse: the other operand takes the operator's place",
         [] {
             auto* pw = of<power>("ab");
             return std::make_pair(with<container>({pw}), pw->last());
         },
         "c[a]"},
        //   c
        //   ├── x
        //   ├── page (minimum 3)
        //   │   ├── a
        //   │   ├── b   <- deleted
        //   │   └── c
        //   └── y
        {"dissolve: the remaining members move up in order",
         [] {
             auto* p = of<page>("abc", new page(3, false));
             return std::make_pair(with<container>({lit("x"), p, lit("y")}), (*p)[1]);
         },
         "c[x,a,c,y]"},
        //   sum (no parent)
        //   ├── a
        //   └── b   <- deleted
        {"pad: an operator without a parent gets an empty field",
         [] {
             auto* s = of<sum>("ab");
             return std::make_pair(static_cast<container*>(s), s->last());
         },
         "sum[a,]"},
        //   c (read-only, because pow is)
        //   └── pow (read-only)
        //       ├── a   <- deleted
        //       └── b
        {"pad: a read-only operator keeps its place",
         [] {
             auto* pw = of<power>("ab");
             auto* c = with<container>({pw});
             pw->setReadOnly(true);
             return std::make_pair(c, pw->first());
         },
         "c[pow[,b]]"},
        {"nothing above the minimum",
         [] {
             auto* s = of<sum>("abc");
             return std::make_pair(with<container>({s}), (*s)[1]);
         },
         "c[sum[a,c]]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto [top, victim] = c.build();
        std::unique_ptr<container> owner(top);
        delete victim;
        EXPECT_EQ(shape(top), c.expected);
        expectChainSound(*top);
    }
}

TEST(ChainRules, OutOfRangeAndOverflowAreRefused) {
    MessageRecorder rec;
    std::unique_ptr<list> l(of<list>("ab"));
    EXPECT_EQ(shape((*l)[1]), "b");
    EXPECT_EQ((*l)[2], nullptr);
    EXPECT_EQ((*l)[-1], nullptr);
    EXPECT_EQ(said(rec), (std::vector<std::string>{"beep 0", "beep 0"}));

    rec.clear();
    literal extra("e");
    parentesis p(lit("a"));
    std::unique_ptr<power> pw(of<power>("ab"));
    EXPECT_FALSE(p.lput(extra));
    EXPECT_FALSE(pw->fput(extra));
    EXPECT_EQ(said(rec), std::vector<std::string>(2, "box 16 Debug: operator overload"));
    EXPECT_FALSE(extra.atached());
    EXPECT_EQ(shape(&p), "par[a]");
    EXPECT_EQ(shape(pw.get()), "pow[a,b]");
    expectChainSound(p);
    expectChainSound(*pw);
}

// A chain of lists `levels` deep, the innermost holding a name: levels + 1
// levels of nodes in all.
std::unique_ptr<list> nested(int levels) {
    auto top = std::make_unique<list>();
    list* at = top.get();
    for (int i = 1; i < levels; ++i) {
        auto* inner = new list();
        EXPECT_TRUE(at->linkLast(inner));
        at = inner;
    }
    EXPECT_TRUE(at->linkLast(lit("x")));
    return top;
}

// The innermost list of a chain made by nested().
container* bottomOf(container* top) {
    container* at = top;
    while (at->members() > 0 && isa<list>(at->last())) at = static_cast<container*>(at->last());
    return at;
}

// The nesting bound holds whichever way a subtree grew: members linked deep
// inside it after it was built, or merged in from another container; and a
// subtree that lost its deep part counts as shallow as it now is.
TEST(ChainRules, NestingStaysWithinItsBoundHoweverTheTreeGrows) {
    MessageRecorder rec;
    const int half = maxNestingDepth / 2;
    auto deep = nested(half);  // its bottom stands at level half - 1
    container* deepBottom = bottomOf(deep.get());
    auto extra = nested(half / 2);
    nucleo* deepPart = extra.get();
    ASSERT_TRUE(deepBottom->linkLast(extra.release()));

    // Grown below its top: too deep under another chain's bottom.
    auto low = nested(half);
    EXPECT_FALSE(bottomOf(low.get())->linkLast(deep.get()));
    EXPECT_NE(said(rec).size(), 0u);
    rec.clear();

    // Merged in: the moved members' levels count where they land.
    auto target = std::make_unique<list>();
    auto source = std::make_unique<list>();
    ASSERT_TRUE(source->linkLast(nested(half).release()));
    target->chainAfter(target->head(), source.get());
    ASSERT_EQ(target->members(), 1);
    auto high = nested(half + 1);
    EXPECT_FALSE(bottomOf(high.get())->linkLast(target.get()));
    rec.clear();

    // Lost its deep part: it fits again where its present height fits.
    ASSERT_TRUE(deepPart->detach());
    delete deepPart;
    auto mid = nested(half - 100);
    container* midBottom = bottomOf(mid.get());
    EXPECT_TRUE(midBottom->linkLast(deep.release()));
    EXPECT_EQ(said(rec).size(), 0u);
    EXPECT_EQ(midBottom->members(), 2);
}

// A new node given to the owning forms either stands in the tree (or was
// merged into it) or comes back with the outcome, out of any wrapper the
// rules tried; the sanitizer build checks that none is freed twice or lost.
TEST(ChainOwnership, ARefusedNewNodeComesBackAndAPlacedOneBelongsToTheTree) {
    MessageRecorder rec;
    parentesis full(lit("a"));
    auto extra = std::make_unique<literal>("e");
    const nucleo* given = extra.get();
    placement out = full.lput(std::move(extra));
    EXPECT_FALSE(out);
    EXPECT_EQ(out.refused.get(), given);
    EXPECT_EQ(shape(&full), "par[a]");

    userFunc f("f");
    literal elsewhere("y");
    auto terms = std::make_unique<sum>(*lit("a"), *lit("b"));
    given = terms.get();
    out = f.insert(std::move(terms), f.head(), &elsewhere);
    EXPECT_FALSE(out);
    ASSERT_EQ(out.refused.get(), given);
    EXPECT_FALSE(out.refused->atached());
    EXPECT_EQ(shape(out.refused.get()), "sum[a,b]");
    EXPECT_EQ(f.members(), 0);

    // A sum put into a sum gives it its members and is gone.
    std::unique_ptr<sum> total(of<sum>("ab"));
    out = total->lput(std::unique_ptr<nucleo>(of<sum>("cd")));
    EXPECT_TRUE(out);
    EXPECT_EQ(out.refused, nullptr);
    EXPECT_EQ(shape(total.get()), "sum[a,b,c,d]");
    expectChainSound(*total);

    // Replacing: a node in no chain stays, and the new one comes back; a
    // member is deleted once the new node takes its place.
    literal lone("x");
    out = lone.replaceWith(std::make_unique<literal>("y"));
    EXPECT_FALSE(out);
    ASSERT_NE(out.refused, nullptr);
    EXPECT_EQ(shape(out.refused.get()), "y");
    std::unique_ptr<list> l(of<list>("ab"));
    nodeWatch old(l->first());
    out = l->first()->replaceWith(std::make_unique<literal>("z"));
    EXPECT_TRUE(out);
    EXPECT_FALSE(old.alive());
    EXPECT_EQ(shape(l.get()), "list[z,b]");
    expectChainSound(*l);
}

// Every way of linking a container below itself is refused with one message
// and leaves the tree as it was. The rules of entre() run before the link
// itself, so both entry points are tried. Each case runs in a child process:
// a tree made cyclic or freed twice takes down only this test.
TEST(ChainRulesDeathTest, NoContainerIsLinkedIntoItself) {
    struct Case {
        const char* name;
        // Builds a tree, tries the link, and answers whether it was accepted
        // and the tree's root; nodes the attempt left loose are deleted.
        std::function<std::pair<bool, container*>(bool withRules)> run;
        const char* shapeAfter;
    };
    auto put = [](container* into, nucleo* n, bool rules) { return rules ? into->lput(*n) : into->_lput(*n); };
    const Case cases[] = {
        {"a container into itself",
         [put](bool rules) {
             auto* c = linked<container>({lit("x")});
             return std::make_pair(put(c, c, rules), c);
         },
         "c[x]"},
        //   outer
        //   └── inner
        //       └── x
        {"a container into its member",
         [put](bool rules) {
             auto* inner = linked<container>({lit("x")});
             auto* outer = linked<container>({inner});
             return std::make_pair(put(inner, outer, rules), outer);
         },
         "c[c[x]]"},
        // The sum binds more loosely than the product: the rules would wrap
        // it in parentheses or lift it above the product first.
        //   outer
        //   └── s (sum)
        //       ├── a
        //       └── m (multiplication)
        //           ├── b
        //           └── c
        {"a sum into a product inside it",
         [put](bool rules) {
             auto* m = linked<multiplication>({lit("b"), lit("c")});
             auto* s = linked<sum>({lit("a"), m});
             auto* outer = linked<container>({s});
             bool accepted = put(m, s, rules);
             if (!s->atached()) delete s;
             return std::make_pair(accepted, outer);
         },
         "c[sum[a,mul[b,c]]]"},
        //   outer
        //   └── s (sum)
        //       ├── a   <- replaced by s
        //       └── b
        {"an operand replaced by its own operator",
         [](bool rules) {
             auto* s = linked<sum>({lit("a"), lit("b")});
             auto* outer = linked<container>({s});
             bool accepted = rules ? s->replace(s->first(), s, true) : s->_replace(s->first(), s, true);
             if (!s->atached()) delete s;
             return std::make_pair(accepted, outer);
         },
         "c[sum[a,b]]"},
    };
    for (const Case& c : cases) {
        for (bool rules : {false, true}) {
            SCOPED_TRACE(::testing::Message() << c.name << (rules ? ", with the rules" : ", linked plainly"));
            inChildProcess([&] {
                MessageRecorder rec;
                auto [accepted, top] = c.run(rules);
                std::unique_ptr<container> owner(top);
                EXPECT_FALSE(accepted);
                EXPECT_EQ(shape(top), c.shapeAfter);
                EXPECT_EQ(said(rec), std::vector<std::string>{"box 16 Debug: container::atachIt => Auto-Derivation"});
                expectChainSound(*top);
            });
        }
    }
}

//   outer
//   └── op
//       ├── x   -> moved after y
//       └── y
TEST(ChainRules, MovingAnOperandWithinItsOperatorKeepsTheOperator) {
    const std::pair<std::function<container*()>, const char*> cases[] = {
        {[] { return new list(); }, "c[list[y,x]]"},
        {[] { return new sum(); }, "c[sum[y,x]]"},
        {[] { return new power(); }, "c[pow[y,x]]"},
    };
    for (const auto& [make, expected] : cases) {
        SCOPED_TRACE(expected);
        MessageRecorder rec;
        container outer;
        container* op = of<container>("xy", make());
        outer.lput(*op);
        nucleo* x = op->first();
        EXPECT_TRUE(x->putAfter(op->last()));
        EXPECT_EQ(shape(&outer), expected);
        EXPECT_TRUE(said(rec).empty());
        expectChainSound(outer);
        if (!x->atached()) delete x;
    }
}

// --- copies built around a new node ------------------------------------------------------------------------------

TEST(ChainCopies, AddchainRebuildsTheParentAroundANewNode) {
    struct Case {
        std::function<container*()> make;
        int anchor;  // the member addchain is called on
        const char* expected;
    };
    const Case cases[] = {
        {[] { return with<quocient>({lit("num"), lit("den")}); }, 1, "quo[num,new]"},
        {[] { return with<quocient>({lit("num"), lit("den")}); }, 0, "quo[new,den]"},
        {[] { return of<power>("be"); }, 1, "pow[b,new]"},
        {[] { return of<sum>("abcde"); }, 2, "sum[a,b,new,d,e]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        std::unique_ptr<container> original(c.make());
        const std::string before = shape(original.get());
        nucleo* fresh = lit("new");
        std::unique_ptr<nucleo> rebuilt((*original)[c.anchor]->addchain(fresh));
        EXPECT_EQ(typeid(*rebuilt), typeid(*original));
        EXPECT_EQ(shape(rebuilt.get()), c.expected);
        EXPECT_EQ(fresh->parent(), rebuilt.get());
        EXPECT_EQ(shape(original.get()), before) << "the original is left alone";
        std::set<const nucleo*> old;
        collect(original.get(), old);
        auto* r = static_cast<container*>(rebuilt.get());
        for (const nucleo* m = r->first(); m && m->chained(); m = m->next()) EXPECT_EQ(old.count(m), 0u);
        expectChainSound(*r);
    }

    literal alone("x");
    std::unique_ptr<nucleo> fresh(lit("new"));
    EXPECT_EQ(alone.addchain(fresh.get()), fresh.get()) << "without a parent there is nothing to rebuild";
}

// A copy of the whole tree around `at` with n in its place: addchain on
// every level up to the top.
nucleo* broadcopy(nucleo* at, nucleo* n) {
    for (nucleo* cur = at; cur->parent(); cur = cur->parent()) n = cur->addchain(n);
    return n;
}

//   s (sum)
//   ├── a
//   └── q (quocient)
//       ├── num
//       └── den   <- broadcopy(new)
TEST(ChainCopies, BroadcopyAndCopychainKeepOperandOrder) {
    auto* q = with<quocient>({lit("num"), lit("den")});
    std::unique_ptr<sum> s(with<sum>({lit("a"), q}));
    std::unique_ptr<nucleo> rebuilt(broadcopy(q->last(), lit("new")));
    EXPECT_EQ(shape(rebuilt.get()), "sum[a,quo[num,new]]");
    EXPECT_EQ(shape(s.get()), "sum[a,quo[num,den]]");
    expectChainSound(*static_cast<container*>(rebuilt.get()));

    // Copies of b's siblings go round the anchor, in their own order.
    std::unique_ptr<sum> abcd(of<sum>("abcd"));
    std::unique_ptr<list> target(with<list>({lit("p"), lit("anchor"), lit("q")}));
    (*abcd)[1]->copychain((*target)[1]);
    EXPECT_EQ(shape(target.get()), "list[p,a,anchor,c,d,q]");
    EXPECT_EQ(shape(abcd.get()), "sum[a,b,c,d]");
    expectChainSound(*target);
}

}  // namespace
}  // namespace tovimat
