// Every transaction of every device kind against a simulated device that
// fails one of the transaction's requests: no reply, a stale reply before the
// right one, status 0xFF, status 0xFE, or the device unplugged. Each fault is
// aimed at each request of the transaction in turn. Every case must end with
// the result the channel gives that fault, within the channel's wait, and
// leave the device usable: the same transaction succeeds without the fault,
// and after an unplug the device, plugged back, reads back what it holds.
//
// A missing reply costs a whole wait (one second, five behind a wireless
// receiver), so the short run aims that fault at the first and the last
// request of each transaction only; TALVEN_TEST_LONG=1 aims it at every
// request. The headset's lighting stream, which gets no replies, has its
// own cases at the end.

#include "device/headset/headset_protocol.h"
#include "device/keyboard/keyboard_layout.h"
#include "device/keyboard/keyboard_profile_apply.h"
#include "device/lighting/led_frame.h"
#include "device/mouse/mouse_profile_apply.h"
#include "device/mousepad/mousepad_protocol.h"

#include "sim/headset_model.h"
#include "support/sim_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace talven {
namespace {

using namespace channel_result;
using sim::Area;
using sim::FaultKind;
using Clock = std::chrono::steady_clock;

// The request a transaction is failed at, and how.
struct Shot {
    FaultKind fault;
    size_t step;
};

constexpr const char* kWireless = "mouse-wireless";

// One simulated product with a channel bound to it, and each kind's
// protocol on that channel (only the product's own is used).
class Rig {
public:
    explicit Rig(const std::string& product) : product_(product), name_(product) { bind(); }

    sim::FirmwareModel& model() { return product_.model(); }

    // Plugs the product back in after it vanished, and binds the channel to
    // its new node as the program does on arrival.
    bool replug() {
        channel.setConnected(false);
        channel.device().close();
        const auto until = Clock::now() + std::chrono::seconds(5);
        while (product_.device().plugged() && Clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::string error;
        if (!product_.simulator().plug(name_, &error)) {
            ADD_FAILURE() << error;
            return false;
        }
        bind();
        return true;
    }

    CommandChannel channel;
    keyboard::KeyboardProtocol keyboard{channel};
    mouse::MouseProtocol mouse{channel};
    mousepad::MousePadProtocol pad{channel};
    headset::HeadsetProtocol headset{channel};

private:
    // As the program binds it: the mouse behind its receiver is a slow link.
    void bind() {
        product_.bind(channel);
        channel.setSlowLink(name_ == kWireless);
    }

    test::SimulatedProduct product_;
    std::string name_;
};

std::vector<keyboard::EncodedMacro> twoMacros() {
    // Three and five events: a 60-byte image, two chunks.
    return {keyboard::EncodedMacro(3, {5, 0, 0x81, 4}), keyboard::EncodedMacro(5, {7, 0, 0x01, 4})};
}

std::vector<KeyCode> factoryKeys() {
    return {keyboard::kDefaultCodes.begin(), keyboard::kDefaultCodes.end()};
}

std::vector<uint32_t> ledFrame(Rig& rig) {
    // Information byte 4 is the device's LED count.
    return std::vector<uint32_t>(rig.model().area(Area::Info)[4], 0x00FF8000u);
}

// The first result of an apply's steps that did not succeed.
int firstFailed(std::initializer_list<std::pair<int, int>> results) {
    for (const auto& [result, success] : results)
        if (result != success) return result;
    return Success;
}

// Reads the device's records afresh after it came back and compares them
// with what the device holds.
using Reread = std::function<void(Rig&)>;

struct Transaction {
    const char* name;
    const char* product;
    std::function<void(Rig&)> prepare;  // before every run (e.g. attach)
    std::function<int(Rig&)> run;
    int success = Success;  // the transaction's own success result
    // Failures the transaction reports as one result of its own (the macro
    // downloads: kMacrosNotWritten), whatever the channel said; for an
    // apply, only when the failed request belongs to its macro download.
    bool collapses = false;
    bool collapsesInMacros = false;
    // A transaction whose every missing reply together outlasts one test
    // (the wireless mouse's apply: some 35 requests of five seconds each)
    // is split into `parts` tests, each failing its own run of requests.
    int part = 0;
    int parts = 1;
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const Transaction& t, std::ostream* os) { *os << t.name; }

void rereadKeyboard(Rig& rig) {
    ASSERT_EQ(rig.keyboard.readKeyboardData(), Success);
    const size_t n = rig.keyboard.keyCount() * 3u;
    const auto table = rig.model().area(Area::KeyTable);
    ASSERT_GT(n, 0u);
    EXPECT_TRUE(std::equal(table.begin(), table.begin() + n, rig.keyboard.keyTableCopy().begin()));
    EXPECT_EQ(rig.keyboard.readProfileRecord().activeProfile, rig.model().area(Area::Config)[0]);
}

void rereadMouse(Rig& rig) {
    ASSERT_EQ(rig.mouse.attach(), Success);
    const auto info = rig.model().area(Area::Info);
    EXPECT_TRUE(std::equal(info.begin(), info.end(), rig.mouse.info().begin()));
    const size_t n = info[5] * 3u;
    const auto table = rig.model().area(Area::KeyTable);
    EXPECT_TRUE(std::equal(table.begin(), table.begin() + n, rig.mouse.buttonTableCopy().begin()));
}

void rereadPad(Rig& rig) {
    ASSERT_EQ(rig.pad.attach(), Success);
    const auto info = rig.model().area(Area::Info);
    EXPECT_TRUE(std::equal(info.begin(), info.end(), rig.pad.info().begin()));
    const auto reading = rig.pad.readSettings();
    ASSERT_EQ(reading.result, Success);
    EXPECT_EQ(reading.activeProfile, rig.model().area(Area::Config)[0]);
}

void rereadHeadset(Rig& rig) {
    const auto reading = rig.headset.readSettings();
    ASSERT_EQ(reading.result, Success);
    EXPECT_EQ(reading.activeProfile, rig.model().area(Area::Config)[0]);
}

Reread rereadFor(const std::string& product) {
    if (product == "keyboard") return rereadKeyboard;
    if (product == "mouse" || product == kWireless) return rereadMouse;
    if (product == "mousepad") return rereadPad;
    return rereadHeadset;
}

const auto kNothing = [](Rig&) {};
const auto kReadKeyboard = [](Rig& r) { ASSERT_EQ(r.keyboard.readKeyboardData(), Success); };
const auto kAttachMouse = [](Rig& r) { ASSERT_EQ(r.mouse.attach(), Success); };

int lightStream(Rig& r) {
    const auto frame = lighting::encodeLightFrame(ledFrame(r));
    return r.channel.writeLightFrame(frame.bytes.data(), frame.length);
}

int applyKeyboard(Rig& r) {
    keyboard::KeyboardProfileValues values;
    values.light = {3, 4, 2, 1, 0, 10, 20, 30};
    values.keys = factoryKeys();
    values.macros = twoMacros();
    const keyboard::ApplyOutcome o = keyboard::applyKeyboardProfile(r.keyboard, values);
    return firstFailed({{o.readResult, Success}, {o.recordResult, Success}, {o.macroResult, 0}, {o.keyResult, Success}});
}

int applyMouse(Rig& r) {
    mouse::MouseProfileValues values;
    values.settings.light = {2, 3, 1, 0, 1, 0, 0, 255};
    values.settings.stages = {{1, 0, 800, 800}, {1, 0, 1600, 1600}};
    values.macros = twoMacros();
    const mouse::MouseApplyOutcome o = mouse::applyMouseProfile(r.mouse, values, {});
    return firstFailed({{o.attachResult, Success}, {o.settingsResult, Success}, {o.macroResult, 0},
                        {o.buttonResult, Success}});
}

mousepad::SettingsBlock padBlock() {
    mousepad::SettingsBlock block{};
    block[1] = 2;  // mode
    block[2] = 3;  // brightness
    return block;
}

const Transaction kTransactions[] = {
    {"KeyboardConnection", "keyboard", kNothing, [](Rig& r) { return r.keyboard.readKeyboardData(); }},
    {"KeyboardProfileRead", "keyboard", kNothing, [](Rig& r) { return r.keyboard.readProfileRecord().result; }},
    {"KeyboardStatus", "keyboard", kNothing,
     [](Rig& r) {
         keyboard::StatusRecord status{};
         return r.keyboard.readStatus(status);
     }},
    {"KeyboardProfileApply", "keyboard", kNothing, applyKeyboard, Success, false, true},
    {"KeyboardKeyTable", "keyboard", kReadKeyboard, [](Rig& r) { return r.keyboard.writeKeyTable(0, factoryKeys()); }},
    {"KeyboardMacros", "keyboard", kNothing, [](Rig& r) { return r.keyboard.writeMacros(twoMacros()); }, 0, true},
    {"KeyboardSettingsRecord", "keyboard", kNothing,
     [](Rig& r) { return r.keyboard.writeProfileRecord(0, 0, {1, 2, 3, 0, 1, 9, 8, 7}, {1, 0, 1, 2}); }},
    {"KeyboardCustomBitmap", "keyboard", kReadKeyboard, [](Rig& r) { return r.keyboard.setAllCustomBits(true); }},
    {"KeyboardLightingStream", "keyboard", kNothing, lightStream},
    {"MouseConnection", "mouse", kNothing, [](Rig& r) { return r.mouse.attach(); }},
    {"MouseSettingsRead", "mouse", kNothing, [](Rig& r) { return r.mouse.readSettings().result; }},
    {"MouseProfileApply", "mouse", kNothing, applyMouse, Success, false, true},
    {"MouseButtonTable", "mouse", kAttachMouse,
     [](Rig& r) { return r.mouse.writeButtons(0, std::vector<KeyCode>(11, KeyCode{0x20, 0x00, 0x04})); }},
    {"MouseMacros", "mouse", kNothing, [](Rig& r) { return r.mouse.writeMacros(twoMacros()); }, 0, true},
    {"MouseSettingsBlock", "mouse", kNothing,
     [](Rig& r) { return r.mouse.writeSettings(0, 0, mouse::MouseSettings{}, mouse::ScreenSize{}); }},
    {"MouseLightingStream", "mouse", kNothing, lightStream},
    // Behind its receiver every step of the mouse's is preceded by a link
    // check; a check that fails ends the step with 0 (-1 for macros).
    {"WirelessMouseConnection", kWireless, kNothing, [](Rig& r) { return r.mouse.attach(); }},
    {"WirelessMouseSettingsRead", kWireless, kNothing, [](Rig& r) { return r.mouse.readSettings().result; }},
    {"WirelessMouseProfileApply1of3", kWireless, kNothing, applyMouse, Success, false, true, 0, 3},
    {"WirelessMouseProfileApply2of3", kWireless, kNothing, applyMouse, Success, false, true, 1, 3},
    {"WirelessMouseProfileApply3of3", kWireless, kNothing, applyMouse, Success, false, true, 2, 3},
    {"WirelessMouseButtonTable", kWireless, kAttachMouse,
     [](Rig& r) { return r.mouse.writeButtons(0, std::vector<KeyCode>(11, KeyCode{0x20, 0x00, 0x04})); }},
    {"WirelessMouseMacros", kWireless, kNothing, [](Rig& r) { return r.mouse.writeMacros(twoMacros()); }, 0, true},
    {"WirelessMouseSettingsBlock", kWireless, kNothing,
     [](Rig& r) { return r.mouse.writeSettings(0, 0, mouse::MouseSettings{}, mouse::ScreenSize{}); }},
    {"MousePadConnection", "mousepad", kNothing, [](Rig& r) { return r.pad.attach(); }},
    {"MousePadSettingsRead", "mousepad", kNothing, [](Rig& r) { return r.pad.readSettings().result; }},
    {"MousePadSettingsBlock", "mousepad", kNothing, [](Rig& r) { return r.pad.writeSettings(0, padBlock()); }},
    {"MousePadLightingStream", "mousepad", kNothing, lightStream},
    {"HeadsetSettingsRead", "headset", kNothing, [](Rig& r) { return r.headset.readSettings().result; }},
    {"HeadsetSettingsBlock", "headset", kNothing, [](Rig& r) { return r.headset.writeSettings(0, padBlock()); }},
};

// The result the channel gives each fault (see CommandChannel): a stale
// reply is read past, so the transaction still succeeds.
std::vector<int> channelResults(FaultKind fault, int success) {
    switch (fault) {
        case FaultKind::NoReply: return {Refused};
        case FaultKind::Stale: return {success};
        case FaultKind::StatusFF: return {StatusFailed};
        case FaultKind::StatusFE: return {StatusRejected};
        // The write to a vanished node fails, or the read finds it closed.
        case FaultKind::Remove: return {WriteFailed, Refused};
        case FaultKind::None: break;
    }
    return {success};
}

// The link check that precedes each step behind the wireless receiver.
constexpr uint8_t kLinkCheck = 0xAA;

// The requests of the macro download inside an apply: the information read
// before it, its begin, the image frames and its end, each with the link
// check before it on a slow link.
bool inMacroDownload(const std::vector<sim::Frame>& clean, size_t step) {
    constexpr uint8_t kWriteBuffer = 0x15;
    size_t first = clean.size(), last = 0;
    for (size_t i = 0; i < clean.size(); ++i) {
        if (clean[i][3] != kWriteBuffer) continue;
        first = std::min(first, i);
        last = i;
    }
    if (first == clean.size()) return false;
    size_t from = first, to = last;
    for (int own = 0; from > 0 && own < 2;)
        if (clean[--from][3] != kLinkCheck) ++own;
    if (from > 0 && clean[from - 1][3] == kLinkCheck) --from;
    for (int own = 0; to + 1 < clean.size() && own < 1;)
        if (clean[++to][3] != kLinkCheck) ++own;
    return step >= from && step <= to;
}

bool longRun() {
    const char* v = std::getenv("TALVEN_TEST_LONG");
    return v && std::string(v) == "1";
}

// Cases run by every test of this program, printed at its end.
int gCases = 0;

class FaultMatrixTest : public ::testing::TestWithParam<Transaction> {
protected:
    // The requests the transaction makes on a healthy device.
    std::vector<sim::Frame> cleanRun() {
        Rig rig(GetParam().product);
        GetParam().prepare(rig);
        rig.model().clearRequests();
        EXPECT_EQ(GetParam().run(rig), GetParam().success) << "without a fault";
        return rig.model().requests();
    }

    void runCase(const Shot& shot, const std::vector<sim::Frame>& clean) {
        const Transaction& t = GetParam();
        SCOPED_TRACE(std::string(sim::faultName(shot.fault)) + " at request " + std::to_string(shot.step) +
                     " (command " + std::to_string(clean[shot.step][3]) + ")");
        Rig rig(t.product);
        t.prepare(rig);
        rig.model().setFault(shot.fault, 1, static_cast<unsigned>(shot.step));
        const auto started = Clock::now();
        const int result = t.run(rig);
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
        rig.model().clearFault();
        ++gCases;

        std::vector<int> allowed = channelResults(shot.fault, t.success);
        // A link check that fails only says the mouse is out of reach.
        if (clean[shot.step][3] == kLinkCheck && shot.fault != FaultKind::Stale) allowed = {Refused};
        const bool collapsed = t.collapses || (t.collapsesInMacros && inMacroDownload(clean, shot.step));
        if (collapsed && shot.fault != FaultKind::Stale) allowed = {keyboard::kMacrosNotWritten};
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), result), allowed.end()) << "result " << result;
        // One wait for the missing reply at most; everything else answers
        // at once. The margin covers a loaded machine.
        const int wait = rig.channel.slowLink() ? CommandChannel::kSlowLinkTimeoutMs : CommandChannel::kTimeoutMs;
        const long bound = (shot.fault == FaultKind::NoReply ? wait : 0) + 600;
        EXPECT_LE(elapsed, bound) << "ms";

        if (shot.fault == FaultKind::Remove) {
            ASSERT_TRUE(rig.replug());
            rereadFor(t.product)(rig);
        }
        // The device takes the same transaction again.
        t.prepare(rig);
        EXPECT_EQ(t.run(rig), t.success) << "after the fault";
    }
};

TEST_P(FaultMatrixTest, EveryFaultAtEveryRequest) {
    const std::vector<sim::Frame> clean = cleanRun();
    ASSERT_FALSE(clean.empty());
    const FaultKind faults[] = {FaultKind::NoReply, FaultKind::Stale, FaultKind::StatusFF, FaultKind::StatusFE,
                                FaultKind::Remove};
    // This test's share of the requests: a contiguous run of them.
    const auto parts = static_cast<size_t>(GetParam().parts);
    const auto part = static_cast<size_t>(GetParam().part);
    const size_t from = clean.size() * part / parts;
    const size_t to = clean.size() * (part + 1) / parts;
    int cases = 0;
    const auto started = Clock::now();
    for (FaultKind fault : faults) {
        for (size_t step = from; step < to; ++step) {
            const bool everyStep = fault != FaultKind::NoReply || longRun();
            if (!everyStep && step != 0 && step + 1 != clean.size()) continue;
            runCase({fault, step}, clean);
            ++cases;
        }
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count() / 1000.0;
    std::printf("%s: %zu requests (%zu..%zu here), %d cases, %.1f s\n", GetParam().name, clean.size(), from,
                to - 1, cases, seconds);
}

INSTANTIATE_TEST_SUITE_P(Transactions, FaultMatrixTest, ::testing::ValuesIn(kTransactions),
                         [](const auto& info) { return std::string(info.param.name); });

// The headset's lighting goes out as frames of twelve plain output reports
// that get no reply: a stale reply or a refusing status has nothing to ride
// on, and there is no reply to miss. What can hit the stream is a report
// lost on the way (noreply aimed at the reports) and the headset unplugged
// at any report of a frame; once its node is gone every write fails
// (EPIPE), which is the failing write this transport can show. A single
// write failing on a node that stays cannot happen on the simulator's
// socket nodes, which take every report of a connected client.
class HeadsetStreamFaultTest : public ::testing::TestWithParam<FaultKind> {
protected:
    static constexpr size_t kReports = 12;

    // LED i: red 16 i, green 100, blue 255, full brightness.
    static std::vector<uint32_t> leds() {
        std::vector<uint32_t> v;
        for (uint32_t i = 0; i < 13; ++i) v.push_back(16 * i | 100u << 8 | 255u << 16 | 0xFFu << 24);
        return v;
    }
    // What the headset shows for leds(): each component times the
    // brightness over 256, never above 247.
    static sim::HeadsetModel::LedColours expected() {
        sim::HeadsetModel::LedColours out{};
        const auto scaled = [](unsigned c) { return static_cast<uint8_t>(std::min(c * 255u / 256u, 247u)); };
        for (unsigned i = 0; i < out.size(); ++i) out[i] = {scaled(16 * i), scaled(100), scaled(255)};
        return out;
    }
    static bool eventually(const std::function<bool()>& done) {
        const auto until = Clock::now() + std::chrono::seconds(2);
        while (!done() && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return done();
    }
    // A frame goes out whole and the headset shows it.
    static void frameArrives(Rig& rig, sim::HeadsetModel& headset) {
        const unsigned before = headset.framesReceived();
        ASSERT_EQ(rig.headset.sendFrame(leds()), Success);
        ASSERT_TRUE(eventually([&] { return headset.framesReceived() == before + 1; }));
        EXPECT_EQ(headset.lastFrame(), expected());
    }
    // Sends one frame with the clock running; no reply is waited for, so
    // even a failing write ends at once (the margin covers a loaded machine).
    static int timedFrame(Rig& rig) {
        const auto started = Clock::now();
        const int result = rig.headset.sendFrame(leds());
        EXPECT_LE(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count(), 600);
        return result;
    }
};

TEST_P(HeadsetStreamFaultTest, AtEveryReportOfAFrame) {
    const FaultKind fault = GetParam();
    for (size_t step = 0; step < kReports; ++step) {
        SCOPED_TRACE(std::string(sim::faultName(fault)) + " at report " + std::to_string(step));
        Rig rig("headset");
        auto& headset = dynamic_cast<sim::HeadsetModel&>(rig.model());
        ASSERT_TRUE(rig.model().setFault(fault, 1, static_cast<unsigned>(step), true));
        const int result = timedFrame(rig);
        ++gCases;
        if (fault == FaultKind::NoReply) {
            // The host cannot tell a lost report: the frame counts as sent,
            // the headset drops it and takes the next one whole.
            EXPECT_EQ(result, Success);
            ASSERT_TRUE(eventually([&] { return rig.model().otherReports().size() == kReports; }));
            EXPECT_EQ(headset.framesReceived(), 0u);
            frameArrives(rig, headset);
            continue;
        }
        // Unplugged: the reports written before the node went are gone with
        // it, so this frame or one of the next ends with WriteFailed.
        EXPECT_TRUE(result == Success || result == WriteFailed) << "result " << result;
        int next = result;
        for (int tries = 0; next != WriteFailed && tries < 100; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            next = timedFrame(rig);
        }
        EXPECT_EQ(next, WriteFailed);
        EXPECT_EQ(headset.framesReceived(), 0u) << "no frame is whole without its last report";
        ASSERT_TRUE(rig.replug());
        rereadHeadset(rig);
        frameArrives(rig, headset);
    }
}

INSTANTIATE_TEST_SUITE_P(HeadsetLightingStream, HeadsetStreamFaultTest,
                         ::testing::Values(FaultKind::NoReply, FaultKind::Remove),
                         [](const auto& info) { return info.param == FaultKind::NoReply ? "LostReport" : "Unplugged"; });

class CaseCount : public ::testing::Environment {
public:
    void TearDown() override {
        if (gCases > 0) std::printf("fault matrix: %d cases (transaction x fault x request)\n", gCases);
    }
};
const auto* const kCaseCount = ::testing::AddGlobalTestEnvironment(new CaseCount);

}  // namespace
}  // namespace talven
