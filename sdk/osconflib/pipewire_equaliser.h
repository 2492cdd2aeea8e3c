#pragma once
// The equaliser made audible through PipeWire. The library loads PipeWire's
// filter chain into its own process (eq_graph.h): its input is a virtual
// sink that becomes the desktop's default sink, so the user's playback
// reaches it, and its output plays into the headset's sink, found by the
// headset's USB IDs. The default sink it replaced is put back when the
// equaliser stops: when the library is released or the program ends, on
// SIGTERM, SIGINT or SIGHUP when the program does not handle them itself,
// and on the next start after a run that was killed (default_sink_memory.h).
//
// The filter chain is loaded when the equaliser is first switched on with
// the headset's sink present; switching it off sets every gain to 0 dB (an
// exact identity) instead of moving the user's streams, so neither switch
// makes a gap. PipeWire runs on a thread of its own; the calls here only
// queue requests to it and return.

#include "sdk/osconflib/eq_graph.h"

#include <memory>
#include <string>

namespace osconf {

class PipewireEqualiser {
public:
    // Connects to the user's PipeWire server. Null with `error` set when no
    // server answers. Waits at most half a second for the server's first
    // answer, so heard() is right from the start.
    static std::unique_ptr<PipewireEqualiser> open(UsbId headset, const EqSettings& settings, std::string& error);
    ~PipewireEqualiser();
    PipewireEqualiser(const PipewireEqualiser&) = delete;
    PipewireEqualiser& operator=(const PipewireEqualiser&) = delete;

    void setEnabled(bool on);
    // Band 0..9, gain in dB (clamped to -24..+24).
    void setBand(int index, int gainDb);
    // Whether the bands reach the headset: the server answers, the
    // headset's sink is there, and no other program holds the equaliser.
    bool heard() const;

    struct Impl;

private:
    explicit PipewireEqualiser(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace osconf
