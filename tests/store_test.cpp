// Document files: the header, the bytes of each kind of record, whole
// documents written and read back, and files that are damaged or hostile.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "model/dump.h"
#include "model/shared.h"
#include "platform/messages.h"
#include "store/loader.h"
#include "store_fixtures.h"

using namespace tovimat;
using namespace tovimat::testing;

namespace {

// Recorded events as readable lines: "beep 16", "box 16 [Error] text".
std::string describe(const MessageEvent& e) {
    if (e.kind == MessageEvent::Beep) return "beep " + std::to_string(e.code);
    return "box " + std::to_string(e.code) + " [" + e.caption + "] " + e.text;
}

std::string errorBox(const std::string& text, const std::string& caption = "Error") {
    return describe(MessageEvent{MessageEvent::Box, MB_ICONERROR, text, caption});
}

using Lines = std::vector<std::string>;

const std::string beep16 = "beep 16";
const std::string abandoned = errorBox("Problem loading file\r\nLoader aborted!");
const std::string fontProblem = errorBox("Font allocation problem!");
const std::string layoutFontProblem = errorBox("Font resource allocation problem!");

// Equal byte strings, or where they first differ.
::testing::AssertionResult sameBytes(const Bytes& a, const Bytes& b) {
    if (a == b) return ::testing::AssertionSuccess();
    size_t at = std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
    return ::testing::AssertionFailure()
           << "sizes " << a.size() << " and " << b.size() << ", first difference at byte " << at;
}

class StoreTest : public ::testing::Test {
protected:
    void TearDown() override { setFontCreationBudget(-1); }

    Lines events() const {
        Lines out;
        for (const MessageEvent& e : messages.events()) out.push_back(describe(e));
        return out;
    }

    MessageRecorder messages;
};

std::string leaf(int id, const std::string& text) { return std::to_string(id) + '"' + text + '"'; }

// After an abandoned load the document is one empty container that belongs
// to the host and takes new members.
void expectEmptyUsableDocument(TestHost& host) {
    container* base = host.getBase();
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->type(), typeId::container);
    EXPECT_EQ(base->members(), 0);
    EXPECT_EQ(base->getRoot(), &host);
    EXPECT_FALSE(host.modified);
    ASSERT_TRUE(base->add(*name("x")));
    EXPECT_EQ(base->members(), 1);
    EXPECT_EQ(base->first()->getRoot(), &host);
}

void collectTypes(const nucleo& n, std::set<int>& types) {
    types.insert(n.type());
    if (auto* v = dynamic_cast<const variable*>(&n); v && v->getValue()) collectTypes(*v->getValue(), types);
    if (auto* f = dynamic_cast<const userFunc*>(&n)) types.insert(f->head()->type());
    if (!n.isGroup()) return;
    auto& c = static_cast<const container&>(n);
    for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) collectTypes(*m, types);
}

void expectRootEverywhere(const nucleo& n, const protocol* root) {
    EXPECT_EQ(n.getRoot(), root) << shape(n);
    if (!n.isGroup()) return;
    auto& c = static_cast<const container&>(n);
    for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) expectRootEverywhere(*m, root);
}

// Lowers the address-space limit to what the process uses now plus a margin
// for as long as it lives, so that a reader that believes a length or count
// from the file and reserves gigabytes fails instead of succeeding quietly.
class AddressSpaceCap {
public:
    explicit AddressSpaceCap(rlim_t margin) {
        getrlimit(RLIMIT_AS, &saved_);
        const rlim_t used = currentVmBytes();
        if (used == 0) return;  // unknown: leave the limit alone
        rlimit capped = saved_;
        capped.rlim_cur = std::min<rlim_t>(saved_.rlim_max, used + margin);
        setrlimit(RLIMIT_AS, &capped);
    }
    ~AddressSpaceCap() { setrlimit(RLIMIT_AS, &saved_); }

private:
    static rlim_t currentVmBytes() {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("VmSize:", 0) == 0)
                return rlim_t(std::strtoull(line.c_str() + 7, nullptr, 10)) * 1024;
        return 0;
    }
    rlimit saved_;
};

// --- the header -------------------------------------------------------------------------

TEST_F(StoreTest, HeaderIsMagicThenVersionLittleEndian) {
    memStor s;
    setAlgFile(s);
    EXPECT_EQ(s.bytes(), (Bytes{0x01, 0x67, 0x11, 0x11, 0x03, 0x00, 0x01, 0x00}));
    EXPECT_TRUE(chkAlgFile(s));
    EXPECT_TRUE(messages.events().empty());
}

TEST_F(StoreTest, RefusedHeaderBeepsReportsAndKeepsTheDocument) {
    const std::string badFormat = "Bad file format", badVersion = "Unsupported format version";
    Bytes valid = saveDocument(*buildDocument({arithmeticLines}));
    Bytes wrongVersion = valid;
    wrongVersion[4] = 0x02;
    Bytes wrongMagic = valid;
    wrongMagic[3] = 0x12;
    Bytes magicOnly(valid.begin(), valid.begin() + 4);
    struct Case {
        const char* what;
        Bytes file;
        std::string text;
    } cases[] = {
        {"empty", {}, badFormat},
        {"three bytes", {0x01, 0x67, 0x11}, badFormat},
        {"wrong magic", wrongMagic, badFormat},
        {"wrong version", wrongVersion, badVersion},
        {"magic only", magicOnly, badVersion},
    };
    auto host = buildDocument({setLines});
    container* base = host->getBase();
    const std::string before = shape(*base);
    host->modified = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        EXPECT_FALSE(loadBytes(*host, c.file));
        EXPECT_EQ(events(), (Lines{beep16, errorBox(c.text)}));
        EXPECT_EQ(host->getBase(), base);
        EXPECT_EQ(shape(*base), before);
        EXPECT_EQ(base->getRoot(), host.get());
        EXPECT_TRUE(host->modified);
    }
}

// --- record bytes ---------------------------------------------------------------------------

TEST_F(StoreTest, FieldRecordIsCommonPartLengthAndText) {
    Bytes b = saveNode(field("ab"));
    ASSERT_EQ(b.size(), 70u);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 4), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(Bytes(b.begin() + 4, b.begin() + 8), (Bytes{16, 0, 0, 0}));         // height
    EXPECT_EQ(Bytes(b.begin() + 20, b.begin() + 24), (Bytes{0x90, 0x01, 0, 0}));  // weight 400
    EXPECT_EQ(std::string(b.begin() + 32, b.begin() + 39), std::string("System\0", 7));
    EXPECT_EQ(Bytes(b.begin() + 64, b.end()), (Bytes{2, 0, 0, 0, 'a', 'b'}));
    EXPECT_EQ(b, textRecord(typeId::field, "ab"));
}

TEST_F(StoreTest, CompositeRecords) {
    Bytes empty = saveNode(container());
    ASSERT_EQ(empty.size(), 68u);
    EXPECT_EQ(empty[0], typeId::container);
    EXPECT_EQ(Bytes(empty.end() - 4, empty.end()), (Bytes{0, 0, 0, 0}));

    // Operators store no positions.
    std::unique_ptr<sum> s(make<sum>({name("a"), name("b")}));
    Bytes sumBytes = saveNode(*s);
    EXPECT_EQ(sumBytes.size(), 64u + 4 + 2 * 69);
    EXPECT_EQ(sumBytes,
              groupRecord(typeId::sum, {textRecord(typeId::literal, "a"), textRecord(typeId::literal, "b")}));

    // Pages and plain containers store each member's left and top.
    for (container* c : {static_cast<container*>(new page(1, false)), new container()}) {
        std::unique_ptr<container> owner(c);
        nucleo* x = name("x");
        nucleo* y = name("y");
        c->add(*x);
        c->add(*y);
        x->moveTo(7, -3);
        y->moveTo(0, 40);
        EXPECT_EQ(saveNode(*c), placedRecord(c->type(), {{7, -3, textRecord(typeId::literal, "x")},
                                                         {0, 40, textRecord(typeId::literal, "y")}}));
    }

    // The name of a user function comes first, as the record of a literal.
    std::unique_ptr<userFunc> f(new userFunc("fn"));
    f->add(*name("t"));
    ASSERT_EQ(f->members(), 1);
    EXPECT_EQ(saveNode(*f), RecordWriter()
                                .common(typeId::userFunc)
                                .raw(textRecord(typeId::literal, "fn"))
                                .i32(1)
                                .raw(saveNode(*f->first()))
                                .bytes);
}

// The in-line fraction answers the stacked one's type id; its record tells
// them apart, and a record of id 35, as every file before held, still reads
// as a stacked fraction.
TEST_F(StoreTest, InLineFractionReadsBackInLine) {
    const Bytes x = textRecord(typeId::literal, "x");
    std::unique_ptr<fracao> inLine(make<fracao>({name("x"), name("x")}));
    EXPECT_EQ(saveNode(*inLine), groupRecord(inlineFractionRecordId, {x, x}));
    std::unique_ptr<quocient> stacked(make<quocient>({name("x"), name("x")}));
    EXPECT_EQ(saveNode(*stacked), groupRecord(typeId::quocient, {x, x}));

    auto loaded = [](const Bytes& record) {
        memStor in(record);
        std::unique_ptr<nucleo> n(algLoad(in));
        return n ? dumpTree(*n) : std::string("refused");
    };
    EXPECT_EQ(loaded(saveNode(*inLine)), dumpTree(*inLine));
    EXPECT_EQ(loaded(groupRecord(typeId::quocient, {x, x})), dumpTree(*stacked));
    EXPECT_EQ(loaded(groupRecord(typeId::sum, {saveNode(*inLine), saveNode(*stacked)})),
              "sum\n  fracao\n    literal \"x\"\n    literal \"x\"\n  quocient\n    literal \"x\"\n    "
              "literal \"x\"\n");
}

TEST_F(StoreTest, LeafRecords) {
    EXPECT_EQ(saveNode(variable("v", nullptr)),
              RecordWriter().common(typeId::variable).text("v").u8(0).bytes);
    EXPECT_EQ(
        saveNode(variable("w", num(4))),
        RecordWriter().common(typeId::variable).text("w").u8(1).raw(textRecord(typeId::nominal, "4")).bytes);

    EXPECT_EQ(saveNode(booleano(true)), RecordWriter().common(typeId::booleano).u8(1).bytes);
    EXPECT_EQ(saveNode(booleano(false)), RecordWriter().common(typeId::booleano).u8(0).bytes);
    EXPECT_EQ(saveNode(infinit(true)), RecordWriter().common(typeId::infinit, symbolLogfont()).u8(1).bytes);
    EXPECT_EQ(saveNode(infinit(false)), RecordWriter().common(typeId::infinit, symbolLogfont()).u8(0).bytes);

    EXPECT_EQ(saveNode(preference()), RecordWriter().common(typeId::preference).bytes);
    EXPECT_EQ(saveNode(nominal(2.5)), textRecord(typeId::nominal, "2.5"));
    EXPECT_EQ(saveNode(indefinicao()), textRecord(typeId::indefinicao, "Indefinido"));
}

// --- whole documents ------------------------------------------------------------------------

TEST_F(StoreTest, EveryClassSurvivesSaveAndLoad) {
    auto original = everyClassDocument();
    std::set<int> types;
    collectTypes(*original->getBase(), types);
    std::set<int> loadable;
    for (int id = typeId::field; id <= typeId::intersection; ++id)
        if (id != 33 && id != 47 && id != 56) loadable.insert(id);
    ASSERT_EQ(types, loadable) << "the sample document should hold every class a file can contain";

    original->modified = true;
    Bytes saved = saveDocument(*original);
    EXPECT_FALSE(original->modified);
    EXPECT_EQ(saved, RecordWriter().header().raw(saveNode(*original->getBase())).bytes);

    TestHost loaded;
    loaded.modified = true;
    ASSERT_TRUE(loadBytes(loaded, saved));
    EXPECT_TRUE(messages.events().empty()) << messages.log();
    EXPECT_FALSE(loaded.modified);
    EXPECT_EQ(loaded.getBase()->type(), typeId::page);
    EXPECT_EQ(shape(*loaded.getBase()), shape(*original->getBase()));
    expectRootEverywhere(*loaded.getBase(), &loaded);
    EXPECT_TRUE(sameBytes(saveDocument(loaded), saved));
}

TEST_F(StoreTest, RealFileRoundTrip) {
    char pattern[] = "/tmp/velmor-store-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path dir(pattern);
    const std::string path = (dir / "every-class.alg").string();

    auto original = everyClassDocument();
    {
        algStream out(path.c_str(), std::ios::out | std::ios::trunc);
        ASSERT_TRUE(out.is_open());
        ASSERT_TRUE(original->save(out));
    }
    std::ifstream raw(path, std::ios::binary);
    Bytes onDisk{std::istreambuf_iterator<char>(raw), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(sameBytes(onDisk, saveDocument(*original)));

    TestHost loaded;
    {
        algStream in(path.c_str(), std::ios::in);
        ASSERT_TRUE(in.is_open());
        ASSERT_TRUE(loaded.load(in));
    }
    EXPECT_TRUE(messages.events().empty()) << messages.log();
    EXPECT_EQ(shape(*loaded.getBase()), shape(*original->getBase()));
    std::filesystem::remove_all(dir);
}

TEST_F(StoreTest, NoFontOutlivesItsDocument) {
    const long before = liveFontCount();
    {
        auto original = everyClassDocument();
        Bytes saved = saveDocument(*original);
        TestHost loaded;
        ASSERT_TRUE(loadBytes(loaded, saved));
        ASSERT_TRUE(loadBytes(loaded, saved));                                  // replaces the first copy
        ASSERT_TRUE(loadBytes(loaded, Bytes(saved.begin(), saved.end() - 1)));  // abandoned
        ASSERT_TRUE(loadBytes(loaded, saved));
    }
    EXPECT_EQ(liveFontCount(), before);
}

// A loaded document holds one font per description, not one per node, and
// saves every node's font back as it was.
TEST_F(StoreTest, LoadedNodesShareTheirFonts) {
    auto original = buildDocument({arithmeticLines, leafLines});
    const Bytes saved = saveDocument(*original);
    const long before = liveFontCount();
    TestHost loaded;
    ASSERT_TRUE(loadBytes(loaded, saved));
    ASSERT_TRUE(loadBytes(loaded, saved));
    std::set<HFONT> distinct;
    long holders = 0;
    std::function<void(const nucleo&)> visit = [&](const nucleo& n) {
        distinct.insert(n.getFont());
        ++holders;
        const auto* c = dyn_cast<container>(&n);
        if (!c) return;
        for (const nucleo* inner : {static_cast<const nucleo*>(c->head()), static_cast<const nucleo*>(c->separator()),
                                    static_cast<const nucleo*>(c->tail())}) {
            distinct.insert(inner->getFont());
            ++holders;
        }
        for (const nucleo* m = c->first(); m && m->chained(); m = m->next()) visit(*m);
    };
    visit(*loaded.getBase());
    EXPECT_GT(holders, 4 * long(distinct.size()));
    EXPECT_LE(liveFontCount() - before, long(distinct.size()));
    EXPECT_TRUE(sameBytes(saveDocument(loaded), saved));
}

TEST_F(StoreTest, LoadingForgetsEverythingThatPointedIntoTheOldDocument) {
    auto host = buildDocument({arithmeticLines});
    Bytes saved = saveDocument(*host);
    nucleo* line = host->getBase()->first();
    nucleo* leafNode = static_cast<container*>(line)->first();
    host->selected.add(line);
    protocol::mouseOn = line;
    protocol::dropTarget = leafNode;
    leafNode->focusAt(0);
    ASSERT_EQ(host->focused(), leafNode);

    ASSERT_TRUE(loadBytes(*host, saved));
    EXPECT_TRUE(host->selected.empty());
    EXPECT_EQ(protocol::mouseOn, nullptr);
    EXPECT_EQ(protocol::dropTarget, nullptr);
    EXPECT_EQ(host->focused(), nullptr);
    EXPECT_TRUE(sameBytes(saveDocument(*host), saved));
}

// --- what loading makes of records ------------------------------------------------------------

TEST_F(StoreTest, LoadedLeavesShowTheirStoredState) {
    Bytes file = fileOf(placedRecord(
        typeId::container, {
                               {0, 0, RecordWriter().common(typeId::booleano).u8(1).bytes},
                               {0, 0, RecordWriter().common(typeId::booleano).u8(0).bytes},
                               {0, 0, RecordWriter().common(typeId::booleano).u8(7).bytes},
                               {0, 0, RecordWriter().common(typeId::infinit, symbolLogfont()).u8(1).bytes},
                               {0, 0, RecordWriter().common(typeId::infinit, symbolLogfont()).u8(0).bytes},
                               {0, 0, textRecord(typeId::nominal, "3.5")},
                               {0, 0, textRecord(typeId::nominal, "-2e3")},
                               {0, 0, RecordWriter().common(typeId::preference).bytes},
                               {0, 0, textRecord(typeId::field, "2x")},
                               {0, 0, textRecord(typeId::field, "False")},
                           }));
    TestHost host;
    ASSERT_TRUE(loadBytes(host, file));
    EXPECT_TRUE(messages.events().empty()) << messages.log();
    const container& base = *host.getBase();
    ASSERT_EQ(base.members(), 10);
    EXPECT_EQ(shape(*base[0]), leaf(typeId::booleano, "True"));
    EXPECT_TRUE(static_cast<booleano*>(base[0])->getValue());
    EXPECT_EQ(shape(*base[1]), leaf(typeId::booleano, "False"));
    EXPECT_EQ(shape(*base[2]), leaf(typeId::booleano, "True"));
    EXPECT_EQ(shape(*base[3]), leaf(typeId::infinit, "+\xA5"));
    EXPECT_EQ(shape(*base[4]), leaf(typeId::infinit, "-\xA5"));
    EXPECT_DOUBLE_EQ(static_cast<nominal*>(base[5])->getValue(), 3.5);
    std::unique_ptr<nucleo> copied(base[5]->copy());
    EXPECT_EQ(shape(*copied), leaf(typeId::nominal, "3.5"));
    EXPECT_DOUBLE_EQ(static_cast<nominal*>(base[6])->getValue(), -2000.0);
    EXPECT_EQ(shape(*base[7]), leaf(typeId::preference, "?"));
    // Stored text is not read again as if it had just been typed.
    EXPECT_EQ(shape(*base[8]), leaf(typeId::field, "2x"));
    EXPECT_EQ(shape(*base[9]), leaf(typeId::field, "False"));
}

// A loaded name is the one that was saved: taking the caret through it does
// not turn it into something else, as a freshly typed name would be.
TEST_F(StoreTest, LoadedTextIsNotValidatedAgain) {
    const Bytes x = textRecord(typeId::literal, "x");
    Bytes file = fileOf(placedRecord(typeId::container, {
                                                            {0, 0,
                                                             RecordWriter()
                                                                 .common(typeId::userFunc)
                                                                 .raw(textRecord(typeId::literal, "sinh"))
                                                                 .i32(1)
                                                                 .raw(x)
                                                                 .bytes},
                                                            {0, 0, textRecord(typeId::field, "3y")},
                                                        }));
    TestHost host;
    ASSERT_TRUE(loadBytes(host, file));
    const std::string loaded = shape(*host.getBase());
    auto* f = static_cast<userFunc*>(host.getBase()->first());
    ASSERT_EQ(f->type(), typeId::userFunc);
    for (nucleo* n : {static_cast<nucleo*>(f->head()), host.getBase()->last()}) {
        n->focusAt(1);
        ASSERT_EQ(host.focused(), n);
        EXPECT_TRUE(n->focusOut());
    }
    EXPECT_EQ(shape(*host.getBase()), loaded);
    EXPECT_EQ(f->name(), "sinh");
}

// Members load back where and as they were saved: the insertion rules that
// editing applies (flattening, parentheses for a logic operand, argument
// lists, a new left-hand side) would not rebuild what editing left. Only what
// no editing leaves is mended.
TEST_F(StoreTest, LoadedMembersStayAsSavedUnlessNoEditLeavesThem) {
    const Bytes x = textRecord(typeId::literal, "x");
    const std::string sx = leaf(typeId::literal, "x");
    auto id = [](int t) { return std::to_string(t); };
    struct Case {
        const char* what;
        Bytes root;
        std::string expected;
    } cases[] = {
        {"relation in a plain container",
         placedRecord(typeId::container, {{0, 0, groupRecord(typeId::equal, {x})}}),
         id(typeId::container) + "[" + id(typeId::simplification) + "[" + id(typeId::equal) + "[" + sx +
             "]]]"},
        {"sum in a multiplication",
         groupRecord(typeId::multiplication, {groupRecord(typeId::sum, {x, x}), x}),
         id(typeId::multiplication) + "[" + id(typeId::parentesis) + "[" + id(typeId::sum) + "[" + sx + "," +
             sx + "]]," + sx + "]"},
        {"sum in a sum", groupRecord(typeId::sum, {groupRecord(typeId::sum, {x, x}), x}),
         id(typeId::sum) + "[" + id(typeId::sum) + "[" + sx + "," + sx + "]," + sx + "]"},
        {"logic operator in a radical", groupRecord(typeId::radical, {groupRecord(typeId::logicAnd, {x, x})}),
         id(typeId::radical) + "[" + id(typeId::logicAnd) + "[" + sx + "," + sx + "]]"},
        {"relation in front of its directive",
         groupRecord(typeId::simplification, {groupRecord(typeId::equal, {x})}),
         id(typeId::simplification) + "[" + id(typeId::equal) + "[" + sx + "]]"},
        {"one value of a function", groupRecord(typeId::algSin, {groupRecord(typeId::sum, {x, x})}),
         id(typeId::algSin) + "[" + id(typeId::sum) + "[" + sx + "," + sx + "]]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestHost host;
        ASSERT_TRUE(loadBytes(host, fileOf(c.root)));
        EXPECT_EQ(shape(*host.getBase()), c.expected);
    }

    // A relation that its directive does not take is moved into one that
    // does, with the rest of the record as it was.
    TestHost host;
    ASSERT_TRUE(loadBytes(
        host, fileOf(groupRecord(typeId::simplification, {x, groupRecord(typeId::implication, {x})}))));
    EXPECT_EQ(shape(*host.getBase()), id(typeId::simplification) + "[" + sx + "," + id(typeId::resolution) +
                                          "[" + id(typeId::implication) + "[" + sx + "]]]");
}

// The top-left corners of the leaves below n, in chain order.
std::vector<std::pair<int, int>> leafCorners(const nucleo& n) {
    if (!n.isGroup()) return {{n.left(), n.top()}};
    std::vector<std::pair<int, int>> corners;
    auto& c = static_cast<const container&>(n);
    for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) {
        auto below = leafCorners(*m);
        corners.insert(corners.end(), below.begin(), below.end());
    }
    return corners;
}

// Positions in a file are page coordinates: a member nested in a placed
// container lands where its own record says, not shifted by its container's.
TEST_F(StoreTest, StoredPositionsAreAbsolute) {
    using Corners = std::vector<std::pair<int, int>>;
    const Bytes x = textRecord(typeId::literal, "x");
    const Bytes nested = fileOf(placedRecord(
        typeId::container, {{100, 200, placedRecord(typeId::container, {{7, 9, x}, {30, 9, x}})}}));
    TestHost host;
    ASSERT_TRUE(loadBytes(host, nested));
    EXPECT_EQ(leafCorners(*host.getBase()), (Corners{{7, 9}, {30, 9}}));
    const Bytes saved = saveDocument(host);
    TestHost again;
    ASSERT_TRUE(loadBytes(again, saved));
    EXPECT_TRUE(sameBytes(saveDocument(again), saved));

    // Coordinates no page reaches are brought back into range.
    const Bytes far = fileOf(
        placedRecord(typeId::container,
                     {{INT32_MAX, INT32_MIN,
                       placedRecord(typeId::container, {{INT32_MAX, INT32_MAX, x}, {INT32_MIN, 0, x}})}}));
    ASSERT_TRUE(loadBytes(host, far));
    EXPECT_TRUE(messages.events().empty()) << messages.log();
    EXPECT_EQ(leafCorners(*host.getBase()),
              (Corners{{maxStoredCoordinate, maxStoredCoordinate}, {-maxStoredCoordinate, 0}}));
}

// --- damaged and hostile files ------------------------------------------------------------------

TEST_F(StoreTest, TruncatedAtEveryOffset) {
    const Bytes file = saveDocument(*everyClassDocument());
    for (size_t length = 0; length < file.size(); ++length) {
        SCOPED_TRACE("truncated to " + std::to_string(length) + " bytes");
        messages.clear();
        TestHost host;
        container* before = host.getBase();
        bool loaded = loadBytes(host, Bytes(file.begin(), file.begin() + std::ptrdiff_t(length)));
        if (length < 8) {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(host.getBase(), before);
            EXPECT_EQ(
                events(),
                (Lines{beep16, errorBox(length < 4 ? "Bad file format" : "Unsupported format version")}));
            continue;
        }
        ASSERT_TRUE(loaded);
        ASSERT_EQ(events(), Lines{abandoned});
        EXPECT_TRUE(host.loadAborted());
        expectEmptyUsableDocument(host);
        if (HasFatalFailure()) return;
    }
    // The mark goes with the next load that reads everything.
    TestHost host;
    ASSERT_TRUE(loadBytes(host, Bytes(file.begin(), file.end() - 1)));
    EXPECT_TRUE(host.loadAborted());
    ASSERT_TRUE(loadBytes(host, file));
    EXPECT_FALSE(host.loadAborted());
}

TEST_F(StoreTest, LengthsAndCountsAreNotTrusted) {
    const Bytes x = textRecord(typeId::literal, "x");
    struct Case {
        const char* what;
        Bytes root;
    } cases[] = {
        {"huge text length",
         placedRecord(
             typeId::container,
             {{0, 0, RecordWriter().common(typeId::field).i32(0x7fffffff).text("only a few bytes").bytes}})},
        {"negative text length",
         groupRecord(typeId::sum, {RecordWriter().common(typeId::literal).i32(-1).text("x").bytes})},
        {"huge member count",
         RecordWriter().common(typeId::container).i32(0x7fffffff).i32(0).i32(0).raw(x).bytes},
        {"huge operator member count",
         RecordWriter().common(typeId::sum).i32(0x7fffffff).raw(x).raw(x).bytes},
        {"negative member count", RecordWriter().common(typeId::list).i32(-5).raw(x).bytes},
        {"huge name length",
         RecordWriter().common(typeId::userFunc).common(typeId::literal).i32(0x7ffffff0).bytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        TestHost host;
        {
            AddressSpaceCap cap(rlim_t(256) << 20);
            ASSERT_TRUE(loadBytes(host, fileOf(c.root)));
        }
        EXPECT_EQ(events(), Lines{abandoned});
        expectEmptyUsableDocument(host);
    }
}

// A font height no font has loads as the largest height there is, and the
// document is laid out and saved with it.
TEST_F(StoreTest, FontHeightsBeyondTheLimitLoadAsTheLargest) {
    for (LONG asked : {INT32_MAX, INT32_MIN}) {
        SCOPED_TRACE(asked);
        LOGFONTA lf = defaultLogfont();
        lf.lfHeight = asked;
        TestHost host;
        ASSERT_TRUE(loadBytes(host, fileOf(placedRecord(typeId::container,
                                                        {{10, 10, textRecord(typeId::literal, "ab", lf)}}))));
        EXPECT_TRUE(messages.events().empty()) << messages.log();
        nucleo* leaf = host.getBase()->first();
        LOGFONTA now{};
        GetObjectA(leaf->getFont(), sizeof now, &now);
        EXPECT_EQ(now.lfHeight, asked > 0 ? kMaxFontHeight : -kMaxFontHeight);
        EXPECT_EQ(leaf->getRect().Height(), kMaxFontHeight);
        EXPECT_EQ(leaf->getRect().Width(), 2 * (kMaxFontHeight / 2));
    }
}

TEST_F(StoreTest, UnknownTypeIdsAbandonTheLoad) {
    for (int id : {0, 33, 47, 56, 58, 59, 60, 61, 62, 64, 65, 1000, -1}) {
        SCOPED_TRACE("type id " + std::to_string(id));
        const Bytes unknown = textRecord(id, "x");
        const std::string reported =
            errorBox("unknown object type: " + std::to_string(id), "File/Format Error");
        for (const Bytes& root :
             {unknown, groupRecord(typeId::sum, {textRecord(typeId::literal, "a"), unknown})}) {
            messages.clear();
            TestHost host;
            ASSERT_TRUE(loadBytes(host, fileOf(root)));
            EXPECT_EQ(events(), (Lines{reported, abandoned}));
            expectEmptyUsableDocument(host);
        }
    }
}

TEST_F(StoreTest, RootRecordMustBeComposite) {
    for (const Bytes& root :
         {textRecord(typeId::literal, "x"), RecordWriter().common(typeId::booleano).u8(1).bytes,
          RecordWriter().common(typeId::variable).text("v").u8(0).bytes}) {
        messages.clear();
        TestHost host;
        ASSERT_TRUE(loadBytes(host, fileOf(root)));
        EXPECT_EQ(events(), Lines{abandoned});
        expectEmptyUsableDocument(host);
    }
}

// `levels` parentheses nested in each other around one literal.
Bytes nestedParentheses(int levels) {
    RecordWriter w;
    w.header();
    for (int i = 0; i < levels; ++i) w.common(typeId::parentesis).i32(1);
    w.raw(textRecord(typeId::literal, "x"));
    return w.bytes;
}

TEST_F(StoreTest, NestingDeeperThanTheLimitIsAbandoned) {
    TestHost host;
    ASSERT_TRUE(loadBytes(host, nestedParentheses(maxRecordDepth)));  // one record deeper than allowed
    EXPECT_NE(messages.log().find("nests deeper than 2000 levels"), std::string::npos) << messages.log();
    EXPECT_EQ(events().back(), abandoned);
    expectEmptyUsableDocument(host);

    messages.clear();
    ASSERT_TRUE(loadBytes(host, nestedParentheses(maxRecordDepth - 1)));  // exactly at the limit
    EXPECT_TRUE(messages.events().empty()) << messages.log();
    int depth = 1;
    for (const nucleo* n = host.getBase(); n->isGroup(); n = static_cast<const container*>(n)->first())
        ++depth;
    EXPECT_EQ(depth, maxRecordDepth);
}

TEST_F(StoreTest, FontFailureIsReportedAndTheLoadGoesOn) {
    auto original = buildDocument({arithmeticLines, leafLines});
    const Bytes saved = saveDocument(*original);
    const std::string expected = shape(*original->getBase());
    const long fontsBefore = liveFontCount();
    for (int budget : {0, 1, 5, 40}) {
        SCOPED_TRACE("fonts allowed: " + std::to_string(budget));
        messages.clear();
        {
            TestHost host;
            setFontCreationBudget(budget);
            ASSERT_TRUE(loadBytes(host, saved));
            setFontCreationBudget(-1);
            // Layout makes fonts too, and reports its own failures.
            Lines seen = events();
            EXPECT_NE(std::find(seen.begin(), seen.end(), fontProblem), seen.end());
            for (const std::string& e : seen) EXPECT_TRUE(e == fontProblem || e == layoutFontProblem) << e;
            EXPECT_EQ(shape(*host.getBase()), expected);
        }
        EXPECT_EQ(liveFontCount(), fontsBefore);
    }
}

// The named seeds of the loader fuzzer (*.alg) are small documents made from
// the samples above; the rest of its corpus is what fuzzing kept, damaged
// files among them. VELMOR_WRITE_SEEDS=1 rewrites the named seeds; either way
// each must load without a message and read back the same after saving it.
TEST_F(StoreTest, FuzzSeedsLoadCleanly) {
    const std::filesystem::path dir = std::filesystem::path(VELMOR_SOURCE_DIR) / "fuzz/corpus/loader_fuzz";
    if (const char* write = std::getenv("VELMOR_WRITE_SEEDS"); write && *write == '1') {
        std::filesystem::create_directories(dir);
        for (const SampleDocument& sample : sampleDocuments()) {
            Bytes bytes = saveDocument(*buildDocument({sample.fill}, sample.pageBase));
            std::ofstream((dir / (std::string(sample.name) + ".alg")).string(), std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        }
    }
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".alg") continue;
        SCOPED_TRACE(entry.path().string());
        std::ifstream in(entry.path(), std::ios::binary);
        Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_LT(bytes.size(), 4096u);
        messages.clear();
        TestHost host;
        ASSERT_TRUE(loadBytes(host, bytes));
        EXPECT_TRUE(messages.events().empty()) << messages.log();
        TestHost again;
        ASSERT_TRUE(loadBytes(again, saveDocument(host)));
        EXPECT_EQ(shape(*again.getBase()), shape(*host.getBase()));
        ++seeds;
    }
    EXPECT_GE(seeds, int(sampleDocuments().size()));
}

}  // namespace
