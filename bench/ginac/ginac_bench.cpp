// The four algebra workloads of algebra_bench.cpp done by GiNaC, for a
// comparison in one process run: this file is linked into one program with
// algebra_bench.cpp, so its report lists the engine's figures and GiNaC's for
// the same sizes side by side. Built only when GiNaC is installed.
//
//   GinacCalculateNumbers  1 + 2 + ... + N evaluated to one number
//   GinacCalculateMixed    1 + a1 + 2 + a2 + ... (numbers gathered, names kept)
//   GinacDistribute        a·(x1 + ... + xN) expanded
//   GinacRuleZero          a1 + ... + a(N-1) + 0: GiNaC drops the 0 when it
//                          evaluates the sum, which is where x + 0 = x applies
//
// The terms are made before the clock starts, as the engine's input tree is.
#include <benchmark/benchmark.h>
#include <ginac/ginac.h>

#include <chrono>
#include <string>
#include <vector>

#include "cpu_clock.h"

namespace {

using Clock = velmor::bench::ThreadCpuClock;

std::vector<GiNaC::symbol> symbols(const char* stem, int n) {
    std::vector<GiNaC::symbol> s;
    s.reserve(size_t(n));
    for (int i = 1; i <= n; ++i) s.emplace_back(stem + std::to_string(i));
    return s;
}

template <typename Work>
void timed(benchmark::State& state, Work work) {
    for (auto _ : state) {
        auto t0 = Clock::now();
        GiNaC::ex result = work();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
        benchmark::DoNotOptimize(result.nops());
    }
}

void GinacCalculateNumbers(benchmark::State& state) {
    const int n = int(state.range(0));
    GiNaC::exvector terms;
    for (int i = 1; i <= n; ++i) terms.push_back(GiNaC::numeric(i));
    timed(state, [&] { return GiNaC::ex(GiNaC::add(terms)); });
}

void GinacCalculateMixed(benchmark::State& state) {
    const int n = int(state.range(0));
    const std::vector<GiNaC::symbol> a = symbols("a", n);
    GiNaC::exvector terms;
    for (int i = 1; i <= n; ++i)
        terms.push_back(i % 2 ? GiNaC::ex(GiNaC::numeric(i)) : GiNaC::ex(a[size_t(i - 1)]));
    timed(state, [&] { return GiNaC::ex(GiNaC::add(terms)); });
}

void GinacDistribute(benchmark::State& state) {
    const int n = int(state.range(0));
    const std::vector<GiNaC::symbol> x = symbols("x", n);
    GiNaC::exvector terms(x.begin(), x.end());
    const GiNaC::symbol a("a");
    const GiNaC::ex product = a * GiNaC::ex(GiNaC::add(terms));
    timed(state, [&] { return GiNaC::expand(product); });
}

void GinacRuleZero(benchmark::State& state) {
    const int n = int(state.range(0));
    const std::vector<GiNaC::symbol> a = symbols("a", n - 1);
    GiNaC::exvector terms(a.begin(), a.end());
    terms.push_back(GiNaC::numeric(0));
    timed(state, [&] { return GiNaC::ex(GiNaC::add(terms)); });
}

void sizes(benchmark::internal::Benchmark* b) {
    for (int n : {1000, 10000, 100000}) b->Arg(n);
    b->UseManualTime()->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(GinacCalculateNumbers)->Apply(sizes);
BENCHMARK(GinacCalculateMixed)->Apply(sizes);
BENCHMARK(GinacDistribute)->Apply(sizes);
BENCHMARK(GinacRuleZero)->Apply(sizes);
