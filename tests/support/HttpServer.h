#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small web server inside the test program, on 127.0.0.1 and a port the
// system picks: it answers GET with the bytes given for a path (404 for any
// other path), each connection on its own thread, and closes it after the
// answer. Stopped and joined when it goes.
class HttpServer {
 public:
  HttpServer();
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // False when no port could be had.
  bool Started() const { return listener_ != kNoSocket; }
  // "/tone.wav" with its bytes and type.
  void Serve(const std::string& path, const std::string& bytes, const std::string& type = "audio/wav");
  // "http://127.0.0.1:<port><path>"
  std::wstring Url(const std::string& path) const;
  // How many GET requests named the path.
  int Requests(const std::string& path) const;

 private:
  struct File {
    std::string bytes;
    std::string type;
  };
  // Winsock's SOCKET, kept out of this header: winsock2.h must come before
  // windows.h, which the tests include first.
  using Socket = uintptr_t;
  static constexpr Socket kNoSocket = ~static_cast<Socket>(0);

  void Accept(Socket listener);
  void Answer(Socket connection);

  Socket listener_ = kNoSocket;
  int port_ = 0;
  bool winsock_ = false;
  mutable std::mutex lock_;
  std::map<std::string, File> files_;
  std::map<std::string, int> requests_;
  std::vector<Socket> open_;
  std::vector<std::thread> connections_;
  std::thread acceptor_;
};
