#include "update/http_client.h"

#include "support/scoped_env.h"
#include "update_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace talven {
namespace {

using namespace std::chrono_literals;

class HttpClientTest : public test::HttpsServerTest {
protected:
    void SetUp() override {
        HttpsServerTest::SetUp();
        initHttpClient(trusting());
    }
    static HttpClientSettings trusting() {
        HttpClientSettings settings;
        settings.caFile = server_->caFile();
        return settings;
    }
    // The reply as JSON; null when it is not.
    static Json::Value json(const std::vector<char>& reply, int length) {
        Json::Value value;
        Json::CharReaderBuilder builder;
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        if (length <= 0 || !reader->parse(reply.data(), reply.data() + length, &value, nullptr)) return {};
        return value;
    }
    static std::vector<std::string> headers(const Json::Value& echo) {
        std::vector<std::string> lines;
        for (const Json::Value& line : echo["headers"]) lines.push_back(line.asString());
        return lines;
    }
    static bool unreachable(const std::vector<char>& reply) {
        return std::string_view(reply.data(), 14) == "NO_LINK_SERVER";
    }

    std::vector<char> reply_ = std::vector<char>(kHttpReplyBufferSize, '?');
};

TEST_F(HttpClientTest, PostSendsTheBodyWithTheFormHeaders) {
    const std::string body = "app_key=VELKO_1_K7340_TALVEN-K88_1&version=103";
    const int length = httpRequest("POST", server_->url("good", "/echo"), body, reply_, false);
    ASSERT_GT(length, 0);
    EXPECT_EQ(reply_[length], '\0');
    EXPECT_EQ(std::strlen(reply_.data()), static_cast<std::size_t>(length));
    const Json::Value echo = json(reply_, length);
    EXPECT_EQ(echo["method"].asString(), "POST");
    EXPECT_EQ(echo["body"].asString(), body);
    const std::vector<std::string> lines = headers(echo);
    for (const char* expected : {"Content-Length:46", "Content-Type: application/x-www-form-urlencoded",
                                 "Accept:application/prs.Velko.v1+json", "User-Agent: WinHTTP Client/1.0"}) {
        EXPECT_EQ(std::count(lines.begin(), lines.end(), expected), 1) << expected;
    }
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("Content-Length", 0) == 0; }),
              1);
}

TEST_F(HttpClientTest, MethodsIgnoreCaseAndAnEmptyBodySendsLengthZero) {
    struct Case {
        const char* method;
        const char* body;
        const char* sent;
    };
    for (const Case& c : {Case{"post", "", "POST"}, Case{"Get", "", "GET"}, Case{"GET", "a=1", "GET"}}) {
        SCOPED_TRACE(c.method + std::string(" ") + c.body);
        const Json::Value echo = json(reply_, httpRequest(c.method, server_->url("good", "/echo"), c.body, reply_, false));
        EXPECT_EQ(echo["method"].asString(), c.sent);
        EXPECT_EQ(echo["body"].asString(), c.body);
        const std::vector<std::string> lines = headers(echo);
        const std::string length = "Content-Length:" + std::to_string(std::strlen(c.body));
        EXPECT_EQ(std::count(lines.begin(), lines.end(), length), 1);
    }
}

TEST_F(HttpClientTest, AnErrorStatusReturnsItsBody) {
    for (int status : {404, 500}) {
        const std::string expected = "status " + std::to_string(status) + " body";
        const int length =
            httpRequest("POST", server_->url("good", "/status/" + std::to_string(status)), "x=1", reply_, false);
        EXPECT_EQ(length, static_cast<int>(expected.size()));
        EXPECT_STREQ(reply_.data(), expected.c_str());
    }
}

TEST_F(HttpClientTest, ServersThatCannotBeReachedOrTrustedLeaveNoLinkServer) {
    test::ClosedPort closed;
    struct Case {
        const char* what;
        std::string url;
        bool trustTestCa;
    };
    const Case cases[] = {
        {"nothing listens", "https://127.0.0.1:" + std::to_string(closed.port()) + "/echo", true},
        {"certificate for another host", server_->url("wrongname", "/echo"), true},
        {"self-signed certificate", server_->url("selfsigned", "/echo"), true},
        {"test CA not trusted", server_->url("good", "/echo"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        initHttpClient(c.trustTestCa ? trusting() : HttpClientSettings{});
        std::fill(reply_.begin(), reply_.end(), '?');
        EXPECT_EQ(httpRequest("POST", c.url, "a=1", reply_, false), 0);
        EXPECT_STREQ(reply_.data(), "NO_LINK_SERVER");
        EXPECT_NE(lastHttpError(), 0u);
    }
}

TEST_F(HttpClientTest, AReplyLongerThanTheBufferIsCutInsideIt) {
    constexpr std::size_t guard = 4096;
    std::vector<char> memory(kHttpReplyBufferSize + guard, 'G');
    const std::span<char> reply(memory.data(), kHttpReplyBufferSize);
    const int length = httpRequest("GET", server_->url("good", "/big"), "", reply, false);
    ASSERT_EQ(length, static_cast<int>(kHttpReplyBufferSize) - 1);
    EXPECT_TRUE(std::all_of(memory.begin(), memory.begin() + length, [](char c) { return c == 'x'; }));
    EXPECT_EQ(memory[kHttpReplyBufferSize - 1], '\0');
    EXPECT_TRUE(std::all_of(memory.begin() + kHttpReplyBufferSize, memory.end(), [](char c) { return c == 'G'; }));
}

TEST_F(HttpClientTest, BadArgumentsAreRefusedBeforeAnyRequest) {
    struct Case {
        const char* method;
        std::string url;
        uint32_t error;
    };
    const std::string url = server_->url("good", "/echo");
    for (const Case& c : {Case{"POST", "", 3}, Case{"PUT", url, 87}, Case{"DELETE", url, 87}, Case{"POSTX", url, 87},
                          Case{"", url, 87}}) {
        SCOPED_TRACE(c.method);
        initHttpClient(trusting());
        EXPECT_EQ(httpRequest(c.method, c.url, "a=1", reply_, false), -1);
        EXPECT_EQ(lastHttpError(), c.error);
    }
}

TEST_F(HttpClientTest, AServerThatNeverAnswersTimesOutAsUnreachable) {
    HttpClientSettings settings = trusting();
    settings.receiveTimeoutMs = 1000;
    settings.sendTimeoutMs = 1000;
    initHttpClient(settings);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(httpRequest("POST", server_->url("good", "/stall"), "a=1", reply_, false), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(unreachable(reply_));
}

TEST_F(HttpClientTest, TheStopEventEndsAWaitingRequest) {
    Event stop(true);
    std::thread stopper([&] {
        std::this_thread::sleep_for(200ms);
        stop.set();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(httpRequest("POST", server_->url("good", "/stall"), "a=1", reply_, false, &stop), 0);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_TRUE(unreachable(reply_));
}

TEST_F(HttpClientTest, TheEnvironmentsProxyIsTriedWhenTheServerCannotBeReached) {
    test::ClosedPort closed;
    // The proxy leads every tunnel to the good server, whose certificate is
    // for localhost: only a request through the proxy can succeed.
    const std::string url = "https://localhost:" + std::to_string(closed.port()) + "/echo";
    const std::string proxy = "http://127.0.0.1:" + std::to_string(server_->port("proxy"));
    test::ScopedEnv noProxy("no_proxy", nullptr), noProxyUpper("NO_PROXY", nullptr);
    test::ScopedEnv all("all_proxy", nullptr), allUpper("ALL_PROXY", nullptr), upper("HTTPS_PROXY", nullptr);
    {
        test::ScopedEnv none("https_proxy", nullptr);
        EXPECT_EQ(httpRequest("POST", url, "a=1", reply_, false), 0);
    }
    test::ScopedEnv viaProxy("https_proxy", proxy.c_str());
    const Json::Value echo = json(reply_, httpRequest("POST", url, "a=1", reply_, false));
    EXPECT_EQ(echo["body"].asString(), "a=1");
}

TEST_F(HttpClientTest, TheConfiguredProxyIsUsedWhenAsked) {
    test::ClosedPort closed;
    const std::string url = "https://localhost:" + std::to_string(closed.port()) + "/echo";
    test::ScopedEnv none("https_proxy", nullptr), noProxy("no_proxy", nullptr), noProxyUpper("NO_PROXY", nullptr);
    HttpClientSettings settings = trusting();
    settings.proxyServer = "http://127.0.0.1:" + std::to_string(server_->port("proxy"));
    initHttpClient(settings);
    EXPECT_EQ(httpRequest("POST", url, "b=2", reply_, false), 0);
    const Json::Value echo = json(reply_, httpRequest("POST", url, "b=2", reply_, true));
    EXPECT_EQ(echo["body"].asString(), "b=2");
    // The proxy's tunnel is open, but the server behind it cannot prove
    // who it is: still not reached.
    for (const char* server : {"wrongname", "selfsigned"}) {
        SCOPED_TRACE(server);
        EXPECT_EQ(httpRequest("POST", server_->url(server, "/echo"), "b=2", reply_, true), 0);
        EXPECT_TRUE(unreachable(reply_));
    }
}

}  // namespace
}  // namespace talven
