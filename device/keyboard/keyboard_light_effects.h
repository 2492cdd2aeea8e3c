#pragma once
// The keyboard preview's generators, one function per mode, and the painting
// helpers they share. kPreviewModes (keyboard_lighting.h) ties them to mode
// numbers; the custom sequence reuses some of them for its patterns.

#include "device/keyboard/keyboard_lighting.h"

namespace talven::keyboard::effects {

// --- painting ------------------------------------------------------------------
void paintLed(std::span<uint32_t> frame, uint8_t led, lighting::Rgb colour, uint8_t brightness);
void paintColumn(std::span<uint32_t> frame, size_t column, lighting::Rgb colour, uint8_t brightness);
// The keys outside the column map take the look of the key below them.
void paintAliases(std::span<uint32_t> frame);
// level × value / 256 for the parameters' brightness level.
uint8_t levelled(const lighting::LightParams& params, uint8_t value);
// A key's colour in the spectrum modes: its column's place in the spectrum.
lighting::Rgb keySpectrum(uint8_t led);
// The next pseudo-random number of the preview's own generator (31 bits).
uint32_t nextRandom(uint32_t& seed);

// --- generators ------------------------------------------------------------------
void columnWave(PreviewFrame& f);        // 0
void redColumnWave(PreviewFrame& f);     // 1
void redRingWave(PreviewFrame& f);       // 2
void sweepWave(PreviewFrame& f);         // 3
void staticColour(PreviewFrame& f);      // 4
void breathing(PreviewFrame& f);         // 5
void columnGradient(PreviewFrame& f);    // 6
void rippleSpread(PreviewFrame& f);      // 7
void chargedCross(PreviewFrame& f);      // 8
void holdGlow(PreviewFrame& f);          // 9
void holdDim(PreviewFrame& f);           // 10
void typingTrail(PreviewFrame& f);       // 11
void columnFlash(PreviewFrame& f);       // 12
void rain(PreviewFrame& f);              // 13
void starlight(PreviewFrame& f);         // 14
void ringPulse(PreviewFrame& f);         // 15
void snake(PreviewFrame& f);             // 16
void blink(PreviewFrame& f);             // 17
void comet(PreviewFrame& f);             // 18
void columnScanner(PreviewFrame& f);     // 19
void rowScanner(PreviewFrame& f);        // 19 on the alternate layout
void customKeys(PreviewFrame& f);        // 20
void sequence(PreviewFrame& f);          // 21 (keyboard_sequence.cpp)
void off(PreviewFrame& f);               // 22

// --- entries -----------------------------------------------------------------------
void enterStatic(PreviewFrame& f);       // 4: shows the colour at once
void enterChargedCross(PreviewFrame& f); // 8: one cross from the centre key
void enterStarlight(PreviewFrame& f);    // 14: a new sky every time
void enterRingPulse(PreviewFrame& f);    // 15
void enterSnake(PreviewFrame& f);        // 16
void enterBlink(PreviewFrame& f);        // 17: starts lit
void enterComet(PreviewFrame& f);        // 18
void enterScanner(PreviewFrame& f);      // 19
void enterCustomKeys(PreviewFrame& f);   // 20

// --- reactive ---------------------------------------------------------------------
void reactiveKeyEvent(PreviewFrame& f, uint8_t mode, uint8_t key, uint8_t kind);
void paintReactiveKeys(PreviewFrame& f, uint8_t mode);

}  // namespace talven::keyboard::effects
