#!/usr/bin/env python3
"""The headset's equaliser as the user hears it, through a private PipeWire.

Usage: pipewire_equaliser_test.py LIBRARY.so DRIVER SETTER

Starts a session bus, pipewire and wireplumber of its own (own runtime,
config and state folders), with two null sinks: "test_headset", carrying the
headset's USB IDs, and "desk_speakers", the desktop's configured default.
DRIVER loads LIBRARY.so as the program does and takes equaliser commands on
its standard input. SETTER changes the default sink from a connection it
opened beforehand, one sink name a line. A 100 Hz + 1 kHz tone is played into the default sink,
the headset sink's monitor is recorded, and the two tones are measured with
a Goertzel filter written here. Expected gains come from the filters'
definition: a peaking filter's gain at its centre is its gain in dB, and at
0 dB it passes its input unchanged.

Exit 0 when every check passes, 1 on a failure, 77 (skipped) when PipeWire
cannot be started here.
"""
import array
import json
import math
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

RATE = 48000
LOW, HIGH = 100, 1000
AMPLITUDE = 0.1
BLOCK = RATE // 100  # 10 ms: a whole number of periods of both tones
SETTLE_S = 0.4
EQ_SINK = "osconf_equaliser"
HEADSET_ARGS = ('factory.name = support.null-audio-sink node.name = "test_headset" node.description = "Test headset" '
                'media.class = "Audio/Sink" audio.position = [ FL FR ] audio.rate = 48000 '
                'device.vendor.id = "0x0d8c" device.product.id = "0x01da" session.suspend-timeout-seconds = 0')
# No idle suspend: this wireplumber (0.4.13) suspends a sink five seconds
# after it goes idle even when it has left meanwhile, and crashes on it; the
# headset's sink leaves and returns here.
SINKS_CONF = """context.objects = [
  { factory = adapter args = { %s } }
  { factory = adapter
    args = { factory.name = support.null-audio-sink node.name = "desk_speakers" node.description = "Desk speakers"
             media.class = "Audio/Sink" audio.position = [ FL FR ] audio.rate = 48000
             session.suspend-timeout-seconds = 0 } }
]
""" % HEADSET_ARGS
FAILURES = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        FAILURES.append(what)


def skip(reason):
    print(f"SKIP: {reason}", flush=True)
    sys.exit(77)


def db(ratio):
    return 20 * math.log10(ratio) if ratio > 0 else -math.inf


def goertzel(samples, freq):
    """Amplitude of the `freq` sine in `samples` (a whole number of periods)."""
    coeff = 2 * math.cos(2 * math.pi * freq / RATE)
    s1 = s2 = 0.0
    for x in samples:
        s1, s2 = x + coeff * s1 - s2, s1
    power = s1 * s1 + s2 * s2 - coeff * s1 * s2
    return 2 * math.sqrt(max(power, 0.0)) / len(samples)


def tone_second():
    """One second of both tones, stereo float: it repeats without a seam."""
    frames = array.array("f")
    for i in range(RATE):
        v = AMPLITUDE * (math.sin(2 * math.pi * LOW * i / RATE) + math.sin(2 * math.pi * HIGH * i / RATE))
        frames.extend((v, v))
    return frames.tobytes()


class Session:
    """dbus-daemon, pipewire and wireplumber in a folder of their own."""

    def __init__(self, root):
        self.root = root
        self.procs = []
        self.headset_owner = None  # a pw-cli holding a headset sink made after the start
        self.env = dict(os.environ)
        for name in ("PIPEWIRE_RUNTIME_DIR", "PIPEWIRE_REMOTE", "PULSE_SERVER", "TALVEN_SIM_DIR", "TALVEN_AUDIO_USB_ID"):
            self.env.pop(name, None)
        for name, sub in (("XDG_RUNTIME_DIR", "run"), ("XDG_CONFIG_HOME", "config"), ("XDG_STATE_HOME", "state"),
                          ("XDG_DATA_HOME", "data"), ("HOME", "home")):
            path = os.path.join(root, sub)
            os.makedirs(path, mode=0o700, exist_ok=True)
            self.env[name] = path
        conf = os.path.join(self.env["XDG_CONFIG_HOME"], "pipewire", "pipewire.conf.d")
        os.makedirs(conf)
        with open(os.path.join(conf, "sinks.conf"), "w") as f:
            f.write(SINKS_CONF)

    def spawn(self, args, **kw):
        proc = subprocess.Popen(args, env=self.env, **kw)
        self.procs.append(proc)
        return proc

    def start(self):
        for tool in ("dbus-daemon", "pipewire", "wireplumber", "pw-play", "pw-record", "pw-metadata", "pw-cli", "pw-dump"):
            if shutil.which(tool) is None:
                skip(f"{tool} is not installed")
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        log = open(os.path.join(self.root, "pipewire.log"), "w")
        self.server = [self.spawn([name], stdout=log, stderr=log) for name in ("pipewire", "wireplumber")]
        if not wait_for(lambda: "test_headset" in self.run(["pw-cli", "ls", "Node"]), 10):
            skip("the private PipeWire server did not come up (see pipewire.log)")
        if not wait_for(lambda: "default.audio.sink" in self.run(["pw-metadata", "0"]), 10):
            skip("wireplumber published no default sink")
        if not self.pick_default("desk_speakers"):
            skip("the default sink could not be set")

    def run(self, args):
        done = subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=10)
        return done.stdout

    def pick_default(self, sink):
        self.run(["pw-metadata", "0", "default.configured.audio.sink", '{"name":"%s"}' % sink, "Spa:String:JSON"])
        return wait_for(lambda: self.default_sink() == sink, 5)

    def default_sink(self):
        """The node named by default.configured.audio.sink, or None."""
        for line in self.run(["pw-metadata", "0", "default.configured.audio.sink"]).splitlines():
            if "key:'default.configured.audio.sink'" in line and "value:'" in line:
                return json.loads(line.split("value:'", 1)[1].split("'", 1)[0]).get("name")
        return None

    def node_ids(self, name):
        return [obj["id"] for obj in json.loads(self.run(["pw-dump"]) or "[]")
                if obj.get("info", {}).get("props", {}).get("node.name") == name]

    def has_node(self, name):
        return bool(self.node_ids(name))

    def unplug_headset(self):
        """The headset's sink leaves PipeWire, as when its cable is pulled."""
        if self.headset_owner is not None:
            self.headset_owner.terminate()
            self.headset_owner.wait(timeout=5)
            self.headset_owner = None
        for node in self.node_ids("test_headset"):
            self.run(["pw-cli", "destroy", str(node)])
        return wait_for(lambda: not self.has_node("test_headset"), 5)

    def plug_headset(self):
        """The headset's sink again, held by a pw-cli until it is unplugged."""
        self.headset_owner = self.spawn(["pw-cli"], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)
        self.headset_owner.stdin.write("create-node adapter { %s }\n" % HEADSET_ARGS)
        self.headset_owner.stdin.flush()
        return wait_for(lambda: self.has_node("test_headset"), 5)

    def stop(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()


def wait_for(predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.05)
    return predicate()


class Player:
    """pw-play fed the two tones for as long as it runs."""

    def __init__(self, session, target=None):
        args = ["pw-play", "--format", "f32", "--rate", str(RATE), "--channels", "2", "--latency", "512"]
        self.proc = session.spawn(args + (["--target", target] if target else []) + ["-"],
                                  stdin=subprocess.PIPE, stderr=subprocess.DEVNULL)
        threading.Thread(target=self._feed, daemon=True).start()

    def _feed(self):
        second = tone_second()
        try:
            while self.proc.poll() is None:
                self.proc.stdin.write(second)
        except (BrokenPipeError, ValueError, OSError):
            pass

    def stop(self):
        self.proc.terminate()
        self.proc.wait(timeout=5)


class Recorder:
    """The headset sink's monitor, left channel, as it arrives."""

    def __init__(self, session):
        args = ["pw-record", "--target", "test_headset", "-P", "{ stream.capture.sink = true }", "--format", "f32",
                "--rate", str(RATE), "--channels", "2", "--latency", "512", "-"]
        self.proc = session.spawn(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.samples = array.array("f")
        self.lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        pending = b""
        while True:
            chunk = self.proc.stdout.read1(65536)
            if not chunk:
                return
            pending += chunk
            whole = len(pending) // 8 * 8
            frames = array.array("f")
            frames.frombytes(pending[:whole])
            pending = pending[whole:]
            with self.lock:
                self.samples.extend(frames[0::2])

    def count(self):
        with self.lock:
            return len(self.samples)

    def take(self, start, length):
        if not wait_for(lambda: self.count() >= start + length, 10):
            raise RuntimeError("the recording stopped")
        with self.lock:
            return self.samples[start:start + length]

    def levels(self):
        """Both tones' amplitudes SETTLE_S from now: the median over fifty
        10 ms blocks (each a whole number of periods of both tones), so the
        buffers a loaded machine drops, silent stretches in the recording,
        do not count as a gain."""
        window = self.take(self.count() + int(SETTLE_S * RATE), 50 * BLOCK)
        blocks = [window[i:i + BLOCK] for i in range(0, len(window), BLOCK)]
        return tuple(statistics.median(goertzel(b, f) for b in blocks) for f in (LOW, HIGH))

    def stop(self):
        self.proc.terminate()
        self.proc.wait(timeout=5)


class LineProgram:
    """A helper program that says "ready", then answers each line of input with one line."""

    def __init__(self, args, env, name):
        self.proc = subprocess.Popen(args, env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=sys.stderr, text=True, bufsize=1)
        line = self.proc.stdout.readline().strip()
        if line != "ready":
            raise RuntimeError(f"the {name} did not start: {line!r}")

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        return self.proc.stdout.readline().strip()

    def close(self):
        self.proc.stdin.close()
        return self.proc.wait(timeout=10)


class Driver(LineProgram):
    """The library loaded as the program loads it, one command a line."""

    def __init__(self, session, library, driver, audio_dir):
        super().__init__([driver, library], dict(session.env, TALVEN_AUDIO_VIRTUAL=audio_dir), "driver")

    def quit(self):
        self.proc.stdin.write("quit\n")
        self.proc.stdin.flush()
        return self.proc.wait(timeout=10)


class Setter(LineProgram):
    """A sound-settings panel: bound to the metadata once, it sets the default sink named on each line."""

    def __init__(self, session, setter):
        super().__init__([setter], session.env, "setter")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def change_delay_ms(recorder, driver, command, before_high, gain_db):
    """Milliseconds of recorded sound from the command until the 1 kHz tone
    is past half its change. Samples counted as received: the sound already
    on its way when the command was sent counts as delay, so the figure is
    an upper bound."""
    start = recorder.count()
    check(driver.send(command) == "ok", f"'{command}' is taken")
    threshold = before_high * 10 ** (gain_db / 2 / 20)
    for block in range(int(1.0 * RATE / BLOCK)):
        level = goertzel(recorder.take(start + block * BLOCK, BLOCK), HIGH)
        if (level > threshold) == (gain_db > 0):
            return (block + 1) * BLOCK * 1000 / RATE
    return math.inf


def gaps_around(recorder, start, reference_low):
    """10 ms blocks within 0.5 s of `start` whose 100 Hz tone is off by more than 1 dB."""
    blocks = recorder.take(max(start - RATE // 2, 0), RATE)
    return sum(1 for i in range(0, len(blocks), BLOCK)
               if abs(db(goertzel(blocks[i:i + BLOCK], LOW) / reference_low)) > 1.0)


def measure(session, library, driver_path, root):
    recorder = Recorder(session)
    direct = Player(session, target="test_headset")
    ref_low, ref_high = recorder.levels()
    direct.stop()
    print(f"direct path: 100 Hz {db(ref_low / AMPLITUDE):+.3f} dB, 1 kHz {db(ref_high / AMPLITUDE):+.3f} dB of the source")
    check(ref_low > AMPLITUDE / 2 and ref_high > AMPLITUDE / 2, "the headset sink's monitor carries the tones")

    driver = Driver(session, library, driver_path, os.path.join(root, "audio"))
    check(driver.send("playback") == "1", "the library reports the equaliser heard")
    check(driver.send("enable 1") == "ok", "the equaliser switches on")
    check(wait_for(lambda: session.default_sink() == EQ_SINK, 5), "the equaliser becomes the default sink")
    player = Player(session)

    def gains(what, low_limit, high_expect, high_limit):
        low, high = recorder.levels()
        low_db, high_db = db(low / ref_low), db(high / ref_high)
        print(f"{what}: 100 Hz {low_db:+.3f} dB, 1 kHz {high_db:+.3f} dB")
        check(abs(low_db) <= low_limit, f"{what}: 100 Hz within {low_limit} dB")
        check(abs(high_db - high_expect) <= high_limit, f"{what}: 1 kHz at {high_expect:+} +- {high_limit} dB")

    gains("every band at 0 dB", 0.1, 0, 0.1)
    delay = change_delay_ms(recorder, driver, "band 6 10", ref_high, 10)
    print(f"band 6 to +10 dB while playing: heard after at most {delay:.0f} ms")
    check(delay <= 100, "a change while playing is heard within 100 ms")
    gains("band 6 at +10 dB", 0.5, 10, 0.2)
    check(driver.send("preset 5") == "ok", "preset 5 is taken")
    gains("preset 5", 0.1, 0, 0.1)
    check(driver.send("band 6 10") == "ok", "band 6 back to +10 dB")
    gains("band 6 at +10 dB again", 0.5, 10, 0.2)
    switch = recorder.count()
    check(driver.send("enable 0") == "ok", "the equaliser switches off")
    gains("equaliser off", 0.1, 0, 0.1)
    check(gaps_around(recorder, switch, ref_low) == 0, "switching off leaves no gap or click at 100 Hz")

    check(driver.send("enable 1") == "ok" and driver.send("preset 1") == "ok", "preset 1 plays")
    pid = driver.proc.pid
    before, t0 = cpu_seconds(pid), time.monotonic()
    time.sleep(10)
    cpu = 100 * (cpu_seconds(pid) - before) / (time.monotonic() - t0)
    print(f"CPU of the process running the filters, preset 1 playing, 10 s: {cpu:.1f} %")
    player.stop()
    recorder.stop()
    check(driver.quit() == 0, "the driver ends in order")
    check(wait_for(lambda: session.default_sink() == "desk_speakers", 5),
          "after a normal end the previous default sink is back")


def engaged_driver(session, library, driver_path, audio_dir):
    driver = Driver(session, library, driver_path, audio_dir)
    check(driver.send("enable 1") == "ok", "the equaliser switches on")
    check(wait_for(lambda: session.default_sink() == EQ_SINK, 5), "the equaliser is the default sink")
    return driver


def restores(session, library, driver_path, root):
    state = os.path.join(session.env["XDG_STATE_HOME"], "osConfLib", "default-sink")
    audio = os.path.join(root, "audio")
    driver = engaged_driver(session, library, driver_path, audio)
    driver.proc.send_signal(signal.SIGTERM)
    check(driver.proc.wait(timeout=10) == -signal.SIGTERM, "SIGTERM still ends the driver as SIGTERM")
    check(session.default_sink() == "desk_speakers", "after SIGTERM the previous default sink is back")
    check(not os.path.exists(state), "nothing is left to restore after SIGTERM")

    driver = engaged_driver(session, library, driver_path, audio)
    driver.proc.kill()
    driver.proc.wait(timeout=10)
    check(session.default_sink() == EQ_SINK and os.path.exists(state), "after SIGKILL the default is left behind")
    # The next start, with the equaliser off, mends it.
    fresh = Driver(session, library, driver_path, os.path.join(root, "audio-off"))
    check(session.default_sink() == "desk_speakers", "the next start puts the previous default sink back")
    check(not os.path.exists(state), "the next start forgets what it restored")
    fresh.quit()

    driver = engaged_driver(session, library, driver_path, audio)
    check(session.pick_default("test_headset"), "the user picks another default sink")
    driver.quit()
    check(session.default_sink() == "test_headset", "a default the user chose meanwhile is kept at the end")

    # A default naming the equaliser with no file to say what came before.
    session.pick_default(EQ_SINK)
    driver = engaged_driver(session, library, driver_path, audio)
    driver.quit()
    check(session.default_sink() is None, "the equaliser is never put back as its own previous default")


def unrecorded(session, library, driver_path, root):
    """Where the default it replaces cannot be written down, the equaliser
    leaves the default alone and loads no chain."""
    state = os.path.join(session.env["XDG_STATE_HOME"], "osConfLib", "default-sink")
    session.pick_default("desk_speakers")
    os.makedirs(state)  # a folder where the file goes: no file can replace it
    try:
        driver = Driver(session, library, driver_path, os.path.join(root, "audio-unrecorded"))
        driver.send("enable 1")
        time.sleep(1)
        check(session.default_sink() == "desk_speakers", "an unwritable record leaves the default sink alone")
        check(not session.has_node(EQ_SINK), "an unwritable record loads no equaliser")
        quit_driver(session, driver)
    finally:
        os.rmdir(state)


def quit_driver(session, driver):
    check(driver.quit() == 0, "the driver ends in order")


def terminate_driver(session, driver):
    driver.proc.send_signal(signal.SIGTERM)
    check(driver.proc.wait(timeout=10) == -signal.SIGTERM, "SIGTERM ends the driver")


def unplug_headset(session, driver):
    check(session.unplug_headset(), "the headset's sink leaves")
    check(wait_for(lambda: not session.has_node(EQ_SINK), 5), "the equaliser leaves with the headset's sink")


def headset_returns(session, library, driver_path, root):
    """The headset's sink leaves while the equaliser plays, and comes back."""
    session.pick_default("desk_speakers")
    driver = engaged_driver(session, library, driver_path, os.path.join(root, "audio"))
    unplug_headset(session, driver)
    check(wait_for(lambda: session.default_sink() == "desk_speakers", 5),
          "with the headset's sink gone the previous default sink is back")
    check(session.plug_headset(), "the headset's sink returns")
    check(wait_for(lambda: session.default_sink() == EQ_SINK, 5), "the equaliser takes the default sink again")
    quit_driver(session, driver)
    check(session.default_sink() == "desk_speakers", "after the end the previous default sink is back")


def unheard_pick(session, setter_path, sink):
    """The user picks `sink` as the default while a second program is
    binding the metadata. PipeWire passes a change that comes meanwhile only
    to the program still binding, so the library's own binding never hears
    it. With the session manager stopped the order is certain: the change
    reaches it first, then the second program's bind, and both wait until
    it runs again."""
    panel = Setter(session, setter_path)
    manager = session.server[1]
    manager.send_signal(signal.SIGSTOP)
    try:
        check(panel.send(sink) == "ok", "the panel's change is on its way to the stopped session manager")
        newcomer = session.spawn(["pw-metadata", "0", "default.configured.audio.sink"], stdout=subprocess.DEVNULL)
        time.sleep(0.5)  # its bind reaches the server behind the change
    finally:
        manager.send_signal(signal.SIGCONT)
    newcomer.wait(timeout=10)
    check(wait_for(lambda: session.default_sink() == sink, 5), "the panel's default sink is in place")
    check(panel.close() == 0, "the panel ends in order")


def unheard_change(session, library, driver_path, setter_path, root, ending, end):
    """An unheard pick while the equaliser plays is kept at its end."""
    session.pick_default("desk_speakers")
    driver = engaged_driver(session, library, driver_path, os.path.join(root, "audio"))
    unheard_pick(session, setter_path, "test_headset")
    end(session, driver)
    # A driver still running ends too: its requests are then all with the server.
    if driver.proc.poll() is None:
        quit_driver(session, driver)
    seen = session.default_sink()
    print(f"default sink after {ending}: {seen}")
    check(seen == "test_headset", f"a default chosen while another program binds the metadata is kept at {ending}")


def unheard_before(session, library, driver_path, setter_path, root):
    """An unheard pick before the equaliser switches on is the default it puts back."""
    session.pick_default("desk_speakers")
    driver = Driver(session, library, driver_path, os.path.join(root, "audio-later"))
    unheard_pick(session, setter_path, "test_headset")
    check(driver.send("enable 1") == "ok", "the equaliser switches on")
    check(wait_for(lambda: session.default_sink() == EQ_SINK, 5), "the equaliser is the default sink")
    quit_driver(session, driver)
    seen = session.default_sink()
    print(f"default sink after an equaliser switched on after an unheard pick: {seen}")
    check(seen == "test_headset", "the default chosen unheard before the equaliser switched on is put back")


def server_loss(session, library, driver_path, root):
    """PipeWire stops while the equaliser plays: the filter chain unloads
    itself, and the library must not unload it a second time at its end."""
    driver = engaged_driver(session, library, driver_path, os.path.join(root, "audio"))
    for proc in reversed(session.server):
        proc.terminate()
        proc.wait(timeout=5)
    check(wait_for(lambda: driver.send("playback") == "0", 5), "the equaliser is not heard once the server stopped")
    check(driver.quit() == 0, "the driver ends in order after its PipeWire server stopped")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    library, driver, setter = sys.argv[1:4]
    root = tempfile.mkdtemp(prefix="talven-pw-eq-")
    session = Session(root)
    try:
        session.start()
        measure(session, library, driver, root)
        restores(session, library, driver, root)
        unrecorded(session, library, driver, root)
        # Every pick made with the session manager stopped comes while the
        # headset's sink is still the one the server made at its start: this
        # wireplumber has crashed on such a pick after a sink was made again.
        for ending, end in (("the driver's end", quit_driver), ("SIGTERM", terminate_driver)):
            unheard_change(session, library, driver, setter, root, ending, end)
        unheard_before(session, library, driver, setter, root)
        unheard_change(session, library, driver, setter, root, "the headset's sink leaving", unplug_headset)
        check(session.plug_headset(), "the headset's sink is back for the next checks")
        headset_returns(session, library, driver, root)
        server_loss(session, library, driver, root)
    finally:
        session.stop()
        shutil.rmtree(root, ignore_errors=True)
    print(f"{len(FAILURES)} failed" if FAILURES else "all equaliser checks passed")
    sys.exit(1 if FAILURES else 0)


if __name__ == "__main__":
    main()
