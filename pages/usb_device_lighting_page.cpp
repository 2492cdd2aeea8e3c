// COrvaneUSBDevice: the base lighting — effects, the animation thread, the
// page preview and the frames sent to the device.

#include "pages/usb_device_page.h"

#include "device/function_page.h"
#include "pages/entry_timers.h"
#include "platform/clock.h"
#include "ui/layouts.h"
#include "ui/paint_manager.h"
#include "ui/queued_call.h"

#include <QColor>

#include <algorithm>
#include <array>
#include <utility>

namespace talven {

using namespace ui;

namespace {

// Milliseconds between animation steps by speed level 0..4: a breathing
// cycle of 64 steps then takes from about 2.6 s down to 0.5 s.
constexpr std::array<int, 5> kStepPeriodMs = {40, 28, 18, 12, 8};
// A failed send pauses sending so a device that stopped answering is not
// flooded; frames keep being computed and previewed meanwhile.
constexpr uint32_t kSendPauseMs = 200;
// The preview is repainted at most this often: about 10 times a second,
// smooth enough for the effects (their colours drift from step to step) and a
// fraction of what repainting at the 5 ms frame rate would cost. Just under
// the preview-only tick, so each tick may paint.
constexpr uint32_t kPreviewPaintMs = entryTimer::kPreviewRenderMs - 3;
// Quiet ticks are counted up to here: more than any step period in ticks.
constexpr uint kQuietTicksMax = 1000;
// While the render pulse runs the steps, the animation thread only looks
// this often whether the beats went away without a word (a stop wakes it at
// once).
constexpr int kPulledLookMs = 250;
// Steps run at one time at most: a schedule further behind (the UI thread
// was held up) starts afresh rather than racing through the backlog.
constexpr int kStepsAtOnceMax = 16;

lighting::BaseEffect baseEffectForMode(uint8_t mode) {
    using lighting::BaseEffect;
    constexpr std::array<BaseEffect, 7> order = {BaseEffect::BreathingSpectrum, BaseEffect::BreathingFourColours,
                                                 BaseEffect::Static,            BaseEffect::SpectrumCycle,
                                                 BaseEffect::Blink,             BaseEffect::BlinkFourColours,
                                                 BaseEffect::Off};
    return mode < order.size() ? order[mode] : BaseEffect::Static;
}

}  // namespace

void COrvaneUSBDevice::setLedCount(int count) {
    std::lock_guard<std::mutex> lock(frameLock_);
    ledCount_ = std::max(0, count);
    lightButtons_.assign(static_cast<size_t>(ledCount_), nullptr);
    lighting_.setLedCount(ledCount_);
    std::lock_guard<std::mutex> reactive(animationLock_);
    reactive_.assign(static_cast<size_t>(ledCount_), {});
}

void COrvaneUSBDevice::setLightParams(uint32_t word1, uint32_t word2, uint32_t word3) {
    std::lock_guard<std::mutex> lock(frameLock_);
    lighting_.setLightParams(word1, word2, word3);
}

void COrvaneUSBDevice::setLedColour(int index, uint32_t colour) {
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        lighting_.setLedColour(index, colour);
    }
    // Written outside an animation step (the custom colours, a test): a
    // parked render hears of it at once, not at the next step.
    wakeParkedRender();
}

void COrvaneUSBDevice::showSyncColour(uint32_t value) {
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        for (int i = 0; i < ledCount_; ++i) lighting_.setLedColour(i, value);
    }
    wakeParkedRender();
}

void COrvaneUSBDevice::setClientDriven(bool on) { clientDriven_ = on; }

void COrvaneUSBDevice::showClientColours(size_t first, std::span<const uint32_t> colours) {
    if (!clientDriven_) return;
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        for (size_t i = 0; i < colours.size() && first + i < static_cast<size_t>(ledCount_); ++i)
            lighting_.setLedColour(static_cast<int>(first + i), (colours[i] & 0xFFFFFFu) | 0xFF000000u);
    }
    wakeParkedRender();
}

uint32_t COrvaneUSBDevice::getLedColour(int index) const {
    std::lock_guard<std::mutex> lock(frameLock_);
    return lighting_.getLedColour(index);
}

std::vector<uint32_t> COrvaneUSBDevice::frameSnapshot() const {
    std::lock_guard<std::mutex> lock(frameLock_);
    const auto frame = lighting_.ledFrame();
    return {frame.begin(), frame.end()};
}

#define TALVEN_BASE_EFFECT(name)                          \
    void COrvaneUSBDevice::name() {                       \
        std::lock_guard<std::mutex> lock(frameLock_);     \
        lighting_.name();                                 \
    }
TALVEN_BASE_EFFECT(effectBreathingSpectrum)
TALVEN_BASE_EFFECT(effectBreathingFourColours)
TALVEN_BASE_EFFECT(effectStatic)
TALVEN_BASE_EFFECT(effectSpectrumCycle)
TALVEN_BASE_EFFECT(effectBlink)
TALVEN_BASE_EFFECT(effectBlinkFourColours)
TALVEN_BASE_EFFECT(effectOff)
#undef TALVEN_BASE_EFFECT

void COrvaneUSBDevice::rippleDecay(int led, bool fast) { lighting_.rippleDecay(led, fast); }
void COrvaneUSBDevice::rippleGrow(int led, bool fast) { lighting_.rippleGrow(led, fast); }
void COrvaneUSBDevice::rippleMarkActive() { lighting_.rippleMarkActive(); }
void COrvaneUSBDevice::rippleShift(bool forward) { lighting_.rippleShift(forward); }
void COrvaneUSBDevice::rippleClear() { lighting_.rippleClear(); }

void COrvaneUSBDevice::setFunctionPage(int page) {
    functionPage_ = page;
    if (!functionSwitch_ && GetManager()) {
        functionSwitch_ = GetManager()->FindSubControlByName(this, QStringLiteral("device_function_switch"));
        keyFunctionSwitch_ = GetManager()->FindSubControlByName(this, QStringLiteral("device_key_function_switch"));
    }
    const FunctionPageTabs tabs = functionPageTabs(page);
    if (auto* tab = qobject_cast<CTabLayoutUI*>(functionSwitch_)) tab->SelectItem(tabs.functionItem);
    if (auto* tab = qobject_cast<CTabLayoutUI*>(keyFunctionSwitch_); tab && tabs.keyItem) tab->SelectItem(*tabs.keyItem);
}

void COrvaneUSBDevice::animationStep(uint32_t nowMs) {
    std::lock_guard<std::mutex> lock(frameLock_);
    lighting_.step(baseEffectForMode(lighting_.lightParams().selectItem), nowMs);
}

int COrvaneUSBDevice::animationPeriodMs() const {
    std::lock_guard<std::mutex> lock(frameLock_);
    const uint8_t speed = lighting_.lightParams().speed;
    return kStepPeriodMs[std::min<size_t>(speed, kStepPeriodMs.size() - 1)];
}

// Steps count from the start, not from the last run: no burst of the steps
// missed while the animation was stopped or unwanted.
void COrvaneUSBDevice::restartSteps() {
    std::lock_guard<std::mutex> lock(stepLock_);
    stepsScheduled_ = false;
}

void COrvaneUSBDevice::startAnimation() {
    restartSteps();
    animation_.start([this](Event&) { animationLoop(); });
}

void COrvaneUSBDevice::stopAnimation() {
    if (animation_.started()) animation_.stop();
}

// Unwanted (hidden and sending nothing), the thread sleeps until it is
// wanted again or stopped: a program in the tray has no reason to wake. While
// the render pulse beats, or the entry's own timer runs the steps, the thread
// sleeps until they are handed back.
void COrvaneUSBDevice::animationLoop() {
    nameThisThread("lighting");
    Event& stop = animation_.stopEvent();
    const RenderPulse& pulse = RenderPulse::pages();
    const auto pulled = [&](uint32_t now) { return pulse.beating(now) || stepsPulled(now); };
    for (;;) {
        if (!animate_) {
            restartSteps();
            if (waitAny({&stop, &animationWanted_}, -1) != 1) return;
            continue;
        }
        const uint32_t now = tickCount();
        const int wait = pulled(now) ? kPulledLookMs : untilNextStep(now);
        if (waitAny({&stop, &animationWanted_}, wait) == 0) return;
        const uint32_t woke = tickCount();
        if (!animate_ || pulled(woke)) continue;
        if (runDueSteps(woke)) wakeParkedRender();
    }
}

namespace {

// Steps fall due on multiples of their period on the tick clock, so pages
// stepping at the same speed step at the same millisecond, and one wake-up
// of the UI thread serves them all. The first such time after `t`; the
// modular sum is right across the clock's wrap.
uint32_t stepTimeAfter(uint32_t t, int period) {
    const auto p = static_cast<uint32_t>(period);
    return t + (p - t % p);
}

}  // namespace

// Under stepLock_. Whoever looks first starts the schedule (the thread, or
// the pulse when it already beats as the animation starts): the first step
// falls due within one period.
bool COrvaneUSBDevice::startStepsIfIdle(uint32_t now, int period) {
    if (stepsScheduled_) return false;
    nextStepAt_ = stepTimeAfter(now, period);
    stepsScheduled_ = true;
    return true;
}

int COrvaneUSBDevice::untilNextStep(uint32_t now) {
    const int period = std::max(animationPeriodMs(), 1);
    std::lock_guard<std::mutex> lock(stepLock_);
    startStepsIfIdle(now, period);
    return std::max(static_cast<int32_t>(nextStepAt_ - now), 0);
}

bool COrvaneUSBDevice::runDueSteps(uint32_t now) {
    const int period = std::max(animationPeriodMs(), 1);
    std::lock_guard<std::mutex> lock(stepLock_);
    if (startStepsIfIdle(now, period)) return false;
    int ran = 0;
    for (; static_cast<int32_t>(now - nextStepAt_) >= 0 && ran < kStepsAtOnceMax; ++ran) {
        // Paused, the page shows what the lighting sync hands it.
        if (!commandChannel_.paused() && !clientDriven_) animationStep(now);
        // One period on, or the next time on the grid after a change of speed.
        nextStepAt_ = stepTimeAfter(nextStepAt_, period);
    }
    if (static_cast<int32_t>(now - nextStepAt_) >= 0) nextStepAt_ = stepTimeAfter(now, period);
    return ran > 0;
}

// Only a page whose thread runs and wants its steps is stepped: the pulse
// must not animate a page that waits for its device or sends nothing.
void COrvaneUSBDevice::pullSteps(uint32_t now) {
    if (animating() && animate_ && runDueSteps(now)) wakeParkedRender();
}

bool COrvaneUSBDevice::stepsPulled(uint32_t now) const {
    return stepsPulled_.load() && static_cast<int32_t>(stepsPulledUntil_.load() - now) >= 0;
}

// An effect whose every step changes the frame would have its thread wake
// the UI thread for each step anyway; the entry's timer running the step
// instead spares the thread's wake-up and the queued call. An effect whose
// steps leave the frame alone (static, or between blinks) stays with its
// thread, which wakes nobody for them.
uint32_t COrvaneUSBDevice::stepToPullMs(uint32_t now) {
    if (!animating() || !animate_ || RenderPulse::pages().beating(now)) return 0;
    // The lighting sync or a network client paints the frame: the steps change nothing.
    if (commandChannel_.paused() || clientDriven_) return 0;
    const int period = animationPeriodMs();
    if (period <= static_cast<int>(renderPeriodMs()) || now - lastChangeAt_ > static_cast<uint32_t>(period)) return 0;
    return static_cast<uint32_t>(std::max(untilNextStep(now), 1));
}

uint32_t COrvaneUSBDevice::parkedTickMs(uint32_t paintWaitMs) {
    const uint32_t now = tickCount();
    const uint32_t step = stepToPullMs(now);
    if (!step) {
        releaseSteps();
        return paintWaitMs;
    }
    // Renewed with every step the timer runs; should the timer stop without
    // a word, the thread finds the claim lapsed at its next look.
    stepsPulledUntil_.store(now + step + static_cast<uint32_t>(kPulledLookMs));
    stepsPulled_.store(true);
    // No tick of its own for the preview: a step's tick paints it (see
    // paintDue), and no later than the paint's due time and half a step.
    return step;
}

// The preview paints at most every kPreviewPaintMs. While the entry's
// timer runs the steps, a step's tick within half a step of that paints too:
// the paint then shows the step's new colours, and needs no wake-up of its own.
bool COrvaneUSBDevice::paintDue(uint32_t now) const {
    if (!previewOwed()) return false;
    const uint32_t slack = stepsPulled_.load() ? static_cast<uint32_t>(std::max(animationPeriodMs(), 0)) / 2 : 0;
    return now - lastPaintAt_ + slack >= kPreviewPaintMs;
}

void COrvaneUSBDevice::releaseSteps() {
    if (stepsPulled_.exchange(false)) animationWanted_.set();
}

// A thread that idles (nothing wants its steps) or leaves them to the
// entry's timer has no reason to wake; one whose claim is released later is
// woken by that release.
void COrvaneUSBDevice::takeStepsBack() {
    if (animate_ && !stepsPulled_.load()) animationWanted_.set();
}

void COrvaneUSBDevice::paintLightControl(CControlUI* control, uint32_t colour, uint8_t brightness) {
    if (!control) return;
    const uint32_t shown = lighting::scaledColour(colour, brightness);
    const QColor colourShown(lighting::ledRed(shown), lighting::ledGreen(shown), lighting::ledBlue(shown));
    if (control->GetBkColor() != colourShown) control->SetBkColor(colourShown);
}

void COrvaneUSBDevice::paintLed(CControlUI* control, uint32_t value) {
    const lighting::LedPreview led = lighting::ledPreview(value);
    paintLightControl(control, led.colour, led.brightness);
}

void COrvaneUSBDevice::setPreview(bool on) {
    if (preview_.exchange(on) == on) return;
    previewDirty_ = true;  // what was shown may be stale
    renderNeedsChanged();
}

void COrvaneUSBDevice::SetVisible(bool visible) {
    const bool was = IsVisible();
    CHorizontalLayoutUI::SetVisible(visible);
    if (visible == was) return;
    previewDirty_ = true;
    renderNeedsChanged();
}

bool COrvaneUSBDevice::framesGoToDevice() const {
    return drivesDevice_ && sendsFrames_ && lightingControl_ && !commandChannel_.slowLink() &&
           commandChannel_.isConnected();
}

uint COrvaneUSBDevice::renderPeriodMs() const {
    return framesGoToDevice() ? entryTimer::kRenderMs : entryTimer::kPreviewRenderMs;
}

bool COrvaneUSBDevice::needsRenderTicks() const {
    return preview_ && (IsVisible() || (drivesDevice_ && sendsFrames_));
}

void COrvaneUSBDevice::renderNeedsChanged() {
    animate_ = needsRenderTicks();
    if (animate_) animationWanted_.set();
    if (!animate_ || !commandChannel_.isConnected() || !optionEntry_) return;
    if (CPaintManagerUI* manager = optionEntry_->GetManager())
        manager->SetTimer(optionEntry_, entryTimer::kRender, renderPeriodMs());
}

bool COrvaneUSBDevice::takeChangedFrame() {
    std::lock_guard<std::mutex> lock(frameLock_);
    const std::span<const uint32_t> frame = std::as_const(lighting_).ledFrame();
    if (std::equal(frame.begin(), frame.end(), renderedFrame_.begin(), renderedFrame_.end())) return false;
    renderedFrame_.assign(frame.begin(), frame.end());
    return true;
}

// The LEDs whose colour changed are repainted as one rectangle around them:
// the picture under them then repaints with a plain rectangular clip, where
// Qt copies images directly; a region of many small pieces sends every layer
// under the LEDs through its span-by-span path.
void COrvaneUSBDevice::paintPreview() {
    QRect around;
    QWidget* top = nullptr;
    for (size_t i = 0; i < renderedFrame_.size() && i < lightButtons_.size(); ++i) {
        CControlUI* control = lightButtons_[i];
        if (!control || !control->isVisible()) continue;  // on screen, not only flagged visible
        const QColor before = control->GetBkColor();
        paintLed(control, renderedFrame_[i]);
        if (control->GetBkColor() == before) continue;
        top = control->window();
        around |= QRect(control->mapTo(top, QPoint(0, 0)), control->size());
    }
    if (top && !around.isEmpty()) top->update(around);
    ++previewPaints_;
}

int COrvaneUSBDevice::transmitFrame(std::span<const uint32_t> frame) {
    const lighting::LightFrameBuffer buffer = lighting::encodeLightFrame(frame);
    return commandChannel_.writeLightFrame(buffer.data(), buffer.length);
}

bool COrvaneUSBDevice::frameDiffersFromRendered() const {
    std::lock_guard<std::mutex> lock(frameLock_);
    const std::span<const uint32_t> frame = lighting_.ledFrame();
    return !std::equal(frame.begin(), frame.end(), renderedFrame_.begin(), renderedFrame_.end());
}

// Settled once nothing waits and the next tick cannot find a new frame. An
// effect that steps more slowly than the render period changes the frame at
// its next step at the earliest, and that step wakes the entry (the frame goes
// out at once, or with another page's next tick, so no later than this
// entry's own next tick would have sent it): the ticks in between would only
// compare an unchanged frame. A faster effect changes
// the frame between any two ticks and keeps its timer until the frame stayed
// the same for longer than one step (the effect is static, or frozen).
bool COrvaneUSBDevice::framesWaitForAStep() const {
    const uint period = renderPeriodMs();
    const auto step = static_cast<uint>(std::max(animationPeriodMs(), 0));
    return step > period || quietTicks_ * period > step;
}

bool COrvaneUSBDevice::renderSettled() const {
    if (sendPending_ || previewOwed()) return false;
    return framesWaitForAStep();
}

// The preview paints at most every kPreviewPaintMs. A step that came sooner
// leaves it marked, and ticking at the device's period until the paint falls
// due would only compare unchanged frames: the entry may sleep until then
// instead, and the next step wakes it earlier.
uint32_t COrvaneUSBDevice::previewPaintWaitMs() const {
    if (sendPending_ || !previewOwed() || !framesWaitForAStep()) return 0;
    const uint32_t since = tickCount() - lastPaintAt_;
    return since < kPreviewPaintMs ? kPreviewPaintMs - since : 0;
}

bool COrvaneUSBDevice::parkRender() {
    renderParked_.store(true, std::memory_order_release);
    if (!frameDiffersFromRendered()) return true;
    renderParked_.store(false, std::memory_order_relaxed);
    return false;
}

// Only the first changed step after parking posts: the flag is taken back
// here, so a fast effect costs one queued call, not one per step.
void COrvaneUSBDevice::wakeParkedRender() {
    // Ticking (not parked) costs one load here: no lock, no comparison.
    if (!renderParked_.load(std::memory_order_acquire)) return;
    if (!frameDiffersFromRendered()) return;
    // Another page ticks at the device's period: the frame goes with its next
    // tick, and the UI thread is not woken for this page alone.
    if (RenderPulse::pages().ride(pulseRider_, tickCount())) return;
    if (!renderParked_.exchange(false)) return;
    renderWakes_.fetch_add(1, std::memory_order_relaxed);
    ui::queueCall(this, [this] { runRenderTickNow(); });
}

// The entry's render tick, run at once: a frame that changed after a quiet
// spell goes out now rather than a period later.
void COrvaneUSBDevice::runRenderTickNow() {
    if (!optionEntry_) return;
    // Never two frames within one period: a change right after a send waits
    // for the timer.
    if (tickCount() - lastSendAt_ < renderPeriodMs()) {
        if (CPaintManagerUI* manager = optionEntry_->GetManager())
            manager->SetTimer(optionEntry_, entryTimer::kRender, renderPeriodMs());
        return;
    }
    TEventUI tick;
    tick.Type = UIEVENT_TIMER;
    tick.pSender = optionEntry_;
    tick.dwTimestamp = tickCount();
    tick.wParam = entryTimer::kRender;
    optionEntry_->DoEvent(tick);
}

void COrvaneUSBDevice::renderFrame() {
    if (!preview_) return;
    // The steps due by now, in case the pulse runs them: this tick's frame
    // then holds them, as it would hold the thread's.
    pullSteps(tickCount());
    if (quietTicks_ < kQuietTicksMax) ++quietTicks_;
    const uint32_t now = tickCount();
    if (takeChangedFrame()) {
        quietTicks_ = 0;
        lastChangeAt_ = now;
        previewDirty_ = true;
        sendPending_ = true;
    }
    // Effects step up to every 8 ms; painting faster than the display shows
    // would only cost. A page that is not on screen (another product's page
    // is shown, or the window is hidden) paints nothing: it keeps the preview
    // marked and paints it once it is shown.
    if (paintDue(now)) {
        paintPreview();
        previewDirty_ = false;
        lastPaintAt_ = now;
    }
    if (sendPending_) sendFrame(now);
}

void COrvaneUSBDevice::sendFrame(uint32_t now) {
    if (!framesGoToDevice()) return;
    if (static_cast<int32_t>(now - sendPausedUntil_) < 0) return;
    // A frame the device did not take is sent again after a pause; one it
    // took is not repeated until it changes.
    if (transmitFrame(renderedFrame_) != channel_result::Success) {
        sendPausedUntil_ = now + kSendPauseMs;
        return;
    }
    sendPending_ = false;
    lastSendAt_ = now;
}

}  // namespace talven
