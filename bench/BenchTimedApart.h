#pragma once
// The engine against a hand-written baseline in one run: one of each per iteration, timed
// apart, so that both see the same load on a shared machine. The counter "ratio" is the
// engine's total time over the baseline's; the result is the engine's total in milliseconds.
#include <benchmark/benchmark.h>

#include <chrono>

template <class Engine, class Baseline>
double TimeApart(benchmark::State& state, Engine engine, Baseline baseline)
{
    using Clock = std::chrono::steady_clock;
    Clock::duration engineTime{}, baselineTime{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        engine();
        const auto t1 = Clock::now();
        baseline();
        const auto t2 = Clock::now();
        engineTime += t1 - t0;
        baselineTime += t2 - t1;
    }
    state.counters["ratio"] =
        double(engineTime.count()) / double(baselineTime.count() > 0 ? baselineTime.count() : 1);
    return std::chrono::duration<double, std::milli>(engineTime).count();
}
