#include "LoopbackHttpServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cstdio>

namespace
{
bool SendAll(SOCKET socket, const char* data, size_t size)
{
    while (size > 0)
    {
        const int sent = ::send(socket, data, static_cast<int>(std::min<size_t>(size, 4096)), 0);
        if (sent <= 0)
            return false;
        data += sent;
        size -= sent;
    }
    return true;
}

// True when the peer closed its side within ms.
bool WaitForHangUp(SOCKET socket, DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms)
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval wait = {0, 50000};
        if (::select(0, &readable, nullptr, nullptr, &wait) > 0)
        {
            char byte;
            if (::recv(socket, &byte, 1, 0) <= 0)
                return true;
        }
    }
    return false;
}
}

LoopbackHttpServer::LoopbackHttpServer()
{
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return;
    m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int size = sizeof(address);
    if (m_listener == INVALID_SOCKET || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(m_listener, 4) != 0 || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
    {
        if (m_listener != INVALID_SOCKET)
            ::closesocket(m_listener);
        m_listener = INVALID_SOCKET;
        return;
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_stop = true;
    if (m_thread.joinable())
    {
        // Wakes the accept that the server thread waits in.
        const SOCKET wake = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(m_port);
        ::connect(wake, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::closesocket(wake);
        m_thread.join();
    }
    if (m_listener != INVALID_SOCKET)
        ::closesocket(m_listener);
    ::WSACleanup();
}

std::string LoopbackHttpServer::Address(const std::string& path) const
{
    char root[40];
    std::snprintf(root, sizeof(root), "http://127.0.0.1:%u", m_port);
    return root + path;
}

void LoopbackHttpServer::Answer(const std::string& path, const Reply& reply)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_replies[path] = reply;
}

void LoopbackHttpServer::AnswerText(const std::string& path, const std::string& body)
{
    Reply reply;
    reply.body = body;
    Answer(path, reply);
}

std::vector<std::string> LoopbackHttpServer::Requests()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests;
}

void LoopbackHttpServer::Serve()
{
    while (!m_stop)
    {
        const SOCKET client = ::accept(m_listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            break;
        if (m_stop)
        {
            ::closesocket(client);
            break;
        }
        Handle(client);
        ::shutdown(client, SD_BOTH);
        ::closesocket(client);
    }
}

void LoopbackHttpServer::Handle(SOCKET client)
{
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos)
    {
        const int got = ::recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0)
            return;
        request.append(buffer, got);
    }
    // "GET <target> HTTP/1.1"
    const size_t start = request.find(' ') + 1;
    const std::string target = request.substr(start, request.find(' ', start) - start);
    const std::string path = target.substr(0, target.find('?'));

    Reply reply;
    bool known = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_requests.push_back(target);
        const auto found = m_replies.find(path);
        if (found != m_replies.end())
        {
            reply = found->second;
            known = true;
        }
    }
    if (!known)
    {
        reply.status = 404;
        reply.body = "not here";
    }
    if (!reply.answer)
        return;

    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + (reply.status == 200 ? " OK" : " Error") + "\r\n";
    head += "Content-Type: application/octet-stream\r\nConnection: close\r\n";
    if (reply.announced != -2)
        head += "Content-Length: " +
                std::to_string(reply.announced == -1 ? static_cast<long>(reply.body.size()) : reply.announced) +
                "\r\n";
    head += "\r\n";
    const size_t bodyBytes =
        reply.sendBytes < 0 ? reply.body.size() : std::min<size_t>(reply.body.size(), reply.sendBytes);
    if (!SendAll(client, head.data(), head.size()) || !SendAll(client, reply.body.data(), bodyBytes))
        return;
    if (reply.holdMs && WaitForHangUp(client, reply.holdMs))
        m_clientHungUp = true;
}
