#pragma once
// A tiny HTTP server on 127.0.0.1 inside the test process: it answers every
// connection with one canned response and keeps the requests it received.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tolv::testing {

class LoopbackHttpServer {
 public:
  LoopbackHttpServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // any free port
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 4);
    int size = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }

  ~LoopbackHttpServer() {
    closesocket(listener_);  // ends accept()
    thread_.join();
    WSACleanup();
  }

  unsigned short port() const { return port_; }
  std::wstring address() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }

  // The whole response, status line included, sent to every connection.
  void respond(std::string raw) {
    std::lock_guard<std::mutex> lock(mutex_);
    response_ = std::move(raw);
  }
  void respond(unsigned status, const char* reason, const std::string& body) {
    respond("HTTP/1.1 " + std::to_string(status) + " " + reason +
            "\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " + std::to_string(body.size()) +
            "\r\n\r\n" + body);
  }

  // Request heads (request line and headers) in the order they arrived.
  std::vector<std::string> requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  void serve() {
    for (;;) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      std::string head = readHead(client);
      std::string response;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(head);
        response = response_;
      }
      sendAll(client, response);
      shutdown(client, SD_SEND);
      closesocket(client);
    }
  }

  static std::string readHead(SOCKET client) {
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
      int n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      head.append(buffer, static_cast<std::size_t>(n));
    }
    return head.substr(0, head.find("\r\n\r\n"));
  }

  // Stops quietly when the client hangs up early.
  static void sendAll(SOCKET client, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
      int n = send(client, data.data() + sent, static_cast<int>(std::min<std::size_t>(data.size() - sent, 65536)), 0);
      if (n <= 0) return;
      sent += static_cast<std::size_t>(n);
    }
  }

  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::string response_ = "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n";
  std::vector<std::string> requests_;
};

// A loopback address nobody listens on: the port was free a moment ago.
inline std::wstring unusedLoopbackAddress() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int size = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
  closesocket(s);
  WSACleanup();
  return L"http://127.0.0.1:" + std::to_wstring(ntohs(address.sin_port));
}

}  // namespace tolv::testing
