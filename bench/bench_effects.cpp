// One animation step of each base lighting effect over a full keyboard frame
// (127 LEDs), and the encoding of that frame for the device. The animation
// thread runs a step about every 5 ms, so anything near a microsecond is
// noise beside the USB transfer.

#include "device/lighting/base_effects.h"
#include "device/lighting/led_frame.h"

#include <benchmark/benchmark.h>

#include <cstddef>

namespace {

using namespace talven::lighting;

constexpr size_t kLeds = 127;

LightParams benchParams() {
    LightParams params;
    params.light = 3;
    params.speed = 4;
    params.fx = 1;
    params.multiColor = 1;
    params.red = 200;
    params.green = 100;
    params.blue = 50;
    return params;
}

void effectStep(benchmark::State& bench, EffectStep step) {
    LedFrame frame(kLeds);
    const LightParams params = benchParams();
    AnimationState state;
    // Advance the clock past a blink period every step so the blink effects
    // toggle each time (their most expensive path).
    uint32_t nowMs = 0;
    for (auto _ : bench) {
        nowMs += blinkPeriodMs(params.speed);
        step(frame, params, state, nowMs);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    bench.SetItemsProcessed(static_cast<int64_t>(bench.iterations() * kLeds));
}

void encodeFrame(benchmark::State& bench) {
    LedFrame frame(kLeds);
    AnimationState state;
    effectSpectrumCycle(frame, benchParams(), state, 0);
    for (auto _ : bench) {
        LightFrameBuffer buffer = encodeLightFrame(frame);
        benchmark::DoNotOptimize(buffer.bytes.data());
    }
    bench.SetItemsProcessed(static_cast<int64_t>(bench.iterations() * kLeds));
}

const bool registered = [] {
    for (const auto& entry : kBaseEffects)
        benchmark::RegisterBenchmark(entry.name, effectStep, entry.step);
    benchmark::RegisterBenchmark("encodeLightFrame", encodeFrame);
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
