#pragma once
// Render ticks shared between device pages.
//
// A page whose effect steps more slowly than the render period parks its
// render timer, and its animation thread wakes the UI thread for each changed
// step. While another page ticks at the device period anyway, those wake-ups
// are wasted: the parked page's changed frame can ride on the ticking page's
// next beat instead, still within one render period of its step. One wake-up
// of the UI thread then serves every page.
//
// The ticking page beats the pulse on the UI thread; an animation thread asks
// to ride. A ride is taken only while beats come, and a page that stops
// beating runs every waiting rider at once, so no changed frame is left
// behind when the beats end.

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace talven {

class RenderPulse {
public:
    // One per page: how the pulse renders that page now (on the UI thread).
    class Rider {
    public:
        Rider(RenderPulse& pulse, std::function<void()> tick);
        ~Rider();
        Rider(const Rider&) = delete;
        Rider& operator=(const Rider&) = delete;

    private:
        friend class RenderPulse;
        RenderPulse& pulse_;
        std::function<void()> tick_;
        std::atomic<bool> wanted_{false};
    };

    explicit RenderPulse(uint32_t periodMs) : periodMs_(periodMs) {}
    // The pulse of the device pages, which all live on the UI thread.
    static RenderPulse& pages();

    // Any thread. True when the rider's tick will run at the next beat; false
    // when no page beats, and the caller must wake the UI thread itself.
    bool ride(Rider& rider, uint32_t now);
    // UI thread. `from` ticked at the pulse's period: the riders waiting run.
    void beat(const void* from, uint32_t now);
    // UI thread. `from` stopped ticking (parked, or left): if it gave the
    // last beat, the pulse stops and the riders waiting run now.
    void stop(const void* from);

private:
    bool running(uint32_t now) const;
    void runWaiting();

    const uint32_t periodMs_;
    std::atomic<bool> running_{false};
    std::atomic<uint32_t> lastBeat_{0};
    const void* beater_ = nullptr;  // UI thread only, as are the two below
    std::vector<Rider*> riders_;
    bool sweeping_ = false;
};

}  // namespace talven
