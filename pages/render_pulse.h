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
//
// While the pulse beats, the beats also run the animation steps that fell
// due on every page (a rider's `pull`), and the animation threads sleep: a
// step then costs no wake-up of its own, and its frame goes out with the beat
// that ran it, as soon as a step of the thread's own would have gone. When
// the beats end, every rider is told (`release`) so that its thread takes its
// steps back at once.

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
        // `pull(now)` runs the page's steps due by `now`; `release` hands
        // them back to the page's thread. Both are optional.
        Rider(RenderPulse& pulse, std::function<void()> tick, std::function<void(uint32_t)> pull = {},
              std::function<void()> release = {});
        ~Rider();
        Rider(const Rider&) = delete;
        Rider& operator=(const Rider&) = delete;

    private:
        friend class RenderPulse;
        RenderPulse& pulse_;
        std::function<void()> tick_;
        std::function<void(uint32_t)> pull_;
        std::function<void()> release_;
        std::atomic<bool> wanted_{false};
    };

    explicit RenderPulse(uint32_t periodMs) : periodMs_(periodMs) {}
    // The pulse of the device pages, which all live on the UI thread.
    static RenderPulse& pages();

    // Any thread. True when the rider's tick will run at the next beat; false
    // when no page beats, and the caller must wake the UI thread itself.
    bool ride(Rider& rider, uint32_t now);
    // Any thread. Whether beats come: the riders' steps are then pulled.
    bool beating(uint32_t now) const;
    // UI thread. `from` ticked at the pulse's period: every rider's due steps
    // are pulled, then the riders waiting run.
    void beat(const void* from, uint32_t now);
    // UI thread. `from` stopped ticking (parked, or left): if it gave the
    // last beat, the pulse stops, the riders waiting run now and every rider
    // is released.
    void stop(const void* from);

private:
    void runWaiting();

    const uint32_t periodMs_;
    std::atomic<bool> running_{false};
    std::atomic<uint32_t> lastBeat_{0};
    const void* beater_ = nullptr;  // UI thread only, as are the two below
    std::vector<Rider*> riders_;
    bool sweeping_ = false;
};

}  // namespace talven
