// The algebra on long expressions, N = 1,000 / 10,000 / 100,000 members:
//
//   CalculateNumbers    Calculate on 1 + 2 + ... (a sum of N numbers)
//   CalculateMixed      Calculate on 1 + a1 + 2 + a2 + ... (numbers and names)
//   Distribute          a·(x1 + ... + xN) into a·x1 + ... + a·xN
//   RuleZero            Test Rule with x + 0 = x on a1 + ... + a(N-1) + 0
//   RuleZeroNoMatch     the same rule on a sum without a 0 (nothing applies)
//
// Each job is timed twice: the algebra operation alone, and the whole command
// on a laid-out line of a document (the operation, then the commit that makes
// the result part of the line, laid out). Every benchmark also times building its input tree and reports
// its time as a multiple of that, counter "x_build", so runs on different
// machines compare.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "cpu_clock.h"
#include "model/document.h"
#include "platform/messages.h"
#include "platform/nominal_dc.h"
#include "support/headless_host.h"

namespace {

using namespace tovimat;
using Clock = velmor::bench::ThreadCpuClock;

struct Quiet : MessageSink {
    void beep(UINT) override {}
    int messageBox(const char*, const char*, UINT) override { return IDOK; }
};

// The document the whole command commits into: a root without windows.
using BenchHost = velmor::support::HeadlessHost;

nucleo* name(const std::string& s) {
    auto* l = new literal(s.c_str());
    l->setChanged(false);
    return l;
}

container* numberSum(int n) {
    auto* s = new sum();
    for (int i = 1; i <= n; ++i) s->linkLast(new nominal(double(i)));
    return s;
}

container* mixedSum(int n) {
    auto* s = new sum();
    for (int i = 1; i <= n; ++i)
        s->linkLast(i % 2 ? static_cast<nucleo*>(new nominal(double(i))) : name("a" + std::to_string(i)));
    return s;
}

container* productOverSum(int n) {
    auto* terms = new sum();
    for (int i = 1; i <= n; ++i) terms->linkLast(name("x" + std::to_string(i)));
    auto* p = new parentesis();
    p->linkLast(terms);
    auto* product = new multiplication();
    product->linkLast(name("a"));
    product->linkLast(p);
    return product;
}

container* sumWithZero(int n, bool zero) {
    auto* s = new sum();
    for (int i = 1; i < n; ++i) s->linkLast(name("a" + std::to_string(i)));
    s->linkLast(zero ? static_cast<nucleo*>(new nominal(0.0)) : name("a" + std::to_string(n)));
    return s;
}

// The rule set of a rule file holding x + 0 = x.
container* zeroRule() {
    auto* pattern = new sum();
    pattern->linkLast(name("x"));
    pattern->linkLast(new nominal(0.0));
    auto* rel = new equal();
    rel->linkLast(name("x"));
    auto* rule = new simplification();
    rule->linkLast(pattern);
    rule->linkLast(rel);
    auto* rules = new container("", "", "");
    rules->linkLast(rule);
    return rules;
}

using Build = std::function<container*(int)>;
using Operation = std::function<results(container*)>;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The cheapest of a few builds of the input: the baseline of the ratio.
double buildTime(const Build& build, int n) {
    double best = 1e300;
    for (int i = 0; i < 3; ++i) {
        auto t0 = Clock::now();
        std::unique_ptr<container> tree(build(n));
        best = std::min(best, seconds(Clock::now() - t0));
    }
    return best;
}

// The operation on a tree that stays unchanged; only the operation is timed.
void runOperation(benchmark::State& state, const Build& build, const Operation& op) {
    Quiet quiet;
    MessageSink* previous = setMessageSink(&quiet);
    const int n = int(state.range(0));
    const double baseline = buildTime(build, n);
    std::unique_ptr<container> tree(build(n));
    double total = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        results r = op(tree.get());
        const double t = seconds(Clock::now() - t0);
        if (r.changes == 0 && state.range(1) == 1) state.SkipWithError("the operation changed nothing");
        state.SetIterationTime(t);
        total += t;
    }
    state.counters["x_build"] = total / double(state.iterations()) / baseline;
    setMessageSink(previous);
}

// The whole command on a line of a fresh document: operation and commit.
void runCommand(benchmark::State& state, const Build& build, const Operation& op) {
    Quiet quiet;
    MessageSink* previous = setMessageSink(&quiet);
    const int n = int(state.range(0));
    const double baseline = buildTime(build, n);
    double total = 0;
    for (auto _ : state) {
        BenchHost doc;
        container* line = build(n);
        doc.getBase()->linkLast(line);
        // On the screen the line is laid out before any command reaches it.
        doc.remeasureOn(line);
        doc.setFocused(line);
        auto t0 = Clock::now();
        results r = op(line);
        doc.chkPass(r);
        const double t = seconds(Clock::now() - t0);
        state.SetIterationTime(t);
        total += t;
    }
    state.counters["x_build"] = total / double(state.iterations()) / baseline;
    setMessageSink(previous);
}

results calculateOrDistribute(container* c) {
    results r = c->calculate();
    if (r.changes) return r;
    return c->distribute();
}

const Operation calculate = calculateOrDistribute;
const Operation distribute = [](container* c) { return c->distribute(); };

Operation testRule() {
    auto rules = std::shared_ptr<container>(zeroRule());
    return [rules](container* c) { return c->applyRules(rules.get(), nullptr); };
}

void CalculateNumbers(benchmark::State& s) { runOperation(s, numberSum, calculate); }
void CalculateMixed(benchmark::State& s) { runOperation(s, mixedSum, calculate); }
void Distribute(benchmark::State& s) { runOperation(s, productOverSum, distribute); }
void RuleZero(benchmark::State& s) { runOperation(s, [](int n) { return sumWithZero(n, true); }, testRule()); }
void RuleZeroNoMatch(benchmark::State& s) {
    runOperation(s, [](int n) { return sumWithZero(n, false); }, testRule());
}

void CommandCalculateNumbers(benchmark::State& s) { runCommand(s, numberSum, calculate); }
void CommandCalculateMixed(benchmark::State& s) { runCommand(s, mixedSum, calculate); }
void CommandDistribute(benchmark::State& s) { runCommand(s, productOverSum, calculate); }
void CommandRuleZero(benchmark::State& s) { runCommand(s, [](int n) { return sumWithZero(n, true); }, testRule()); }

// Input sizes; the second argument says whether the operation must change something.
void sizes(benchmark::internal::Benchmark* b, int mustChange) {
    for (int n : {1000, 10000, 100000}) b->Args({n, mustChange});
    b->UseManualTime()->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(CalculateNumbers)->Apply([](auto* b) { sizes(b, 1); });
BENCHMARK(CalculateMixed)->Apply([](auto* b) { sizes(b, 1); });
BENCHMARK(Distribute)->Apply([](auto* b) { sizes(b, 1); });
BENCHMARK(RuleZero)->Apply([](auto* b) { sizes(b, 1); });
BENCHMARK(RuleZeroNoMatch)->Apply([](auto* b) { sizes(b, 0); });
BENCHMARK(CommandCalculateNumbers)->Apply([](auto* b) { sizes(b, 1); });
BENCHMARK(CommandCalculateMixed)->Apply([](auto* b) { sizes(b, 1); });
BENCHMARK(CommandDistribute)->Apply([](auto* b) { sizes(b, 1); });
BENCHMARK(CommandRuleZero)->Apply([](auto* b) { sizes(b, 1); });
