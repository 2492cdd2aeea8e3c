// Kills a program at random moments while it saves a profile, renames it in
// the profile list and saves a macro through the program's savers, and checks
// after every kill that each file is whole: it parses and holds exactly the
// contents of one generation the program had reached, never a mixture and
// never anything older than the last generation it finished.
//
// The moments come from a seeded generator, spread over the time the driver
// takes here to start and finish two generations; a failure names the seed
// and that span, and TALVEN_CRASH_SEED=<seed> replays it (on a machine and
// build that take about as long). TALVEN_CRASH_SAVES sets how many saves
// to interrupt (1,000 by default).

#include "safety/safety_support.h"

#include <gtest/gtest.h>
#include <json/reader.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace talven {
namespace {

namespace fs = std::filesystem;

// The factory profile the driver's profile starts from: nothing of it may be
// lost by any save.
const char* const kFactory = R"({"Device":[{"LightInfo":{"SelectItem":3,"Light":4,"Speed":2,"MultiColor":1,"Fx":0},
  "KeyList":[{"Assignment":4,"DefaultAssignment":4},{"Assignment":5,"DefaultAssignment":5}],
  "LightList":[{"LEDREGMode":1,"red":9}]}]})";

std::optional<Json::Value> parse(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    const std::string s = test::readFile(path);
    if (s.empty() || !reader->parse(s.data(), s.data() + s.size(), &value, nullptr)) return std::nullopt;
    return value;
}

// What generation k leaves in the profile's device entry, written out from
// the driver's description, on top of the factory entry.
Json::Value expectedEntry(const Json::Value& factory, long k) {
    Json::Value entry = factory["Device"][0];
    Json::Value group(Json::arrayValue);
    for (int i = 0; i < 126; ++i) {
        Json::Value c(Json::objectValue);
        c["Red"] = static_cast<int>((k + i) % 256);
        c["Green"] = static_cast<int>((3 * k + i) % 256);
        c["Blue"] = static_cast<int>((7 * k) % 256);
        c["Alpha"] = 255;
        group.append(c);
    }
    entry["CustomLightMode"]["LightColorInfo"][0] = group;
    Json::Value stages(Json::objectValue);
    for (const char* key : {"Key6Flag", "PollingRate", "WFlag", "WinFlag"}) stages[key] = 0;
    stages["Repeat"] = static_cast<int>(k % 65536);
    stages["RepeatDelay"] = static_cast<int>(k / 65536);
    entry["SystemStages"] = stages;
    return entry;
}

Json::Value expectedEvents(long k) {
    Json::Value events(Json::arrayValue);
    for (long i = 0; i < k % 40 + 1; ++i) {
        Json::Value e(Json::objectValue);
        e["Action"] = i % 2 == 0 ? "down" : "up";
        e["Type"] = 10;
        e["Button"] = static_cast<int>((k + i) % 256);
        e["Delay"] = std::to_string(3 * k + i);
        events.append(e);
    }
    return events;
}

long generationOfName(const Json::Value& name) {
    const std::string text = name.isString() ? name.asString() : "";
    if (text.size() < 2 || text[0] != 'P') return -1;
    return std::strtol(text.c_str() + 1, nullptr, 10);
}

// The generations on disk: the profile's settings, its name in its file and
// in the list, and the macro. Empty with `why` set when any file is not whole.
struct OnDisk {
    std::array<long, 4> gen{};  // settings, name in the file, name in the list, macro
};
constexpr std::array<const char*, 4> kWhat = {"profile settings", "profile file name", "list name", "macro"};

std::optional<OnDisk> inspect(const fs::path& folder, const Json::Value& factory, std::string& why) {
    OnDisk disk;
    const auto list = parse(folder / "ProfileList.ini");
    if (!list || (*list)["profilelist"].size() != 1 || (*list)["profileselect"] != 0) {
        why = "ProfileList.ini is not whole";
        return std::nullopt;
    }
    const Json::Value& item = (*list)["profilelist"][0];
    const std::string uuid = item["profileUUID"].asString();
    disk.gen[2] = generationOfName(item["profilename"]);
    const auto profile = parse(folder / (uuid + ".Json"));
    if (!profile || profile->getMemberNames().size() != 3 || (*profile)["profileUUID"] != uuid) {
        why = uuid + ".Json is not whole";
        return std::nullopt;
    }
    disk.gen[1] = generationOfName((*profile)["profilename"]);
    disk.gen[0] = (*profile)["Device"][0]["SystemStages"]["Repeat"].asInt();
    if ((*profile)["Device"].size() != 1 || (*profile)["Device"][0] != expectedEntry(factory, disk.gen[0])) {
        why = uuid + ".Json does not hold generation " + std::to_string(disk.gen[0]) + " whole";
        return std::nullopt;
    }
    const auto macros = parse(folder / "macro.config");
    const std::string guid = macros ? (*macros)["MacroInfo"][0]["Guid"].asString() : "";
    const auto macro = guid.empty() ? std::nullopt : parse(folder / (guid + ".mac"));
    if (!macro || (*macros)["MacroInfo"].size() != 1 || (*macros)["MacroInfo"][0]["MacroName"] != "macro_1") {
        why = "macro.config or its macro file is not whole";
        return std::nullopt;
    }
    disk.gen[3] = std::strtol((*macro)["Events"][0]["Delay"].asCString(), nullptr, 10) / 3;
    if ((*macro)["Events"] != expectedEvents(disk.gen[3]) || (*macro)["Version"] != 64 ||
        (*macro)["Guid"] != guid || (*macro)["MacroName"] != "macro_1" || macro->getMemberNames().size() != 4) {
        why = guid + ".mac does not hold generation " + std::to_string(disk.gen[3]) + " whole";
        return std::nullopt;
    }
    return disk;
}

using Clock = std::chrono::steady_clock;

// No driver run may take longer than this, even one that is not killed on
// purpose: a stuck driver fails the test instead of holding it up for good.
constexpr std::chrono::seconds kDriverLimit{120};
// The kill moments span at least this much, the driver's start and a few
// generations in a plain build.
constexpr long kMinimumSpanUs = 40'000;

struct DriverRun {
    long begun = -1;
    long done = -1;
    bool killed = false;
    int exitCode = -1;
    // From the start to the last "D" line read before the kill; zero if none.
    Clock::duration lastDoneAt{};
};

// Takes the complete lines of `text` ("B k" or "D k") into `run`, keeping an
// unfinished last line in `text` for the next read.
void takeLines(std::string& text, DriverRun& run, Clock::duration at) {
    size_t end = 0;
    for (size_t eol; (eol = text.find('\n', end)) != std::string::npos; end = eol + 1) {
        std::istringstream line(text.substr(end, eol - end));
        std::string what;
        long k = -1;
        line >> what >> k;
        if (what == "B") run.begun = k;
        if (what == "D") {
            run.done = k;
            run.lastDoneAt = at;
        }
    }
    text.erase(0, end);
}

// Starts the driver and kills it once `killAfter` has passed or it has
// finished generation `killAfterDone` (when not negative), reading what it
// reports meanwhile. The driver's output is read as it comes, so the time of
// its "D" lines is known.
DriverRun runDriver(const std::vector<std::string>& args, Clock::duration killAfter, long killAfterDone = -1) {
    int out[2];
    if (::pipe(out) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        std::vector<char*> argv{const_cast<char*>(TALVEN_SAVE_DRIVER)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    const Clock::time_point start = Clock::now();
    DriverRun run;
    std::string text;
    for (Clock::duration left; (left = start + killAfter - Clock::now()) > Clock::duration::zero();) {
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(left).count();
        const timespec wait{static_cast<time_t>(us / 1'000'000), static_cast<long>(us % 1'000'000) * 1000};
        pollfd p{out[0], POLLIN, 0};
        if (::ppoll(&p, 1, &wait, nullptr) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;  // the driver ended by itself
        text.append(buffer, static_cast<size_t>(n));
        takeLines(text, run, Clock::now() - start);
        if (killAfterDone >= 0 && run.done >= killAfterDone) break;
    }
    ::kill(pid, SIGKILL);
    text += test::readAllAndClose(out[0]);
    takeLines(text, run, Clock::now() - start);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// After a kill in a run that started at generation `next`: every file is
// whole and holds either what it held before or a generation the run began.
void checkAfterKill(const fs::path& folder, const Json::Value& factory, const DriverRun& run, long next,
                    OnDisk& disk, int kills) {
    ASSERT_TRUE(run.killed) << "the driver ended by itself with " << run.exitCode << " in generation " << run.begun;
    const OnDisk before = disk;
    std::string why;
    const std::optional<OnDisk> now = inspect(folder, factory, why);
    ASSERT_TRUE(now) << why << " after a kill in generation " << run.begun << " (kill " << kills << ")";
    disk = *now;
    for (size_t f = 0; f < kWhat.size(); ++f) {
        const long g = disk.gen[f];
        const bool unchanged = g == before.gen[f];
        const bool reached = run.begun >= next && g >= next && g <= run.begun;
        EXPECT_TRUE(unchanged || reached) << kWhat[f] << " holds generation " << g << "; before " << before.gen[f]
                                          << ", begun " << run.begun;
        if (run.done >= next) EXPECT_GE(g, run.done) << kWhat[f] << " lost finished generation " << run.done;
    }
    // Settings are saved before the name within a generation, and a kill
    // between the two leaves the name a generation (or more, over several
    // kills) behind, never ahead.
    EXPECT_LE(disk.gen[1], disk.gen[0]);
}

int envNumber(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

TEST(CrashSafety, EveryFileHoldsOneWholeGenerationAfterAKillAtAnyMoment) {
    const unsigned seed = static_cast<unsigned>(envNumber("TALVEN_CRASH_SEED", static_cast<int>(std::random_device{}() >> 1)));
    const int saves = envNumber("TALVEN_CRASH_SAVES", 1000);
    SCOPED_TRACE("replay with TALVEN_CRASH_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);

    test::TempDir dir;
    const fs::path folder = dir / "data";
    fs::create_directory(folder);
    const std::string data = folder.string() + "/";
    const std::string factoryPath = (dir / "keyboard.Json").string();
    test::writeFile(factoryPath, kFactory);
    Json::Value factory;
    ASSERT_TRUE(Json::Reader().parse(kFactory, factory));

    const DriverRun init = runDriver({data, factoryPath, "init"}, kDriverLimit);
    ASSERT_EQ(init.exitCode, 0);
    std::string why;
    std::optional<OnDisk> disk = inspect(folder, factory, why);
    ASSERT_TRUE(disk) << why;
    ASSERT_EQ(disk->gen, (std::array<long, 4>{0, 0, 0, 0}));

    // The first kill comes once the driver has finished two generations,
    // which times its start and its saves on this machine and build. The
    // kill moments after it fall anywhere in that span: a fixed span would,
    // where the start alone takes longer (a sanitized build, a loaded
    // machine), kill before the first save nearly every time and the test
    // would barely move on.
    const DriverRun timing = runDriver({data, factoryPath, "1"}, kDriverLimit, 2);
    ASSERT_GE(timing.done, 2) << "the driver did not finish two generations in " << kDriverLimit.count() << " s";
    int kills = 1;
    checkAfterKill(folder, factory, timing, 1, *disk, kills);
    if (HasFailure()) return;
    const auto spanUs = std::chrono::duration_cast<std::chrono::microseconds>(timing.lastDoneAt).count();
    std::uniform_int_distribution<long> delay(0, std::max<long>(spanUs, kMinimumSpanUs));
    SCOPED_TRACE("kill moments spread over " + std::to_string(spanUs) + " us");

    long next = timing.begun + 1;
    while ((next - 1) * 3 < saves) {
        const auto killAfter = std::chrono::microseconds(delay(random));
        const DriverRun run = runDriver({data, factoryPath, std::to_string(next)}, killAfter);
        ++kills;
        checkAfterKill(folder, factory, run, next, *disk, kills);
        if (HasFailure()) return;
        if (run.begun >= next) next = run.begun + 1;
    }
    // A kill while writing leaves no temporary behind: the new contents have
    // no name until they are whole. Only a kill in the instant between
    // naming and renaming can leave one.
    int leftovers = 0;
    for (const auto& f : fs::directory_iterator(folder))
        leftovers += f.path().filename().string().find(".tmp-") != std::string::npos ? 1 : 0;
    EXPECT_LE(leftovers, kills / 20) << "temporaries left by " << kills << " kills";
    RecordProperty("leftovers", leftovers);
    RecordProperty("kills", kills);
    RecordProperty("generations", static_cast<int>(next - 1));
}

}  // namespace
}  // namespace talven
