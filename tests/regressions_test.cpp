// Faults found by fuzzing and random editing, each named after what it catches.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "model/document.h"
#include "model/dump.h"
#include "refs/reference.h"
#include "store/stream.h"
#include "test_host.h"

namespace tovimat {
namespace {

using testing::TestHost;

TEST(Regression, ReadOnlyUserFunctionDoesNotBounceBetweenNameAndFunction) {
    userFunc f("f");
    f.setReadOnly(true);
    EXPECT_TRUE(f.isReadOnly());
    EXPECT_TRUE(f.head()->isReadOnly());
    f.setReadOnly(false);
    EXPECT_FALSE(f.head()->isReadOnly()) << "the name is editable again";
}

TEST(Regression, EmptyContainerInsideAListLaysOutWithoutOverflow) {
    TestHost host(new page(1, false));
    auto* l = new list();
    l->linkLast(new container("", "", ""));
    l->moveTo(20, 30);
    host.getBase()->linkLast(l);
    host.remeasureOn(host.getBase());
    const nucleo* empty = l->first();
    EXPECT_EQ(empty->Width(), 0);
    EXPECT_EQ(empty->Height(), 0);
    EXPECT_GE(l->Height(), 0);
    EXPECT_LT(l->right(), 1000);
}

TEST(Regression, SumRefusedByAnUnattachedNegationIsNotLeaked) {
    MessageRecorder quiet;
    negation neg;
    neg.add(*new literal("x"));
    auto* s = new sum(*new literal("a"), *new literal("b"));
    if (!neg.add(*s) && !s->atached()) delete s;
    EXPECT_EQ(neg.members(), 1);
}

// The insertion rules may wrap a node (an argument list, parentheses)
// before placing it; when the place then refuses it, the node must come
// out of every wrapper again instead of being deleted with them.
TEST(Regression, NodeRefusedByAUserFunctionStaysTheCallers) {
    MessageRecorder quiet;
    userFunc f("f");
    literal elsewhere("y");
    auto* s = new sum(*new literal("a"), *new literal("b"));
    EXPECT_FALSE(f.entre(s, f.head(), &elsewhere));
    EXPECT_FALSE(s->atached());
    EXPECT_EQ(s->members(), 2);
    EXPECT_EQ(f.members(), 0);
    delete s;
}

// A damaged file whose shared value holds a place refused as a cycle
// ("Auto-Derivation"), right before the load aborts: everything read so far,
// the shared values included, is freed (the sanitizer build checks leaks).
TEST(Regression, LoadAbortedInsideASharedValueFreesWhatWasRead) {
    MessageRecorder quiet;
    std::ifstream file(std::string(VELMOR_SOURCE_DIR) + "/tests/data/load_aborted_inside_shared_value.vlm",
                       std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());
    const int bulksBefore = bulk::alive();
    {
        TestHost host;
        memStor in(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        host.load(in);
        EXPECT_NE(quiet.log().find("Loader aborted"), std::string::npos);
    }
    EXPECT_EQ(bulk::alive(), bulksBefore);
}

TEST(Regression, DeletedNodeLeavesNoSharedPointerBehind) {
    TestHost host;
    auto* n = new literal("x");
    host.getBase()->lput(*n);
    protocol::mouseOn = n;
    protocol::dropTarget = n;
    host.selected.add(n);
    delete n;
    EXPECT_EQ(protocol::mouseOn, nullptr);
    EXPECT_EQ(protocol::dropTarget, nullptr);
    EXPECT_TRUE(host.selected.empty());
}

TEST(Regression, ContainerGivenItsOwnFontKeepsAUsableFont) {
    auto* m = new multiplication(*new literal("a"), *new literal("b"));
    m->setFont(m->getFont());
    LOGFONTA lf{};
    EXPECT_EQ(GetObjectA(m->getFont(), sizeof lf, &lf), int(sizeof lf));
    delete m;
}

}  // namespace
}  // namespace tovimat
