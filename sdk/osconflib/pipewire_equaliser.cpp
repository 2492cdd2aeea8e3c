#include "sdk/osconflib/pipewire_equaliser.h"

#include "sdk/osconflib/default_sink_memory.h"
#include "sdk/osconflib/exit_signals.h"

#include <pipewire/extensions/metadata.h>
#include <pipewire/impl-module.h>
#include <pipewire/pipewire.h>
#include <spa/param/props.h>
#include <spa/pod/builder.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

namespace osconf {

namespace {

constexpr char kDefaultSinkKey[] = "default.configured.audio.sink";
constexpr std::int64_t kFirstAnswerNs = 500'000'000;
constexpr std::int64_t kLastAnswerNs = 1'000'000'000;

Properties toProperties(const spa_dict* dict) {
    Properties props;
    const spa_dict_item* item;
    if (dict != nullptr) {
        spa_dict_for_each(item, dict) props[item->key] = item->value != nullptr ? item->value : "";
    }
    return props;
}

std::string lookup(const Properties& props, const char* key) {
    auto found = props.find(key);
    return found == props.end() ? std::string() : found->second;
}

}  // namespace

// Everything below runs with the thread loop's lock held: PipeWire's
// callbacks on its own thread, the public calls after taking the lock.
struct PipewireEqualiser::Impl {
    UsbId headset;
    EqSettings settings;
    DefaultSinkMemory memory{DefaultSinkMemory::defaultFolder()};

    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_registry* registry = nullptr;
    pw_metadata* metadata = nullptr;
    pw_proxy* filterNode = nullptr;
    pw_impl_module* module = nullptr;
    spa_hook coreListener{};
    spa_hook registryListener{};
    spa_hook metadataListener{};
    spa_hook moduleListener{};
    std::uint32_t metadataId = SPA_ID_INVALID;
    std::uint32_t filterId = SPA_ID_INVALID;

    // Sinks and devices bound to read their whole properties (the registry
    // lists only a few): the IDs sit on a sound card's device, or on the
    // sink itself.
    struct Probe {
        Impl* owner = nullptr;
        pw_proxy* proxy = nullptr;
        spa_hook listener{};
        bool sink = false;
        Properties props;
    };
    std::map<std::uint32_t, std::unique_ptr<Probe>> probes;
    std::optional<std::uint32_t> sinkId;
    std::string sinkName;
    std::optional<std::string> configured;  // the default sink's metadata value
    std::optional<std::string> previous;    // what it was before the equaliser took it
    bool holding = false;                   // the equaliser took the default and owes it back

    int syncSeq = -1;
    int syncRound = 0;
    bool synced = false;
    bool serverGone = false;
    bool busy = false;    // another process holds the equaliser
    bool failed = false;  // the filter chain could not be loaded, or went away on its own
    bool unloading = false;  // inside our own pw_impl_module_destroy()
    int lastSeq = -1;
    int exitSeq = -1;
    int exitHeardSeq = -1;  // answered once the server's last news reached us
    int leftSeq = -1;       // answered once the default is known after the sink left
    int takeSeq = -1;       // answered once the default is known after the chain loaded
    bool lastDone = false;
    std::string lastReport;
    std::atomic<bool> heard{false};

    ~Impl();
    void report(const std::string& text);
    void updateHeard();
    bool matchesHeadset(const Properties& props) const;
    void probe(std::uint32_t id, const char* type, bool sink);
    void dropProbe(std::uint32_t id);
    void findSink();
    void onGlobal(std::uint32_t id, const char* type, const spa_dict* dict);
    void onGlobalRemove(std::uint32_t id);
    void onDone(int seq);
    void bindMetadata(std::uint32_t id);
    void dropMetadata();
    void rereadDefault();
    void recoverLeftDefault();
    void reconcile();
    bool engage();
    void takeOverDefault();
    void disengage();
    void unloadChain();
    void putBackDefault();
    void moduleGone();
    void setConfigured(const std::optional<std::string>& value);
    bool ours() const;
    std::optional<std::string> defaultToPutBack() const;
    void pushGains();
    // Waits (lock held) until the server has handled every earlier request.
    void flush(std::int64_t timeoutNs);
};

namespace {

// The event tables name only the events heard here; the rest stay null.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

void onCoreDone(void* data, std::uint32_t id, int seq) {
    if (id == PW_ID_CORE) static_cast<PipewireEqualiser::Impl*>(data)->onDone(seq);
}

void onCoreError(void* data, std::uint32_t id, int, int res, const char* message) {
    auto* impl = static_cast<PipewireEqualiser::Impl*>(data);
    if (id != PW_ID_CORE || res != -EPIPE) return;
    impl->serverGone = true;
    impl->report(std::string("the PipeWire server went away: ") + (message ? message : ""));
    impl->updateHeard();
    pw_thread_loop_signal(impl->loop, false);
}

const pw_core_events kCoreEvents{.version = PW_VERSION_CORE_EVENTS, .done = onCoreDone, .error = onCoreError};

void onRegistryGlobal(void* data, std::uint32_t id, std::uint32_t, const char* type, std::uint32_t,
                      const spa_dict* props) {
    static_cast<PipewireEqualiser::Impl*>(data)->onGlobal(id, type, props);
}

void onRegistryGlobalRemove(void* data, std::uint32_t id) {
    static_cast<PipewireEqualiser::Impl*>(data)->onGlobalRemove(id);
}

const pw_registry_events kRegistryEvents{
    .version = PW_VERSION_REGISTRY_EVENTS, .global = onRegistryGlobal, .global_remove = onRegistryGlobalRemove};

void onProbeInfo(void* data, const spa_dict* props) {
    auto* probe = static_cast<PipewireEqualiser::Impl::Probe*>(data);
    if (props == nullptr) return;
    probe->props = toProperties(props);
    probe->owner->findSink();
    probe->owner->updateHeard();
}

void onNodeInfo(void* data, const pw_node_info* info) {
    if (info->change_mask & PW_NODE_CHANGE_MASK_PROPS) onProbeInfo(data, info->props);
}

void onDeviceInfo(void* data, const pw_device_info* info) {
    if (info->change_mask & PW_DEVICE_CHANGE_MASK_PROPS) onProbeInfo(data, info->props);
}

const pw_node_events kNodeProbeEvents{.version = PW_VERSION_NODE_EVENTS, .info = onNodeInfo};

const pw_device_events kDeviceProbeEvents{.version = PW_VERSION_DEVICE_EVENTS, .info = onDeviceInfo};

int onMetadataProperty(void* data, std::uint32_t subject, const char* key, const char*, const char* value) {
    auto* impl = static_cast<PipewireEqualiser::Impl*>(data);
    if (subject != PW_ID_CORE) return 0;
    if (key == nullptr) impl->configured.reset();  // every key cleared
    else if (std::strcmp(key, kDefaultSinkKey) == 0)
        impl->configured = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    return 0;
}

const pw_metadata_events kMetadataEvents{.version = PW_VERSION_METADATA_EVENTS, .property = onMetadataProperty};

void onModuleDestroy(void* data) { static_cast<PipewireEqualiser::Impl*>(data)->moduleGone(); }

const pw_impl_module_events kModuleEvents{.version = PW_VERSION_IMPL_MODULE_EVENTS, .destroy = onModuleDestroy};

#pragma GCC diagnostic pop

}  // namespace

void PipewireEqualiser::Impl::report(const std::string& text) {
    if (text == lastReport) return;
    lastReport = text;
    std::fprintf(stderr, "osConfLib: equaliser: %s\n", text.c_str());
}

void PipewireEqualiser::Impl::updateHeard() {
    heard = synced && !serverGone && sinkId && metadata != nullptr && !busy && !failed;
}

bool PipewireEqualiser::Impl::matchesHeadset(const Properties& props) const {
    if (carriesUsbId(props, headset)) return true;
    std::string device = lookup(props, PW_KEY_DEVICE_ID);
    if (device.empty()) return false;
    auto found = probes.find(static_cast<std::uint32_t>(std::strtoul(device.c_str(), nullptr, 10)));
    return found != probes.end() && !found->second->sink && carriesUsbId(found->second->props, headset);
}

void PipewireEqualiser::Impl::findSink() {
    if (!synced || sinkId) return;
    for (const auto& [id, probe] : probes) {
        if (!probe->sink || !matchesHeadset(probe->props)) continue;
        sinkId = id;
        sinkName = lookup(probe->props, PW_KEY_NODE_NAME);
        reconcile();
        return;
    }
}

void PipewireEqualiser::Impl::probe(std::uint32_t id, const char* type, bool sink) {
    auto entry = std::make_unique<Probe>();
    entry->owner = this;
    entry->sink = sink;
    entry->proxy = static_cast<pw_proxy*>(
        pw_registry_bind(registry, id, type, sink ? PW_VERSION_NODE : PW_VERSION_DEVICE, 0));
    if (entry->proxy == nullptr) return;
    if (sink) pw_proxy_add_object_listener(entry->proxy, &entry->listener, &kNodeProbeEvents, entry.get());
    else pw_proxy_add_object_listener(entry->proxy, &entry->listener, &kDeviceProbeEvents, entry.get());
    probes[id] = std::move(entry);
}

void PipewireEqualiser::Impl::dropProbe(std::uint32_t id) {
    auto found = probes.find(id);
    if (found == probes.end()) return;
    spa_hook_remove(&found->second->listener);
    pw_proxy_destroy(found->second->proxy);
    probes.erase(found);
}

void PipewireEqualiser::Impl::onGlobal(std::uint32_t id, const char* type, const spa_dict* dict) {
    Properties props = toProperties(dict);
    const bool node = std::strcmp(type, PW_TYPE_INTERFACE_Node) == 0;
    const std::string name = lookup(props, PW_KEY_NODE_NAME);
    if (std::strcmp(type, PW_TYPE_INTERFACE_Device) == 0) {
        probe(id, type, false);
    } else if (node && lookup(props, PW_KEY_MEDIA_CLASS) == "Audio/Sink" && name != kEqSinkName) {
        probe(id, type, true);
    } else if (std::strcmp(type, PW_TYPE_INTERFACE_Metadata) == 0 && lookup(props, PW_KEY_METADATA_NAME) == "default" &&
               metadata == nullptr) {
        bindMetadata(id);
    } else if (node && name == kEqSinkName && module != nullptr && filterNode == nullptr) {
        filterNode = static_cast<pw_proxy*>(pw_registry_bind(registry, id, type, PW_VERSION_NODE, 0));
        filterId = id;
        pushGains();
    }
    updateHeard();
}

void PipewireEqualiser::Impl::onGlobalRemove(std::uint32_t id) {
    dropProbe(id);
    if (id == filterId && filterNode != nullptr) {
        pw_proxy_destroy(filterNode);
        filterNode = nullptr;
        filterId = SPA_ID_INVALID;
    }
    if (id == metadataId && metadata != nullptr) {
        dropMetadata();
        metadataId = SPA_ID_INVALID;
    }
    if (sinkId && id == *sinkId) {
        sinkId.reset();
        report("the headset's sink left PipeWire; the equaliser is out of the path until it returns");
        // The chain goes at once (left alone it would end itself with its
        // sink, as a failure); the default waits for a fresh read.
        if (module != nullptr) {
            unloadChain();
            rereadDefault();
            leftSeq = pw_core_sync(core, PW_ID_CORE, 0);
        }
    }
    updateHeard();
}

void PipewireEqualiser::Impl::dropMetadata() {
    spa_hook_remove(&metadataListener);
    pw_proxy_destroy(reinterpret_cast<pw_proxy*>(metadata));
    metadata = nullptr;
}

void PipewireEqualiser::Impl::bindMetadata(std::uint32_t id) {
    metadata = static_cast<pw_metadata*>(
        pw_registry_bind(registry, id, PW_TYPE_INTERFACE_Metadata, PW_VERSION_METADATA, 0));
    metadataId = id;
    if (metadata != nullptr) pw_metadata_add_listener(metadata, &metadataListener, &kMetadataEvents, this);
}

// While another client is binding the metadata, PipeWire passes a change
// only to that newcomer: a default the user picked at that moment never
// reaches a binding made earlier, ours included. A fresh binding is sent
// every value as it stands, ahead of the answer to a sync that follows, so
// the default is read again this way before each decision on it: which one
// to put back at the end, and whether to.
void PipewireEqualiser::Impl::rereadDefault() {
    if (metadata == nullptr) return;
    dropMetadata();
    configured.reset();
    bindMetadata(metadataId);
}

// The first round trip lists the registry (binding the default metadata);
// the second brings the metadata's values. Only then is the picture whole.
void PipewireEqualiser::Impl::onDone(int seq) {
    if (seq == exitSeq) return exit_signals::finish();
    if (seq == exitHeardSeq) {
        disengage();
        exitSeq = pw_core_sync(core, PW_ID_CORE, 0);
        return;
    }
    if (seq == takeSeq) {
        takeSeq = -1;
        takeOverDefault();
        return;
    }
    if (seq == leftSeq) {
        leftSeq = -1;
        putBackDefault();
        reconcile();  // the sink may be back already
        return;
    }
    if (seq == lastSeq) {
        lastDone = true;
        pw_thread_loop_signal(loop, false);
        return;
    }
    if (seq != syncSeq) return;
    if (++syncRound < 2) {
        syncSeq = pw_core_sync(core, PW_ID_CORE, 0);
        return;
    }
    // What a killed run left is mended before this run takes anything over.
    recoverLeftDefault();
    synced = true;
    findSink();
    if (metadata == nullptr) report("PipeWire has no default-sink metadata (is a session manager running?)");
    else if (!sinkId) report("no sink of the headset in PipeWire; the equaliser's values are kept, not heard");
    reconcile();
    updateHeard();
    pw_thread_loop_signal(loop, false);
}

void PipewireEqualiser::Impl::recoverLeftDefault() {
    std::optional<std::optional<std::string>> left = memory.load();
    std::string error;
    // A file under a lock another process holds is that live process's.
    if (!left || metadata == nullptr || memory.locked() || !memory.lock(error)) return;
    if (ours()) {
        setConfigured(*left);
        report("put back the default sink that an earlier run left to the equaliser");
    }
    memory.forget();
    memory.unlock();
}

void PipewireEqualiser::Impl::reconcile() {
    if (!synced || serverGone) return;
    // Not while the sink's leaving still decides the default: what this
    // engagement saves as the previous one would be half read.
    if (settings.enabled && sinkId && module == nullptr && !failed && leftSeq < 0) engage();
    pushGains();
    updateHeard();
}

// The chain loads at once; the default sink is taken over a round trip
// later, once it has been read afresh: the one to put back at the end is
// the one in place now, even if the change to it never reached us.
bool PipewireEqualiser::Impl::engage() {
    if (metadata == nullptr) return false;
    std::string error;
    // The file is written now too, with the value as we know it, so a
    // state folder that cannot be written stops the equaliser before a
    // chain is loaded for nothing; the takeover writes the fresh value.
    busy = !memory.lock(error);
    if (busy || !memory.save(defaultToPutBack(), error)) {
        report(error + "; the equaliser's values are kept, not heard");
        memory.unlock();
        return false;
    }
    std::string args = filterChainArguments(effectiveGains(settings), sinkName);
    module = pw_context_load_module(context, "libpipewire-module-filter-chain", args.c_str(), nullptr);
    if (module == nullptr) {
        failed = true;
        report(std::string("PipeWire's filter chain could not be loaded: ") + std::strerror(errno));
        memory.forget();
        memory.unlock();
        return false;
    }
    pw_impl_module_add_listener(module, &moduleListener, &kModuleEvents, this);
    rereadDefault();
    takeSeq = pw_core_sync(core, PW_ID_CORE, 0);
    report("playing into " + sinkName);
    return true;
}

void PipewireEqualiser::Impl::takeOverDefault() {
    // The sink left meanwhile: its own round trip settles the default.
    if (module == nullptr) return;
    std::string error;
    std::optional<std::string> before = defaultToPutBack();
    if (!memory.save(before, error)) {
        report(error + "; the equaliser's values are kept, not heard");
        unloadChain();
        memory.unlock();
        return;
    }
    previous = before;
    holding = true;
    setConfigured(defaultSinkValue(kEqSinkName));
    // On this thread nothing can wait for the server: the signal's end
    // comes when the server answers the sync after the restore.
    // A default the user chose just before the signal may not have reached
    // us: it is read afresh, and the round trip brings it before the
    // default is decided.
    exit_signals::arm(pw_thread_loop_get_loop(loop), [this] {
        rereadDefault();
        exitHeardSeq = pw_core_sync(core, PW_ID_CORE, 0);
    });
}

// The default goes back only while it is still the equaliser: a default the
// user chose meanwhile stays.
void PipewireEqualiser::Impl::disengage() {
    if (module == nullptr) return;
    putBackDefault();
    unloadChain();
}

void PipewireEqualiser::Impl::putBackDefault() {
    if (holding && ours()) setConfigured(previous);
    holding = false;
    memory.forget();
    memory.unlock();
}

void PipewireEqualiser::Impl::unloadChain() {
    unloading = true;
    pw_impl_module_destroy(module);  // moduleGone() forgets it
    unloading = false;
}

// The filter chain also unloads itself, from PipeWire's work queue, when its
// connection to the server ends (the server stopped or restarted): the
// pointer goes with it, or the end of the run would destroy it a second time.
// The default sink cannot be put back then; the file stays, so the next start
// mends it as after a killed run, and the chain is not loaded again in this
// run.
void PipewireEqualiser::Impl::moduleGone() {
    spa_hook_remove(&moduleListener);
    module = nullptr;
    if (filterNode != nullptr) {
        pw_proxy_destroy(filterNode);
        filterNode = nullptr;
        filterId = SPA_ID_INVALID;
    }
    // Armed signals would wait for a restore that can no longer happen.
    exit_signals::disarm();
    if (unloading) return;
    failed = true;
    report("PipeWire unloaded the equaliser's filter chain; the equaliser's values are kept, not heard");
    updateHeard();
}

// A default that already names the equaliser (left by a killed run whose
// file is gone) is nothing to go back to: then none is configured afterwards
// and the session manager picks one.
std::optional<std::string> PipewireEqualiser::Impl::defaultToPutBack() const {
    return ours() ? std::nullopt : configured;
}

bool PipewireEqualiser::Impl::ours() const {
    return configured && defaultSinkName(*configured) == std::string(kEqSinkName);
}

void PipewireEqualiser::Impl::setConfigured(const std::optional<std::string>& value) {
    if (metadata == nullptr) return;
    pw_metadata_set_property(metadata, PW_ID_CORE, kDefaultSinkKey, value ? "Spa:String:JSON" : nullptr,
                             value ? value->c_str() : nullptr);
    configured = value;
}

void PipewireEqualiser::Impl::pushGains() {
    if (filterNode == nullptr) return;
    std::array<float, kEqBands> gains = effectiveGains(settings);
    std::uint8_t buffer[1024];
    spa_pod_builder builder{};
    spa_pod_builder_init(&builder, buffer, sizeof buffer);
    spa_pod_frame object{};
    spa_pod_frame params{};
    spa_pod_builder_push_object(&builder, &object, SPA_TYPE_OBJECT_Props, SPA_PARAM_Props);
    spa_pod_builder_prop(&builder, SPA_PROP_params, 0);
    spa_pod_builder_push_struct(&builder, &params);
    for (int i = 0; i < kEqBands; ++i) {
        spa_pod_builder_string(&builder, bandControl(i).c_str());
        spa_pod_builder_float(&builder, gains[static_cast<std::size_t>(i)]);
    }
    spa_pod_builder_pop(&builder, &params);
    auto* pod = static_cast<spa_pod*>(spa_pod_builder_pop(&builder, &object));
    pw_node_set_param(reinterpret_cast<pw_node*>(filterNode), SPA_PARAM_Props, 0, pod);
}

void PipewireEqualiser::Impl::flush(std::int64_t timeoutNs) {
    if (core == nullptr || serverGone) return;
    lastDone = false;
    lastSeq = pw_core_sync(core, PW_ID_CORE, 0);
    timespec deadline{};
    pw_thread_loop_get_time(loop, &deadline, timeoutNs);
    while (!lastDone && !serverGone && pw_thread_loop_timed_wait_full(loop, &deadline) == 0) {
    }
}

PipewireEqualiser::Impl::~Impl() {
    if (loop == nullptr) return;
    pw_thread_loop_lock(loop);
    // The default as it stands first: one the user chose a moment ago must
    // be known before deciding whether to put the previous one back.
    // A takeover on its way has just read it.
    if (module != nullptr && takeSeq < 0) rereadDefault();
    flush(kLastAnswerNs);
    disengage();
    flush(kLastAnswerNs);
    pw_thread_loop_unlock(loop);
    pw_thread_loop_stop(loop);
    while (!probes.empty()) dropProbe(probes.begin()->first);
    if (metadata != nullptr) pw_proxy_destroy(reinterpret_cast<pw_proxy*>(metadata));
    if (registry != nullptr) pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry));
    if (core != nullptr) pw_core_disconnect(core);
    if (context != nullptr) pw_context_destroy(context);
    pw_thread_loop_destroy(loop);
}

// ---- the public side ---------------------------------------------------------------

PipewireEqualiser::PipewireEqualiser(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

PipewireEqualiser::~PipewireEqualiser() = default;

std::unique_ptr<PipewireEqualiser> PipewireEqualiser::open(UsbId headset, const EqSettings& settings,
                                                           std::string& error) {
    pw_init(nullptr, nullptr);
    auto impl = std::make_unique<Impl>();
    impl->headset = headset;
    impl->settings = settings;
    impl->loop = pw_thread_loop_new("osconf-eq", nullptr);
    if (impl->loop == nullptr) {
        error = std::string("cannot make PipeWire's thread: ") + std::strerror(errno);
        return nullptr;
    }
    impl->context = pw_context_new(pw_thread_loop_get_loop(impl->loop), nullptr, 0);
    impl->core = impl->context ? pw_context_connect(impl->context, nullptr, 0) : nullptr;
    if (impl->core == nullptr) {
        error = std::string("no PipeWire server answers (") + std::strerror(errno) + ")";
        return nullptr;
    }
    Impl& state = *impl;
    pw_core_add_listener(state.core, &state.coreListener, &kCoreEvents, &state);
    state.registry = pw_core_get_registry(state.core, PW_VERSION_REGISTRY, 0);
    pw_registry_add_listener(state.registry, &state.registryListener, &kRegistryEvents, &state);
    state.syncSeq = pw_core_sync(state.core, PW_ID_CORE, 0);
    pw_thread_loop_lock(state.loop);
    if (pw_thread_loop_start(state.loop) != 0) {
        pw_thread_loop_unlock(state.loop);
        error = "cannot start PipeWire's thread";
        return nullptr;
    }
    timespec deadline{};
    pw_thread_loop_get_time(state.loop, &deadline, kFirstAnswerNs);
    while (!state.synced && !state.serverGone && pw_thread_loop_timed_wait_full(state.loop, &deadline) == 0) {
    }
    // A default sink put back or taken over at the start is in place when
    // the library's start returns: a takeover reads the default in one
    // round trip and sets it in the next.
    if (state.synced) {
        state.flush(kFirstAnswerNs);
        state.flush(kFirstAnswerNs);
    }
    pw_thread_loop_unlock(state.loop);
    return std::unique_ptr<PipewireEqualiser>(new PipewireEqualiser(std::move(impl)));
}

void PipewireEqualiser::setEnabled(bool on) {
    pw_thread_loop_lock(impl_->loop);
    impl_->settings.enabled = on;
    impl_->reconcile();
    pw_thread_loop_unlock(impl_->loop);
}

void PipewireEqualiser::setBand(int index, int gainDb) {
    if (index < 0 || index >= kEqBands) return;
    pw_thread_loop_lock(impl_->loop);
    impl_->settings.bands[static_cast<std::size_t>(index)] = gainDb;
    impl_->reconcile();
    pw_thread_loop_unlock(impl_->loop);
}

bool PipewireEqualiser::heard() const { return impl_->heard; }

}  // namespace osconf
