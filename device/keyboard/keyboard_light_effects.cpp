// The keyboard preview's grid modes: waves across the columns, the rings and
// the sweep, the static ones, and the animations of modes 13 to 19.

#include "device/keyboard/keyboard_light_effects.h"

#include "device/keyboard/keyboard_light_tables.h"

#include <algorithm>

namespace talven::keyboard::effects {

using lighting::Rgb;

namespace {

constexpr Rgb kRed{255, 0, 0};

// Spectrum positions between neighbouring columns (mode 0) and sweep keys
// (mode 3), and wave positions likewise.
constexpr uint8_t kColumnSpacing = 7;
constexpr uint8_t kSweepSpacing = 5;
// Mode 1 walks the wave 3 positions per step, 23 apart per column; mode 2 2
// positions per step, 11 apart per ring.
constexpr uint8_t kColumnWaveMove = 3;
constexpr uint8_t kColumnWavePhase = 23;
constexpr uint8_t kRingWaveMove = 2;
constexpr uint8_t kRingWavePhase = 11;

// Mode 13: each column's drop falls through six rows of keys and three of
// sky, one row every four steps; the offsets scatter the drops.
constexpr uint8_t kRainCycle = 9;
constexpr uint8_t kRainStepsPerRow = 4;
constexpr std::array<uint8_t, kGridColumns> kRainOffsets = {0, 5, 2, 7, 3, 8, 1, 6, 4, 0, 7, 2,
                                                            5, 8, 3, 6, 1, 4, 7, 2, 8, 5, 0};
constexpr std::array<uint8_t, 3> kRainTail = {255, 110, 40};
// Mode 14: a new star every three steps; stars fade by 4 a step.
constexpr uint8_t kStepsPerStar = 3;
constexpr uint8_t kStarFade = 4;
// Mode 15: the breath of each ring lags the one inside it.
constexpr uint8_t kRingPulseLag = 10;
// Mode 16: the snake's head and tail.
constexpr std::array<uint8_t, 8> kSnakeTail = {255, 200, 150, 110, 70, 40, 20, 7};
// Mode 18: the comet moves one column every three steps.
constexpr uint8_t kCometStepsPerColumn = 3;
// Mode 19: the scanner's bar, centre first.
constexpr std::array<uint8_t, 3> kScannerBar = {255, 110, 30};

uint8_t level(const lighting::LightParams& params) { return lighting::brightnessForLevel(params.light); }

Rgb spectrumOrUser(const lighting::LightParams& params, size_t position) {
    return params.multiColor ? lighting::spectrumColour(static_cast<uint8_t>(position % lighting::kSpectrumSize))
                             : lighting::userColour(params);
}

// Modes 1 and 2 move their wave inside 0..95 and start over at the near end.
uint8_t moveWave(uint8_t position, bool forward, int delta) {
    const int next = forward ? position + delta : position - delta;
    if (next < 0 || next >= static_cast<int>(kWaveSize)) return forward ? 0 : static_cast<uint8_t>(kWaveSize - 1);
    return static_cast<uint8_t>(next);
}

// Modes 0 and 3: the whole spectrum, or a brightness wave of the user colour,
// laid along `count` places `spacing` apart.
template <typename PaintPlace>
void spectrumOrWave(PreviewFrame& f, size_t count, uint8_t spacing, PaintPlace paintPlace) {
    const bool forward = lighting::runsForward(f.params);
    uint8_t& step = f.animation.step;
    if (f.params.multiColor) {
        step = lighting::stepCounter(forward, lighting::kSpectrumSize, step, 1);
        for (size_t i = 0; i < count; ++i)
            paintPlace(
                i, lighting::spectrumColour(static_cast<uint8_t>((step + 1 + spacing * i) % lighting::kSpectrumSize)),
                level(f.params));
        return;
    }
    step = lighting::stepCounter(forward, kWaveSize, step, 3);
    for (size_t i = 0; i < count; ++i)
        paintPlace(i, lighting::userColour(f.params),
                   levelled(f.params, kWaveCurve[(step + 1 + spacing * i) % kWaveSize]));
}

template <size_t N>
void paintGroup(PreviewFrame& f, const std::array<uint8_t, N>& leds, Rgb colour, uint8_t brightness, uint8_t wave) {
    for (uint8_t led : leds) {
        paintLed(f.frame, led, colour, brightness);
        if (led < f.ripple.rippleLevel.size()) f.ripple.rippleLevel[led] = wave;
    }
}

void paintRow(std::span<uint32_t> frame, size_t row, Rgb colour, uint8_t brightness) {
    for (const GridColumn& column : kColumnMap) paintLed(frame, column[row], colour, brightness);
}

// A bar going back and forth over `lanes` lanes, one lane every
// `stepsPerLane` steps.
template <typename PaintLane>
void scanner(PreviewFrame& f, size_t lanes, uint8_t stepsPerLane, PaintLane paintLane) {
    const size_t bounce = 2 * (lanes - 1);
    if (++f.animation.secondaryStep >= stepsPerLane) {
        f.animation.secondaryStep = 0;
        f.animation.step = static_cast<uint8_t>((f.animation.step + 1) % bounce);
    }
    const size_t at = f.animation.step < lanes ? f.animation.step : bounce - f.animation.step;
    for (size_t lane = 0; lane < lanes; ++lane) {
        const size_t distance = lane > at ? lane - at : at - lane;
        const uint8_t value = distance < kScannerBar.size() ? kScannerBar[distance] : 0;
        paintLane(lane, spectrumOrUser(f.params, lane * lighting::kSpectrumSize / lanes), levelled(f.params, value));
    }
}

constexpr size_t countKeysWithPlace() {
    size_t n = 0;
    for (const GridPosition& p : kLedPositions) n += p.column != kNoLed;
    return n;
}
constexpr size_t kPlacedKeys = countKeysWithPlace();
constexpr std::array<uint8_t, kPlacedKeys> makePlacedKeys() {
    std::array<uint8_t, kPlacedKeys> keys{};
    size_t n = 0;
    for (size_t led = 0; led < kLedPositions.size(); ++led)
        if (kLedPositions[led].column != kNoLed) keys[n++] = static_cast<uint8_t>(led);
    return keys;
}
// The keys the star field may light.
constexpr std::array<uint8_t, kPlacedKeys> kPlacedKeyList = makePlacedKeys();

}  // namespace

// --- painting ----------------------------------------------------------------------

void paintLed(std::span<uint32_t> frame, uint8_t led, Rgb colour, uint8_t brightness) {
    if (led == kNoLed || led >= frame.size()) return;
    frame[led] = lighting::makeLed(colour.red, colour.green, colour.blue, brightness);
}

void paintColumn(std::span<uint32_t> frame, size_t column, Rgb colour, uint8_t brightness) {
    if (column >= kGridColumns) return;
    for (uint8_t led : kColumnMap[column]) paintLed(frame, led, colour, brightness);
}

void paintAliases(std::span<uint32_t> frame) {
    for (const GridAlias& alias : kGridAliases)
        if (alias.led < frame.size() && alias.like < frame.size()) frame[alias.led] = frame[alias.like];
}

uint8_t levelled(const lighting::LightParams& params, uint8_t value) {
    return static_cast<uint8_t>(level(params) * value / 256);
}

Rgb keySpectrum(uint8_t led) {
    const uint8_t column = led < kLedPositions.size() ? kLedPositions[led].column : kNoLed;
    return lighting::spectrumColour(column == kNoLed ? 0 : static_cast<uint8_t>(column * 8));
}

uint32_t nextRandom(uint32_t& seed) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 1) & 0x7FFFFFFFu;
}

// --- grid generators -------------------------------------------------------------------

void columnWave(PreviewFrame& f) {
    spectrumOrWave(f, kGridColumns, kColumnSpacing, [&](size_t column, Rgb colour, uint8_t brightness) {
        paintColumn(f.frame, column, colour, brightness);
    });
    paintAliases(f.frame);
}

void redColumnWave(PreviewFrame& f) {
    f.animation.secondaryStep = moveWave(f.animation.secondaryStep, lighting::runsForward(f.params), kColumnWaveMove);
    for (size_t c = 0; c < kGridColumns; ++c) {
        const uint8_t wave = kWaveCurve[(f.animation.secondaryStep + kColumnWavePhase * c) % kWaveSize];
        paintGroup(f, kColumnMap[c], kRed, levelled(f.params, wave), wave);
    }
    paintAliases(f.frame);
}

void redRingWave(PreviewFrame& f) {
    f.animation.secondaryStep = moveWave(f.animation.secondaryStep, lighting::runsForward(f.params), kRingWaveMove);
    for (size_t r = 0; r < kRings; ++r) {
        const uint8_t wave = kWaveCurve[(f.animation.secondaryStep + kRingWavePhase * r) % kWaveSize];
        paintGroup(f, kRingMap[r], kRed, levelled(f.params, wave), wave);
    }
}

void sweepWave(PreviewFrame& f) {
    spectrumOrWave(f, kSweepOrder.size(), kSweepSpacing, [&](size_t i, Rgb colour, uint8_t brightness) {
        paintLed(f.frame, kSweepOrder[i], colour, brightness);
    });
}

void staticColour(PreviewFrame& f) { lighting::effectStatic(f.frame, f.params, f.animation, f.nowMs); }

void breathing(PreviewFrame& f) { lighting::effectBreathingSpectrum(f.frame, f.params, f.animation, f.nowMs); }

void columnGradient(PreviewFrame& f) {
    for (size_t c = 0; c < kGridColumns; ++c) paintColumn(f.frame, c, kRed, levelled(f.params, kColumnGradient[c]));
    paintAliases(f.frame);
}

// Direction 0 lets the drops fall, direction 1 rise.
void rain(PreviewFrame& f) {
    if (++f.animation.secondaryStep >= kRainStepsPerRow) {
        f.animation.secondaryStep = 0;
        f.animation.step = static_cast<uint8_t>((f.animation.step + 1) % kRainCycle);
    }
    const bool rising = lighting::runsForward(f.params);
    for (size_t c = 0; c < kGridColumns; ++c) {
        const int head = (f.animation.step + kRainOffsets[c]) % kRainCycle;
        const Rgb colour = spectrumOrUser(f.params, c * 8);
        for (int r = 0; r < static_cast<int>(kGridColumnLeds); ++r) {
            const int behind = head - r;
            const uint8_t value = behind >= 0 && behind < static_cast<int>(kRainTail.size()) ? kRainTail[behind] : 0;
            const size_t row = rising ? kGridColumnLeds - 1 - r : r;
            paintLed(f.frame, kColumnMap[c][row], colour, levelled(f.params, value));
        }
    }
    paintAliases(f.frame);
}

void starlight(PreviewFrame& f) {
    for (uint8_t& value : f.ripple.rippleLevel) value = value > kStarFade ? value - kStarFade : 0;
    if (++f.animation.secondaryStep >= kStepsPerStar) {
        f.animation.secondaryStep = 0;
        const uint8_t led = kPlacedKeyList[nextRandom(f.state.random) % kPlacedKeyList.size()];
        f.ripple.rippleLevel[led] = 255;
        f.state.keyColour[led] = static_cast<uint8_t>(nextRandom(f.state.random) % lighting::kSpectrumSize);
    }
    for (uint8_t led : kPlacedKeyList)
        paintLed(f.frame, led, spectrumOrUser(f.params, f.state.keyColour[led]),
                 levelled(f.params, f.ripple.rippleLevel[led]));
}

void ringPulse(PreviewFrame& f) {
    f.animation.step =
        lighting::stepCounter(true, static_cast<uint8_t>(lighting::kBreathingCurve.size()), f.animation.step, 2);
    for (size_t r = 0; r < kRings; ++r) {
        const size_t phase = (f.animation.step + lighting::kBreathingCurve.size() - kRingPulseLag * r) %
                             lighting::kBreathingCurve.size();
        const uint8_t value = lighting::breath(static_cast<uint8_t>(phase));
        for (uint8_t led : kRingMap[r])
            paintLed(f.frame, led, spectrumOrUser(f.params, r * 16), levelled(f.params, value));
    }
    paintAliases(f.frame);
}

void snake(PreviewFrame& f) {
    constexpr auto length = static_cast<uint8_t>(kSweepOrder.size());
    f.animation.step = lighting::stepCounter(true, length, f.animation.step, 1);
    for (uint8_t led : kSweepOrder) paintLed(f.frame, led, {}, 0);
    for (size_t i = 0; i < kSnakeTail.size(); ++i) {
        const size_t at = (f.animation.step + length - i) % length;
        paintLed(f.frame, kSweepOrder[at], spectrumOrUser(f.params, at * lighting::kSpectrumSize / length),
                 levelled(f.params, kSnakeTail[i]));
    }
}

void blink(PreviewFrame& f) { lighting::effectBlink(f.frame, f.params, f.animation, f.nowMs); }

void comet(PreviewFrame& f) {
    if (++f.animation.secondaryStep >= kCometStepsPerColumn) {
        f.animation.secondaryStep = 0;
        f.animation.step = static_cast<uint8_t>((f.animation.step + 1) % kGridColumns);
    }
    for (size_t c = 0; c < kGridColumns; ++c) {
        const uint8_t value = kColumnGradient[(f.animation.step + kGridColumns - c) % kGridColumns];
        paintColumn(f.frame, c, spectrumOrUser(f.params, (f.animation.step + c) * 8), levelled(f.params, value));
    }
    paintAliases(f.frame);
}

void columnScanner(PreviewFrame& f) {
    scanner(f, kGridColumns, 2,
            [&](size_t c, Rgb colour, uint8_t brightness) { paintColumn(f.frame, c, colour, brightness); });
    paintAliases(f.frame);
}

// For the compact board: the bar runs over the six rows instead of the
// columns.
void rowScanner(PreviewFrame& f) {
    scanner(f, kGridColumnLeds, 6,
            [&](size_t r, Rgb colour, uint8_t brightness) { paintRow(f.frame, r, colour, brightness); });
    paintAliases(f.frame);
}

void customKeys(PreviewFrame& f) {
    const size_t count = std::min(f.frame.size(), f.state.customColours.size());
    for (size_t led = 0; led < count; ++led) {
        const Rgb colour = f.state.customColours[led];
        paintLed(f.frame, static_cast<uint8_t>(led), colour, colour.red == 255 ? level(f.params) : 0);
    }
}

void off(PreviewFrame& f) { lighting::effectOff(f.frame, f.params, f.animation, f.nowMs); }

// --- entries ---------------------------------------------------------------------------

void enterStatic(PreviewFrame& f) { staticColour(f); }

void enterStarlight(PreviewFrame& f) { f.state.random = f.nowMs | 1u; }

// The first pulse starts at its brightest in the centre.
void enterRingPulse(PreviewFrame& f) {
    f.animation.step = static_cast<uint8_t>(lighting::kBreathingCurve.size() / 2 - 2);
    ringPulse(f);
}

void enterSnake(PreviewFrame& f) {
    f.animation.step = static_cast<uint8_t>(kSweepOrder.size() - 1);
    snake(f);
}

// Lit at once: at the slowest speed the first toggle would come 5.6 s late.
void enterBlink(PreviewFrame& f) {
    f.animation.blinkOn = true;
    f.animation.lastToggleMs = f.nowMs;
    lighting::fillFrame(f.frame, f.params.multiColor ? lighting::spectrumColour(0) : lighting::userColour(f.params),
                        level(f.params));
}

void enterComet(PreviewFrame& f) { comet(f); }

void enterScanner(PreviewFrame& f) {
    f.animation.step = 0;
    f.animation.secondaryStep = 0;
    if (f.state.alternateLayout)
        rowScanner(f);
    else
        columnScanner(f);
}

void enterCustomKeys(PreviewFrame& f) { customKeys(f); }

}  // namespace talven::keyboard::effects
