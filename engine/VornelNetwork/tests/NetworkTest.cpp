// The network engine's lists and the HTTP client against a server on 127.0.0.1 run by the test.
// The same program tests the client over libcurl (Linux) and over WinINet (Windows).
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "VornelNetwork/CNetworkEngine.h"
#include "VornelUtils/WorldData.h"

namespace {

#ifdef _WIN32
using SocketHandle = SOCKET;
constexpr int kSendFlags = 0;
void CloseSocket(SocketHandle s)
{
    closesocket(s);
}
// Closing the listener is what wakes a thread waiting in accept.
void StopListening(SocketHandle s)
{
    closesocket(s);
}
bool Accepted(SocketHandle s)
{
    return s != INVALID_SOCKET;
}
// Winsock for the whole program.
const struct Winsock {
    Winsock()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { WSACleanup(); }
} g_winsock;
#else
using SocketHandle = int;
constexpr int kSendFlags = MSG_NOSIGNAL;
void CloseSocket(SocketHandle s)
{
    close(s);
}
// Shutting the listener down wakes a thread waiting in accept.
void StopListening(SocketHandle s)
{
    shutdown(s, SHUT_RDWR);
}
bool Accepted(SocketHandle s)
{
    return s >= 0;
}
#endif

// Binds the socket to a free port of 127.0.0.1; the port.
uint16_t BindLoopback(SocketHandle socketFd)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(socketFd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// Answers each connection by the path of its request:
//   /big      200 with 20000 bytes       /missing  404 with a short body
//   /cut      a body that breaks off     /silent   nothing until the client gives up
//   /moved    302 to /big
class TestServer {
public:
    TestServer()
    {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        m_port = BindLoopback(m_listener);
        listen(m_listener, 8);
        m_thread = std::thread([this] { Serve(); });
    }
    ~TestServer()
    {
        StopListening(m_listener);
        m_thread.join();
#ifndef _WIN32
        CloseSocket(m_listener);
#endif
    }
    std::u16string Url(const char* path) const
    {
        const std::string url = "http://127.0.0.1:" + std::to_string(m_port) + path;
        return std::u16string(url.begin(), url.end());
    }
    std::string LastRequest() const { return m_lastRequest; }

private:
    void Serve()
    {
        for (;;) {
            const SocketHandle connection = accept(m_listener, nullptr, nullptr);
            if (!Accepted(connection))
                return;
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const auto n = recv(connection, buffer, int(sizeof buffer), 0);
                if (n <= 0)
                    break;
                request.append(buffer, size_t(n));
            }
            m_lastRequest = request;
            Answer(connection, request.substr(4, request.find(' ', 4) - 4));
            CloseSocket(connection);
        }
    }
    static void Send(SocketHandle connection, const std::string& text)
    {
        send(connection, text.data(), int(text.size()), kSendFlags);
    }
    void Answer(SocketHandle connection, const std::string& path)
    {
        if (path == "/big") {
            std::string body(20000, 'x');
            for (size_t i = 0; i < body.size(); ++i)
                body[i] = char('a' + i % 26);
            Send(connection, "HTTP/1.1 200 OK\r\nContent-Length: 20000\r\n\r\n" + body);
        } else if (path == "/missing") {
            Send(connection, "HTTP/1.1 404 Not Found\r\nContent-Length: 5\r\n\r\nnope!");
        } else if (path == "/cut") {
            Send(connection, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(100, 'c'));
        } else if (path == "/moved") {
            Send(connection, "HTTP/1.1 302 Found\r\nLocation: /missing\r\nContent-Length: 0\r\n\r\n");
        } else if (path == "/silent") {
            char buffer[64];
            while (recv(connection, buffer, int(sizeof buffer), 0) > 0) {
            }
        }
    }

    SocketHandle m_listener;
    uint16_t m_port = 0;
    std::thread m_thread;
    std::string m_lastRequest;
};

struct Received {
    int calls = 0;
    std::string data;
    uint32_t userValue = 0;
};
Received g_received;

void OnAnswer(const uint8_t* data, uint32_t size, uint32_t userValue)
{
    ++g_received.calls;
    g_received.data.assign(reinterpret_cast<const char*>(data), size);
    g_received.userValue = userValue;
}

class NetworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_received = Received{};
        m_data.reset(new WorldData{});
        m_engine.reset(new CNetworkEngineOS(m_data.get()));
        ASSERT_EQ(m_engine->Init(nullptr), kStatusOk);
        m_client = m_engine->CreateClientHTTP(OnAnswer, 77);
        ASSERT_NE(m_client, nullptr);
    }
    void TearDown() override { m_engine->Release(); }

    std::unique_ptr<WorldData> m_data;
    std::unique_ptr<CNetworkEngineOS> m_engine;
    CNetworkClientHTTP* m_client = nullptr;
};

TEST_F(NetworkTest, AnswersReachTheCallbackUpToTheFirstBlock)
{
    TestServer server;
    ASSERT_EQ(m_client->Request(server.Url("/big").c_str()), kStatusOk);
    ASSERT_EQ(g_received.calls, 1);
    EXPECT_EQ(g_received.data.size(), kHttpAnswerSize);
    EXPECT_EQ(g_received.data.substr(0, 3), "abc");
    EXPECT_EQ(g_received.data[kHttpAnswerSize - 1], char('a' + (kHttpAnswerSize - 1) % 26));
    EXPECT_EQ(g_received.userValue, 77u);
    EXPECT_NE(server.LastRequest().find("\r\nUser-Agent: WebForm 1\r\n"), std::string::npos);
    EXPECT_EQ(server.LastRequest().rfind("GET /big ", 0), 0u);

    // Any status is an answer, after redirects too.
    for (const char* path : {"/missing", "/moved"}) {
        g_received = Received{};
        ASSERT_EQ(m_client->Request(server.Url(path).c_str()), kStatusOk) << path;
        EXPECT_EQ(g_received.calls, 1) << path;
        EXPECT_EQ(g_received.data, "nope!") << path;
    }
}

TEST_F(NetworkTest, FailuresGiveNoCallback)
{
    TestServer server;
    // An answer cut in its body: a failed read, still 0.
    EXPECT_EQ(m_client->Request(server.Url("/cut").c_str()), kStatusOk);
    EXPECT_EQ(g_received.calls, 0);

    // No answer at all.
    const SocketHandle probe = socket(AF_INET, SOCK_STREAM, 0);
    const uint16_t port = BindLoopback(probe);
    CloseSocket(probe);  // a port nobody listens on
    const std::string closed = "http://127.0.0.1:" + std::to_string(port) + "/";
    EXPECT_EQ(m_client->Request(std::u16string(closed.begin(), closed.end()).c_str()), kStatusFailed);
    EXPECT_EQ(m_client->Request(u"ftp://127.0.0.1/file"), kStatusFailed);
    EXPECT_EQ(m_client->Request(u"not a url"), kStatusFailed);
    EXPECT_EQ(m_client->Request(nullptr), kStatusFailed);
    EXPECT_EQ(g_received.calls, 0);

    // A server that accepts and says nothing is given up after the timeout.
    EXPECT_EQ(m_client->Request(server.Url("/silent").c_str()), kStatusFailed);
    EXPECT_EQ(g_received.calls, 0);
}

TEST_F(NetworkTest, EngineOwnsWhatItMade)
{
    EXPECT_EQ(m_data->pNetworkBlock != nullptr, true);
    CNetworkClientHTTP stranger(m_data.get());
    EXPECT_EQ(m_engine->ReleaseClientHTTP(&stranger), kStatusOk);
    EXPECT_EQ(m_engine->ReleaseClientHTTP(nullptr), kStatusFailed);
    EXPECT_EQ(m_engine->ReleaseClientHTTP(m_client), kStatusOk);
    EXPECT_EQ(m_engine->ReleaseClientHTTP(m_client = nullptr), kStatusFailed);

    CNetworkClientTCP* tcp = m_engine->CreateClientTCP();
    ASSERT_NE(tcp, nullptr);
    EXPECT_EQ(m_engine->ReleaseClientTCP(tcp), kStatusOk);
    EXPECT_NE(m_engine->CreateServerTCP(), nullptr);
    EXPECT_NE(m_engine->CreateClientUDP(), nullptr);
    EXPECT_NE(m_engine->CreateServerUDP(), nullptr);
    m_engine->CreateClientHTTP(nullptr, 0);
    // What is left goes with the engine's release (run by TearDown).

    CNetworkEngine base(m_data.get());
    EXPECT_EQ(base.CreateClientHTTP(OnAnswer, 0), nullptr);
    EXPECT_EQ(base.ReleaseClientHTTP(nullptr), kStatusFailed);
    CNetworkClientHTTPBase plain(m_data.get());
    EXPECT_EQ(plain.Request(u"http://127.0.0.1/"), kStatusFailed);
}

}  // namespace
