// The dry run of the example rule file (examples/rules.vlm) on one long
// line, against Test Rule on the same line:
//
//   TestRule   applyRules with the whole rule file: the first match only
//   DryRun     every rule at every place, with the values of the rules'
//              names and what each match gives (velmor::dryRunRules)
//
// The line is a sum of N terms (N = 1,000 / 10,000) that starts with
// sin(v)^2 + (-(sin(v)^2)) + cos(v)^2 + 0, so that the rules about whole
// sums (x + 0, x + (-x), sin^2 x + cos^2 x) find their members among the
// first ones, followed by
//   dense:   t1 * 1, t2^1, t3 / 1, t4, t5 * 1, ... (three terms in four match)
//   sparse:  t1, t2, t3, ... (no term matches)
// Each benchmark reports its time as a multiple of Test Rule's on the same
// line, counter "x_test_rule", measured in the same run. Both are the
// thread's CPU time, which a busy machine disturbs less than the clock.
//
// A sum rule without a constant (x + (-x)) tries the pairs of members in
// order until one matches, so on a long sum where it matches late or never
// both Test Rule (when it comes to that rule) and the dry run take time
// that grows with the square of the line's length.
#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>

#include "core/rule_explain.h"
#include "core/rule_file.h"
#include "platform/messages.h"
#include "text/linear_reader.h"

namespace {

using namespace tovimat;

// The CPU time of this thread, in seconds.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Quiet : MessageSink {
    void beep(UINT) override {}
    int messageBox(const char*, const char*, UINT) override { return IDOK; }
};

std::unique_ptr<container> exampleRules() {
    std::string error;
    std::unique_ptr<container> rules = velmor::readRuleFile(VELMOR_SOURCE_DIR "/examples/rules.vlm", error);
    if (!rules) throw std::runtime_error(error);
    return rules;
}

std::unique_ptr<container> longLine(int n, bool dense) {
    std::string text = "sin(v)^2 + (-(sin(v)^2)) + cos(v)^2 + 0";
    const char* shapes[] = {" * 1", "^1", " / 1", ""};
    for (int i = 1; i + 4 <= n; ++i) text += " + t" + std::to_string(i) + (dense ? shapes[i % 4] : "");
    linearReading reading = readLinear(text);
    if (!reading || !reading.tree->isGroup()) throw std::runtime_error("the long line does not read");
    return std::unique_ptr<container>(static_cast<container*>(reading.tree.release()));
}

double secondsOfTestRule(container& rules, container& line) {
    constexpr int runs = 5;
    const double start = cpuSeconds();
    for (int i = 0; i < runs; ++i) {
        results r = line.applyRules(&rules, nullptr);
        benchmark::DoNotOptimize(r.changes);
    }
    return (cpuSeconds() - start) / runs;
}

template <class Run>
void timed(benchmark::State& state, const Run& run) {
    Quiet quiet;
    MessageSink* previous = setMessageSink(&quiet);
    std::unique_ptr<container> rules = exampleRules();
    std::unique_ptr<container> line = longLine(int(state.range(0)), state.range(1) != 0);
    const double baseline = secondsOfTestRule(*rules, *line);
    double total = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        run(*rules, *line);
        total += cpuSeconds() - start;
    }
    state.counters["x_test_rule"] = total / double(state.iterations()) / baseline;
    state.counters["test_rule_ms"] = baseline * 1000;
    setMessageSink(previous);
}

void TestRule(benchmark::State& state) {
    timed(state, [&](container& rules, container& line) {
        results r = line.applyRules(&rules, nullptr);
        benchmark::DoNotOptimize(r.changes);
    });
}

void DryRun(benchmark::State& state) {
    std::size_t matches = 0;
    timed(state, [&](container& rules, container& line) {
        const velmor::RuleDryRun run = velmor::dryRunRules(rules, line);
        matches = run.matches.size();
    });
    state.counters["matches"] = double(matches);
}

// Arguments: the number of terms, then 1 for the dense line, 0 for the sparse.
void lines(benchmark::internal::Benchmark* b) {
    b->ArgNames({"terms", "dense"});
    for (int dense : {1, 0})
        for (int n : {1000, 10000}) b->Args({n, dense});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(TestRule)->Apply(lines);
BENCHMARK(DryRun)->Apply(lines);

}  // namespace
