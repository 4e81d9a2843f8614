#include <winsock2.h>

#include "support/HttpServer.h"

#include <algorithm>

HttpServer::HttpServer() {
  WSADATA data;
  winsock_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  if (!winsock_) return;
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == kNoSocket) return;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int length = sizeof(address);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    closesocket(listener_);
    listener_ = kNoSocket;
    return;
  }
  port_ = ntohs(address.sin_port);
  Socket listener = listener_;
  acceptor_ = std::thread([this, listener] { Accept(listener); });
}

// Closing the sockets ends the threads: accept and send return at once.
HttpServer::~HttpServer() {
  if (listener_ != kNoSocket) {
    closesocket(listener_);
    listener_ = kNoSocket;
  }
  if (acceptor_.joinable()) acceptor_.join();
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (Socket connection : open_) shutdown(connection, SD_BOTH);
  }
  for (std::thread& connection : connections_) connection.join();
  if (winsock_) WSACleanup();
}

void HttpServer::Serve(const std::string& path, const std::string& bytes, const std::string& type) {
  std::lock_guard<std::mutex> hold(lock_);
  files_[path] = {bytes, type};
}

std::wstring HttpServer::Url(const std::string& path) const {
  std::string url = "http://127.0.0.1:" + std::to_string(port_) + path;
  return std::wstring(url.begin(), url.end());
}

int HttpServer::Requests(const std::string& path) const {
  std::lock_guard<std::mutex> hold(lock_);
  auto found = requests_.find(path);
  return found == requests_.end() ? 0 : found->second;
}

void HttpServer::Accept(Socket listener) {
  for (;;) {
    Socket connection = accept(listener, nullptr, nullptr);
    if (connection == kNoSocket) return;
    std::lock_guard<std::mutex> hold(lock_);
    open_.push_back(connection);
    connections_.emplace_back([this, connection] { Answer(connection); });
  }
}

void HttpServer::Answer(Socket connection) {
  std::string request;
  char buffer[2048];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    int got = recv(connection, buffer, sizeof(buffer), 0);
    if (got <= 0) break;
    request.append(buffer, static_cast<size_t>(got));
  }
  std::string path;
  if (request.compare(0, 4, "GET ") == 0) path = request.substr(4, request.find(' ', 4) - 4);
  std::string answer;
  {
    std::lock_guard<std::mutex> hold(lock_);
    ++requests_[path];
    auto found = files_.find(path);
    if (found == files_.end()) {
      answer = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    } else {
      answer = "HTTP/1.1 200 OK\r\nContent-Type: " + found->second.type +
               "\r\nContent-Length: " + std::to_string(found->second.bytes.size()) +
               "\r\nConnection: close\r\n\r\n" + found->second.bytes;
    }
  }
  size_t sent = 0;
  while (sent < answer.size()) {
    int n = send(connection, answer.data() + sent, static_cast<int>(answer.size() - sent), 0);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
  shutdown(connection, SD_SEND);
  // Until the client has read it all and closed its side.
  while (recv(connection, buffer, sizeof(buffer), 0) > 0) {
  }
  std::lock_guard<std::mutex> hold(lock_);
  open_.erase(std::remove(open_.begin(), open_.end(), connection), open_.end());
  closesocket(connection);
}
