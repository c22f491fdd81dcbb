// References: one value shown in several places.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "algebra_trees.h"
#include "platform/messages.h"
#include "refs/reference.h"
#include "store/loader.h"
#include "store/stream.h"
#include "store_fixtures.h"
#include "test_host.h"
#include "tree_checks.h"

namespace tovimat::testing {
namespace {

using namespace trees;

class References : public ::testing::Test {
protected:
    // Puts n as a new line of the document and lays it out.
    nucleo* line(nucleo* n, int y) {
        n->moveTo(10, y);
        base()->linkLast(n);
        n->remeasure();
        return n;
    }
    container* base() { return host.getBase(); }
    std::string shape() { return sharedForm(*base()); }
    std::string problems() { return chainProblems(*base(), &host); }

    // Shares the value: its place keeps a reference, the new one is returned.
    reference* share(nucleo* value) {
        selector s(value);
        s.mkref();
        return static_cast<reference*>(s.getTarget());
    }

    MessageRecorder messages;
    TestHost host;
};

// line 1: reference #0 -> a + b      line 2: c · reference #0
TEST_F(References, SharingLeavesAReferenceInTheOldPlaceAndGivesAnother) {
    nucleo* value = line(S(L("a"), L("b")), 10);
    container* product = static_cast<container*>(line(M_(L("c")), 60));
    reference* other = share(value);
    ASSERT_FALSE(other->atached());
    ASSERT_TRUE(product->lput(*other));

    auto* first = static_cast<reference*>(base()->first());
    ASSERT_TRUE(first->isRef());
    EXPECT_TRUE(*first == *other);
    EXPECT_EQ(first->getBulk()->count(), 2);
    EXPECT_EQ(first->present(), first);
    EXPECT_EQ(value->parent(), first);
    EXPECT_EQ(problems(), "");
    EXPECT_EQ(shape(),
              "container\n"
              "  reference #0\n"
              "    sum\n"
              "      literal \"a\"\n"
              "      literal \"b\"\n"
              "  multiplication\n"
              "    literal \"c\"\n"
              "    reference #0\n");
    // Both places are as high as the value; the factor is wider by its parentheses.
    EXPECT_EQ(other->Height(), value->Height());
    EXPECT_GT(other->Width(), first->Width());
    EXPECT_EQ(first->Width(), value->Width());
}

TEST_F(References, EditingTheValueRelaysOutEveryPlace) {
    nucleo* value = line(S(L("a"), L("b")), 10);
    reference* other = share(value);
    line(other, 60);
    const LONG before = other->Width();

    // Give the presenting place a longer value: b becomes bcd.
    auto* b = static_cast<container*>(value)->last();
    auto* longer = new literal("bcd");
    longer->setChanged(false);
    ASSERT_TRUE(b->replaceWith(longer));

    EXPECT_GT(other->Width(), before);
    EXPECT_EQ(other->Width(), base()->first()->Width());
    EXPECT_EQ(problems(), "");
}

TEST_F(References, TheValueMovesToThePlaceBeingPaintedAndBack) {
    nucleo* value = line(S(L("a"), L("b")), 10);
    reference* other = share(value);
    line(other, 60);
    auto* first = static_cast<reference*>(base()->first());
    nucleo* a = static_cast<container*>(value)->first();
    a->focusRight();
    ASSERT_EQ(host.focused(), a);

    NominalDC dc;
    aRect all(0, 0, 1000, 1000);
    host.paint(&dc, all);

    // "a" was drawn in both places, and everything is back where it was.
    std::vector<int> tops;
    for (const DrawnText& t : dc.texts())
        if (t.bytes == "a") tops.push_back(t.y);
    EXPECT_EQ(tops, (std::vector<int>{10, 60}));
    EXPECT_EQ(first->present(), first);
    EXPECT_EQ(value->top(), 10);
    EXPECT_EQ(host.focused(), a);
    EXPECT_EQ(host.index, 1);
    EXPECT_EQ(problems(), "");
}

TEST_F(References, ACopyOfAnExpressionSharesItsReferences) {
    nucleo* value = line(S(L("a"), L("b")), 10);
    reference* other = share(value);
    container* holder = static_cast<container*>(line(M_(L("c")), 60));
    ASSERT_TRUE(holder->lput(*other));

    std::unique_ptr<nucleo> copied(holder->copy());
    auto* copiedRef = static_cast<container*>(copied.get())->last();
    ASSERT_TRUE(copiedRef->isRef());
    EXPECT_TRUE(*static_cast<reference*>(copiedRef) == *other);
    EXPECT_EQ(other->getBulk()->count(), 3);
    EXPECT_EQ(static_cast<reference*>(copiedRef)->members(), 0);  // the value is not duplicated

    copied.reset();
    EXPECT_EQ(other->getBulk()->count(), 2);
    EXPECT_EQ(problems(), "");
}

TEST_F(References, DeletingOneOfTwoTurnsTheOtherBackIntoThePlainValue) {
    for (bool deletePresenting : {false, true}) {
        SCOPED_TRACE(deletePresenting ? "deleting the presenting place" : "deleting the other place");
        TestHost doc;
        auto* value = S(L("a"), L("b"));
        value->moveTo(10, 10);
        doc.getBase()->linkLast(value);
        value->remeasure();
        reference* other = share(value);
        container* product = M_(L("c"));
        product->moveTo(10, 60);
        doc.getBase()->linkLast(product);
        ASSERT_TRUE(product->lput(*other));
        auto* first = static_cast<reference*>(doc.getBase()->first());

        delete (deletePresenting ? static_cast<nucleo*>(first) : other);

        EXPECT_EQ(bulk::alive(), 0);
        EXPECT_EQ(chainProblems(*doc.getBase(), &doc), "");
        // What remains holds the sum itself, in parentheses where it is a
        // factor (a product left with one factor becomes that factor).
        EXPECT_EQ(sharedForm(*doc.getBase()), deletePresenting ? "container\n"
                                                                 "  multiplication\n"
                                                                 "    literal \"c\"\n"
                                                                 "    parentesis\n"
                                                                 "      sum\n"
                                                                 "        literal \"a\"\n"
                                                                 "        literal \"b\"\n"
                                                               : "container\n"
                                                                 "  sum\n"
                                                                 "    literal \"a\"\n"
                                                                 "    literal \"b\"\n"
                                                                 "  literal \"c\"\n");
    }
}

TEST_F(References, ParenthesesOnlyWhereThePlaceBindsMoreTightly) {
    nucleo* value = line(S(L("a"), L("b")), 10);
    reference* inProduct = share(value);
    reference* inSum = new reference(inProduct->getBulk());
    container* product = static_cast<container*>(line(M_(L("c")), 60));
    container* total = static_cast<container*>(line(S(L("d")), 110));
    ASSERT_TRUE(product->lput(*inProduct));
    ASSERT_TRUE(total->lput(*inSum));

    auto text = [](reference* r) {
        return std::string(r->head()->getText(), size_t(r->head()->getLen())) + "|" +
               std::string(r->tail()->getText(), size_t(r->tail()->getLen()));
    };
    EXPECT_EQ(text(inProduct), "(|)");
    EXPECT_EQ(text(inSum), "|");
    EXPECT_EQ(text(static_cast<reference*>(base()->first())), "|");

    // Painted as a factor, the value is framed by the two parentheses.
    NominalDC dc;
    aRect all(0, 0, 1000, 1000);
    host.paint(&dc, all);
    std::vector<std::string> texts;
    for (const DrawnText& t : dc.texts())
        if (t.y >= 60 && t.y < 100) texts.push_back(t.bytes);
    EXPECT_EQ(texts, (std::vector<std::string>{"c", "\xd7", "(", "a", "+", "b", ")"}));
}

TEST_F(References, EqualityIsByValueIdentityAndIgualAComparesAsGroups) {
    nucleo* x = line(S(L("a"), L("b")), 10);
    nucleo* y = line(S(L("a"), L("b")), 60);
    reference* rx = share(x);
    reference* ry = share(y);
    reference* rx2 = new reference(rx->getBulk());
    std::unique_ptr<nucleo> own1(rx), own2(ry), own3(rx2);

    EXPECT_TRUE(*rx == *rx2);
    EXPECT_FALSE(*rx == *ry);  // equal values, two different shared values
    // As groups, the presenting places hold equal sums; a place without the
    // value holds nothing.
    auto* px = static_cast<reference*>(base()->first());
    auto* py = static_cast<reference*>(base()->last());
    EXPECT_TRUE(px->igualA(py));
    EXPECT_FALSE(px->igualA(rx2));
}

TEST_F(References, AValueIsNeverShownInsideItself) {
    nucleo* value = line(S(L("a"), L("b")), 10);
    reference* other = share(value);
    ASSERT_FALSE(static_cast<container*>(value)->lput(*other));
    EXPECT_EQ(messages.log(), "! message \"Debug\" \"container::atachIt => Auto-Derivation\"\n");

    // Nor through another value: x shows y, so y may not show x.
    nucleo* second = line(M_(L("c"), L("d")), 60);
    reference* otherSecond = share(second);
    ASSERT_TRUE(static_cast<container*>(value)->lput(*otherSecond));
    messages.clear();
    EXPECT_FALSE(static_cast<container*>(second)->lput(*other));
    EXPECT_EQ(messages.boxes(), 1);
    delete other;
    EXPECT_EQ(problems(), "");
}

TEST_F(References, DeletingTheValueLeavesAnEmptySlotInEveryPlace) {
    nucleo* value = line(S(L("a"), L("b")), 10);
    reference* other = share(value);
    line(other, 60);

    delete value;

    EXPECT_EQ(shape(),
              "container\n"
              "  reference #0\n"
              "    field \"\"\n"
              "  reference #0\n");
    EXPECT_EQ(problems(), "");
}

TEST_F(References, ItsValueIsWhatIsCalculated) {
    nucleo* two = line(N(2), 10);
    reference* other = share(two);
    std::unique_ptr<container> total(S(other, N(3)));
    results r = total->calculate();
    std::unique_ptr<nucleo> value = std::move(r.value);
    ASSERT_TRUE(value);
    EXPECT_EQ(std::string(value->getText(), size_t(value->getLen())), "5");
}

// --- saving and loading ------------------------------------------------------------------------

class StoredReferences : public References {
protected:
    // Saves the document and loads it into a new one.
    std::unique_ptr<TestHost> reload() {
        memStor bytes;
        EXPECT_TRUE(host.save(bytes));
        bytes.rewind();
        auto loaded = std::make_unique<TestHost>();
        EXPECT_TRUE(loaded->load(bytes));
        return loaded;
    }
};

TEST_F(StoredReferences, ASavedDocumentLoadsWithItsSharing) {
    nucleo* value = line(S(L("a"), L("b")), 10);
    reference* other = share(value);
    container* product = static_cast<container*>(line(M_(L("c")), 60));
    ASSERT_TRUE(product->lput(*other));
    nucleo* unshared = line(S(L("a"), L("b")), 110);
    reference* third = share(unshared);
    third->moveTo(10, 160);
    base()->linkLast(third);
    // The second place presents the first value when the document is saved.
    other->recall();

    std::unique_ptr<TestHost> loaded = reload();
    EXPECT_EQ(sharedForm(*loaded->getBase()), shape());
    EXPECT_EQ(chainProblems(*loaded->getBase(), loaded.get()), "");
    auto* l1 = static_cast<reference*>(loaded->getBase()->first());
    auto* l2 = static_cast<reference*>(static_cast<container*>(l1->next())->last());
    auto* l3 = static_cast<reference*>(l1->next()->next());
    EXPECT_TRUE(*l1 == *l2);
    EXPECT_FALSE(*l1 == *l3);
    EXPECT_EQ(l1->getBulk()->count(), 2);
    // Laid out from the loaded value: the factor has its parentheses.
    EXPECT_EQ(l2->Height(), l1->Height());
    EXPECT_GT(l2->Width(), l1->Width());
}

TEST_F(StoredReferences, TheValueIsStoredOnce) {
    nucleo* value = line(S(L("alpha"), L("beta")), 10);
    reference* other = share(value);
    line(other, 60);
    memStor bytes;
    ASSERT_TRUE(host.save(bytes));
    const std::string raw(bytes.bytes().begin(), bytes.bytes().end());
    int stored = 0;
    for (size_t at = raw.find("alpha"); at != std::string::npos; at = raw.find("alpha", at + 1)) ++stored;
    EXPECT_EQ(stored, 1);
}

// Hostile reference records abandon the load and leave an empty document.
TEST_F(StoredReferences, BrokenReferenceRecordsAbandonTheLoad) {
    const Bytes a = textRecord(typeId::literal, "a");
    auto ref = [](int count, const std::vector<Bytes>& members, int number) {
        RecordWriter w;
        w.common(typeId::reference).i32(count);
        for (const Bytes& m : members) w.raw(m);
        w.i32(number);
        return w.bytes;
    };
    struct Case {
        const char* what;
        Bytes root;
    };
    const Case cases[] = {
        {"two members", groupRecord(typeId::list, {ref(2, {a, a}, 0)})},
        {"no value for its number", groupRecord(typeId::list, {ref(0, {}, 7)})},
        {"two values for one number", groupRecord(typeId::list, {ref(1, {a}, 0), ref(1, {a}, 0)})},
        {"a reference as the value", groupRecord(typeId::list, {ref(1, {ref(1, {a}, 1)}, 0)})},
        {"a value shown inside itself",
         groupRecord(typeId::list, {ref(1, {groupRecord(typeId::sum, {a, ref(0, {}, 0)})}, 0)})},
        {"two values showing each other",
         groupRecord(typeId::list, {ref(1, {groupRecord(typeId::sum, {a, ref(0, {}, 1)})}, 0),
                                    ref(1, {groupRecord(typeId::sum, {a, ref(0, {}, 0)})}, 1)})},
        {"cut short after the value", Bytes{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes root = c.root;
        if (root.empty()) {
            root = groupRecord(typeId::list, {ref(1, {a}, 0)});
            root.resize(root.size() - 2);
        }
        messages.clear();
        TestHost doc;
        memStor bytes(fileOf(root));
        ASSERT_TRUE(doc.load(bytes));
        EXPECT_EQ(messages.events().back().text, "Problem loading file\r\nLoader aborted!");
        EXPECT_EQ(doc.getBase()->members(), 0);
        EXPECT_EQ(bulk::alive(), 0);
    }
    // The same records, sound: a value with two places.
    TestHost doc;
    memStor bytes(fileOf(groupRecord(typeId::list, {ref(0, {}, 5), ref(1, {a}, 5)})));
    ASSERT_TRUE(doc.load(bytes));
    EXPECT_EQ(sharedForm(*doc.getBase()),
              "list\n"
              "  reference #0\n"
              "    literal \"a\"\n"
              "  reference #0\n");
    EXPECT_EQ(chainProblems(*doc.getBase(), &doc), "");
}

}  // namespace
}  // namespace tovimat::testing
