#include "rgbsdk/sdk_server.h"
#include "rgbsdk/sdk_test_bytes.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace talven::rgbsdk {
namespace {

using test::Bytes;

// A plain blocking client with a receive timeout, so a missing answer fails
// the test instead of hanging it.
struct RawClient {
    int fd = -1;
    explicit RawClient(uint16_t port) {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        timeval tv{2, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ~RawClient() {
        if (fd >= 0) ::close(fd);
    }
    bool send(const std::vector<uint8_t>& bytes) const {
        return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // Exactly n bytes, or what came before the peer closed or went quiet.
    std::vector<uint8_t> receive(size_t n) const {
        std::vector<uint8_t> got(n);
        size_t have = 0;
        while (have < n) {
            const ssize_t r = ::recv(fd, got.data() + have, n - have, 0);
            if (r <= 0) break;
            have += static_cast<size_t>(r);
        }
        got.resize(have);
        return got;
    }
    // True when the server closed the connection (end of stream after any
    // bytes still under way).
    bool closedByServer() const {
        uint8_t buffer[65536];
        for (;;) {
            const ssize_t r = ::recv(fd, buffer, sizeof buffer, 0);
            if (r == 0) return true;
            if (r < 0) return errno == ECONNRESET;
        }
    }
};

struct Sink {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<SdkCommand> commands;
    void operator()(SdkCommand c) {
        std::lock_guard<std::mutex> guard(lock);
        commands.push_back(std::move(c));
        changed.notify_all();
    }
    bool waitFor(size_t count) {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, std::chrono::seconds(3), [&] { return commands.size() >= count; });
    }
};

class SdkServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ServerAddress address;
        address.port = 0;
        server = std::make_unique<SdkServer>(address, [this](SdkCommand c) { sink(std::move(c)); });
        ControllerList list(3);
        server->setControllers(list, false);
        std::string error;
        ASSERT_TRUE(server->start(&error)) << error;
    }
    std::vector<uint8_t> countAnswer(uint32_t n) { return test::packet(0, 0, Bytes().u32(n).v); }

    Sink sink;
    std::unique_ptr<SdkServer> server;
};

TEST_F(SdkServerTest, FiftyClientsAreServedBesideASilentAndAGarbledOne) {
    RawClient silent(server->port());
    RawClient halfHeader(server->port());
    ASSERT_TRUE(halfHeader.send({'O', 'R', 'G', 'B', 0, 0}));
    RawClient garbled(server->port());
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 50; ++i) {
        clients.push_back(std::make_unique<RawClient>(server->port()));
        ASSERT_GE(clients.back()->fd, 0);
    }
    ASSERT_TRUE(garbled.send({'H', 'E', 'L', 'L', 'O', '\n'}));
    EXPECT_TRUE(garbled.closedByServer());
    for (auto& c : clients) ASSERT_TRUE(c->send(test::packet(0, 0, {})));
    for (auto& c : clients) EXPECT_EQ(c->receive(20), countAnswer(3));
    // The half header is still waited for; its rest completes it.
    ASSERT_TRUE(halfHeader.send({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(halfHeader.receive(20), countAnswer(3));
}

TEST_F(SdkServerTest, EveryClientHearsOfAChangedDeviceListAndOnlyThen) {
    RawClient a(server->port());
    RawClient b(server->port());
    ASSERT_TRUE(a.send(test::packet(0, 0, {})));
    ASSERT_EQ(a.receive(20), countAnswer(3));  // both are known to the server now
    ASSERT_TRUE(b.send(test::packet(0, 0, {})));
    ASSERT_EQ(b.receive(20), countAnswer(3));
    server->setControllers(ControllerList(3), false);
    server->setControllers(ControllerList(2), true);
    for (RawClient* c : {&a, &b}) {
        EXPECT_EQ(c->receive(16), test::header(0, 100, 0));
        ASSERT_TRUE(c->send(test::packet(0, 0, {})));
        EXPECT_EQ(c->receive(20), countAnswer(2));
    }
}

TEST_F(SdkServerTest, ChangesReachTheSinkAndADepartureIsReported) {
    {
        RawClient c(server->port());
        ASSERT_TRUE(c.send(test::packet(2, 1100, {})));
        ASSERT_TRUE(sink.waitFor(1));
    }
    ASSERT_TRUE(sink.waitFor(2));
    EXPECT_EQ(sink.commands[0].kind, SdkCommand::Kind::SetCustomMode);
    EXPECT_EQ(sink.commands[0].controller, 2u);
    EXPECT_EQ(sink.commands[1].kind, SdkCommand::Kind::ClientGone);
    EXPECT_EQ(sink.commands[1].client, sink.commands[0].client);
}

TEST_F(SdkServerTest, ClientsBeyondTheLimitAreTurnedAway) {
    std::vector<std::unique_ptr<RawClient>> clients;
    for (size_t i = 0; i < SdkServer::kMaxClients; ++i) {
        clients.push_back(std::make_unique<RawClient>(server->port()));
        ASSERT_TRUE(clients.back()->send(test::packet(0, 0, {})));
        ASSERT_EQ(clients.back()->receive(20), countAnswer(3));
    }
    RawClient extra(server->port());
    EXPECT_TRUE(extra.closedByServer());
    clients.pop_back();
    // A place came free once the server noticed the departure.
    for (int attempt = 0; attempt < 50 && server->clientCount() >= SdkServer::kMaxClients; ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    RawClient next(server->port());
    ASSERT_TRUE(next.send(test::packet(0, 0, {})));
    EXPECT_EQ(next.receive(20), countAnswer(3));
}

TEST_F(SdkServerTest, AClientThatNeverReadsIsDroppedOnceItsAnswersPassTheBound) {
    ControllerList big(1);
    big[0].ledNames.assign(4000, "a long enough LED name");
    big[0].colours.assign(4000, 0);
    server->setControllers(big, false);
    RawClient greedy(server->port());
    RawClient polite(server->port());
    int bufferSize = 4096;
    ::setsockopt(greedy.fd, SOL_SOCKET, SO_RCVBUF, &bufferSize, sizeof bufferSize);
    const std::vector<uint8_t> request = test::packet(0, 1, Bytes().u32(5).v);
    for (int i = 0; i < 400; ++i)
        if (!greedy.send(request)) break;
    EXPECT_TRUE(greedy.closedByServer());
    ASSERT_TRUE(polite.send(test::packet(0, 0, {})));
    EXPECT_EQ(polite.receive(20), countAnswer(1));
}

TEST(SdkServerAddressTest, OnlyNumericAddressesOfThisMachineAreUsed) {
    for (const char* host : {"localhost", "", "192.0.2.1"}) {
        SdkServer server({host, 0}, nullptr);
        std::string error;
        EXPECT_FALSE(server.start(&error)) << host;
        EXPECT_FALSE(error.empty());
    }
    SdkServer v6({"::1", 0}, nullptr);
    std::string error;
    // A machine without IPv6 on loopback cannot bind it; that is reported.
    if (!v6.start(&error)) EXPECT_FALSE(error.empty());
    else EXPECT_NE(v6.port(), 0);
}

}  // namespace
}  // namespace talven::rgbsdk
