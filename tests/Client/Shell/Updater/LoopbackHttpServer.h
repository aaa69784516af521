#pragma once
#include <winsock2.h>
#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A tiny HTTP server on 127.0.0.1 (and nowhere else), on a port the system
// picks, answering each path as the test scripted it. It serves one
// connection at a time on a thread of its own.
class LoopbackHttpServer
{
public:
    struct Reply
    {
        int status = 200;
        std::string body;
        // Content-Length sent; -1 means the body's real length, -2 none.
        long announced = -1;
        // Bytes of the body sent before the server hangs up; -1: all.
        long sendBytes = -1;
        // After sendBytes, wait (at most this long) for the client to hang
        // up instead of closing at once.
        DWORD holdMs = 0;
        // False: hang up at once, before any answer.
        bool answer = true;
    };

    LoopbackHttpServer();
    ~LoopbackHttpServer();

    bool IsRunning() const { return m_listener != INVALID_SOCKET; }
    // "http://127.0.0.1:<port>" followed by path.
    std::string Address(const std::string& path) const;
    void Answer(const std::string& path, const Reply& reply);
    void AnswerText(const std::string& path, const std::string& body);

    // Request lines' targets (path and query) in the order they came.
    std::vector<std::string> Requests();
    // True once a held connection saw the client hang up before its time.
    bool ClientHungUp() const { return m_clientHungUp; }

private:
    void Serve();
    void Handle(SOCKET client);

    SOCKET m_listener = INVALID_SOCKET;
    unsigned short m_port = 0;
    std::mutex m_lock;
    std::map<std::string, Reply> m_replies;
    std::vector<std::string> m_requests;
    volatile bool m_stop = false;
    volatile bool m_clientHungUp = false;
    std::thread m_thread;
};
