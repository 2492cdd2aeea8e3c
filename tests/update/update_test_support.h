#pragma once
// What the update tests run against: the HTTPS test servers of
// tests/support/https_test_server.py, a private message bus, and a listener
// for the UpdateStatus signal.

#include "support/temp_dir.h"

#include <json/reader.h>
#include <json/value.h>

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace talven::test {

// A child whose standard input we hold open (closing it asks it to end) and
// whose standard output we read line by line.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> argv) {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::close(in[1]);
            ::close(out[0]);
            std::vector<char*> args;
            for (std::string& a : argv) args.push_back(a.data());
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
    }
    ~ChildProcess() {
        if (stdin_ >= 0) ::close(stdin_);
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0) ::close(stdout_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line without its newline; empty when none came in time.
    std::string readLine(int timeoutMs) {
        std::string line;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{stdout_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char c;
            if (::read(stdout_, &c, 1) != 1) break;
            if (c == '\n') return line;
            line += c;
        }
        return {};
    }

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
};

// The good server (certificate for localhost from the test CA), one whose
// certificate names another host, one with a self-signed certificate, and a
// CONNECT proxy that leads to the good server.
class HttpsTestServer {
public:
    // The certificates are made once a day in the build tree and shared by
    // the test programs (each test runs as a program of its own).
    HttpsTestServer()
        : process_({TALVEN_PYTHON, TALVEN_TEST_SUPPORT_DIR "/https_test_server.py", work_.str(),
                    TALVEN_BINARY_DIR "/tests/update-certificates"}) {
        Json::Value ports;
        const std::string line = process_.readLine(30000);
        Json::CharReaderBuilder builder;
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        if (!reader->parse(line.data(), line.data() + line.size(), &ports, nullptr) || !ports.isObject()) return;
        for (const char* name : {"good", "wrongname", "selfsigned", "proxy"}) ports_[name] = ports[name].asInt();
        caFile_ = ports["ca"].asString();
    }
    bool ready() const { return !caFile_.empty(); }
    const std::string& caFile() const { return caFile_; }
    int port(const char* name) const { return ports_[name].asInt(); }
    std::string url(const char* server, const std::string& path) const {
        return "https://localhost:" + std::to_string(port(server)) + path;
    }
    std::filesystem::path file(const std::string& name) const { return work_ / name; }

private:
    TempDir work_;
    ChildProcess process_;
    Json::Value ports_;
    std::string caFile_;
};

// A test suite that shares one HttpsTestServer; its tests skip when the
// server could not start.
class HttpsServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new HttpsTestServer; }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        if (!server_->ready()) GTEST_SKIP() << "the HTTPS test server did not start (python3, openssl)";
    }

    static inline HttpsTestServer* server_ = nullptr;
};

// A port nothing listens on: bound to make sure nobody takes it, never
// listening, so connections are refused.
class ClosedPort {
public:
    ClosedPort() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~ClosedPort() { ::close(fd_); }
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// A dbus-daemon of the test's own; address() is empty when none could start.
class TestBus {
public:
    TestBus() : process_({"dbus-daemon", "--session", "--nofork", "--print-address"}) {
        address_ = process_.readLine(5000);
    }
    const std::string& address() const { return address_; }

private:
    ChildProcess process_;
    std::string address_;
};

// Collects UpdateStatus signals (code, value) from a bus.
class StatusListener {
public:
    using Message = std::pair<uint32_t, int32_t>;

    explicit StatusListener(const std::string& address) : context_(g_main_context_new()) {
        g_main_context_push_thread_default(context_);
        connection_ = g_dbus_connection_new_for_address_sync(
            address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        if (connection_ != nullptr) {
            // Written out here rather than taken from the program's headers,
            // so a wrong name on either side fails.
            subscription_ = g_dbus_connection_signal_subscribe(connection_, nullptr, "org.talven.K88.Messages",
                                                               "UpdateStatus", "/org/talven/K88", nullptr,
                                                               G_DBUS_SIGNAL_FLAGS_NONE, onSignal, this, nullptr);
        }
        g_main_context_pop_thread_default(context_);
    }
    ~StatusListener() {
        if (connection_ != nullptr) {
            g_dbus_connection_signal_unsubscribe(connection_, subscription_);
            g_object_unref(connection_);
        }
        while (g_main_context_iteration(context_, FALSE)) {
        }
        g_main_context_unref(context_);
    }
    bool connected() const { return connection_ != nullptr; }

    // Dispatches until `done` holds or the time is up.
    template <typename Done>
    bool waitUntil(Done done, int timeoutMs = 10000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done() && std::chrono::steady_clock::now() < end) {
            while (g_main_context_iteration(context_, FALSE)) {
            }
            if (!done()) ::usleep(5000);
        }
        return done();
    }
    const std::vector<Message>& messages() const { return messages_; }

private:
    static void onSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                         GVariant* parameters, gpointer self) {
        if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ui)"))) return;
        guint32 code = 0;
        gint32 value = 0;
        g_variant_get(parameters, "(ui)", &code, &value);
        static_cast<StatusListener*>(self)->messages_.emplace_back(code, value);
    }

    GMainContext* context_;
    GDBusConnection* connection_ = nullptr;
    guint subscription_ = 0;
    std::vector<Message> messages_;
};

}  // namespace talven::test
