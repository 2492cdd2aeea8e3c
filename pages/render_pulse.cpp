#include "pages/render_pulse.h"

#include "pages/entry_timers.h"

#include <algorithm>

namespace talven {

RenderPulse::Rider::Rider(RenderPulse& pulse, std::function<void()> tick, std::function<void(uint32_t)> pull,
                          std::function<void()> release)
        : pulse_(pulse), tick_(std::move(tick)), pull_(std::move(pull)), release_(std::move(release)) {
    pulse_.riders_.push_back(this);
}

RenderPulse::Rider::~Rider() { std::erase(pulse_.riders_, this); }

RenderPulse& RenderPulse::pages() {
    static RenderPulse pulse(entryTimer::kRenderMs);
    return pulse;
}

// A beater that vanished without stopping (its entry was destroyed) counts
// for two periods at most; a rider that came too late then rides with the
// next change instead.
bool RenderPulse::beating(uint32_t now) const {
    return running_.load() && now - lastBeat_.load() <= 2 * periodMs_;
}

// Sequentially consistent on both sides: either the stopping UI thread sees
// the wish, or the rider sees the stop and takes its wish back.
bool RenderPulse::ride(Rider& rider, uint32_t now) {
    if (!beating(now)) return false;
    rider.wanted_.store(true);
    if (beating(now)) return true;
    // Stopped meanwhile: a wish the stop already ran is done; one still
    // standing is the caller's to carry.
    return !rider.wanted_.exchange(false);
}

void RenderPulse::beat(const void* from, uint32_t now) {
    beater_ = from;
    lastBeat_.store(now);
    running_.store(true);
    for (size_t i = 0; i < riders_.size(); ++i)
        if (riders_[i]->pull_) riders_[i]->pull_(now);
    runWaiting();
}

void RenderPulse::stop(const void* from) {
    if (from != beater_) return;
    beater_ = nullptr;
    running_.store(false);
    runWaiting();
    for (size_t i = 0; i < riders_.size(); ++i)
        if (riders_[i]->release_) riders_[i]->release_();
}

// A rider's tick may itself beat (its page starts ticking) or stop: the
// sweep then in progress serves it.
void RenderPulse::runWaiting() {
    if (sweeping_) return;
    sweeping_ = true;
    for (size_t i = 0; i < riders_.size(); ++i) {
        Rider* rider = riders_[i];
        if (rider->wanted_.exchange(false) && rider->tick_) rider->tick_();
    }
    sweeping_ = false;
}

}  // namespace talven
