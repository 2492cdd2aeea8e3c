// Sets the configured default sink as a desktop's sound settings do, from a
// connection bound to the "default" metadata once, at its start. The
// PipeWire test holds it open so a change can be made at a chosen moment,
// such as while the session manager is stopped: a fresh pw-metadata binds
// first, and that bind waits for the session manager.
//
// Prints "ready" once bound; then each line of standard input names a sink
// (or is "-" to clear the value) and is answered "ok" once the server has
// taken the request. Ends at the end of its input.

#include <pipewire/extensions/metadata.h>
#include <pipewire/pipewire.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

struct Setter {
    pw_main_loop* loop = nullptr;
    pw_core* core = nullptr;
    pw_registry* registry = nullptr;
    pw_metadata* metadata = nullptr;
    spa_hook coreListener{};
    spa_hook registryListener{};
    int pending = -1;
    bool ready = false;
    std::string input;
    int status = 0;
};

void answer(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void setDefault(Setter& s, const std::string& name) {
    if (name == "-") {
        pw_metadata_set_property(s.metadata, PW_ID_CORE, "default.configured.audio.sink", nullptr, nullptr);
    } else {
        std::string value = "{\"name\":\"" + name + "\"}";
        pw_metadata_set_property(s.metadata, PW_ID_CORE, "default.configured.audio.sink", "Spa:String:JSON",
                                 value.c_str());
    }
    s.pending = pw_core_sync(s.core, PW_ID_CORE, 0);
}

void onInput(void* data, int fd, std::uint32_t) {
    auto& s = *static_cast<Setter*>(data);
    char buffer[256];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got <= 0) {
        pw_main_loop_quit(s.loop);
        return;
    }
    s.input.append(buffer, static_cast<std::size_t>(got));
    for (std::size_t end; (end = s.input.find('\n')) != std::string::npos;) {
        setDefault(s, s.input.substr(0, end));
        s.input.erase(0, end + 1);
    }
}

void onDone(void* data, std::uint32_t id, int seq) {
    auto& s = *static_cast<Setter*>(data);
    if (id != PW_ID_CORE || seq != s.pending) return;
    if (s.ready) return answer("ok");
    if (s.metadata == nullptr) {
        std::fprintf(stderr, "default_sink_setter: PipeWire has no \"default\" metadata\n");
        s.status = 1;
        pw_main_loop_quit(s.loop);
        return;
    }
    s.ready = true;
    pw_loop_add_io(pw_main_loop_get_loop(s.loop), STDIN_FILENO, SPA_IO_IN | SPA_IO_HUP, false, onInput, &s);
    answer("ready");
}

void onGlobal(void* data, std::uint32_t id, std::uint32_t, const char* type, std::uint32_t, const spa_dict* props) {
    auto& s = *static_cast<Setter*>(data);
    const char* name = props ? spa_dict_lookup(props, PW_KEY_METADATA_NAME) : nullptr;
    if (s.metadata != nullptr || std::strcmp(type, PW_TYPE_INTERFACE_Metadata) != 0 || name == nullptr ||
        std::strcmp(name, "default") != 0)
        return;
    s.metadata = static_cast<pw_metadata*>(pw_registry_bind(s.registry, id, type, PW_VERSION_METADATA, 0));
    s.pending = pw_core_sync(s.core, PW_ID_CORE, 0);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
const pw_core_events kCoreEvents{.version = PW_VERSION_CORE_EVENTS, .done = onDone};
const pw_registry_events kRegistryEvents{.version = PW_VERSION_REGISTRY_EVENTS, .global = onGlobal};
#pragma GCC diagnostic pop

}  // namespace

int main(int argc, char** argv) {
    pw_init(&argc, &argv);
    Setter s;
    s.loop = pw_main_loop_new(nullptr);
    pw_context* context = pw_context_new(pw_main_loop_get_loop(s.loop), nullptr, 0);
    s.core = pw_context_connect(context, nullptr, 0);
    if (s.core == nullptr) {
        std::fprintf(stderr, "default_sink_setter: no PipeWire server answers\n");
        return 1;
    }
    pw_core_add_listener(s.core, &s.coreListener, &kCoreEvents, &s);
    s.registry = pw_core_get_registry(s.core, PW_VERSION_REGISTRY, 0);
    pw_registry_add_listener(s.registry, &s.registryListener, &kRegistryEvents, &s);
    s.pending = pw_core_sync(s.core, PW_ID_CORE, 0);
    pw_main_loop_run(s.loop);
    if (s.metadata != nullptr) pw_proxy_destroy(reinterpret_cast<pw_proxy*>(s.metadata));
    pw_proxy_destroy(reinterpret_cast<pw_proxy*>(s.registry));
    pw_core_disconnect(s.core);
    pw_context_destroy(context);
    pw_main_loop_destroy(s.loop);
    return s.status;
}
