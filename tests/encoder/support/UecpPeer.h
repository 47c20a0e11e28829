#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "AirLog.h"
#include "FileDescriptor.h"
#include "Listener.h"
#include "RdsDecoder.h"

// A UECP peer encoder as a test sees it, written from the protocol's layouts rather than from
// Orvane's codec: frames found, unstuffed and checked byte by byte the slow way, elements read
// into what an encoder would hold.
namespace orvane::test {

inline std::uint16_t slowUecpCrc(std::string_view bytes) {
  std::uint16_t crc = 0xFFFF;
  for (unsigned char byte : bytes) {
    crc ^= static_cast<std::uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
  }
  return static_cast<std::uint16_t>(~crc);
}

struct UecpPeer {
  struct Message {
    std::string text;  // UTF-8, up to the end mark
    int configuration;
    bool ended;  // the text came with its end mark, 0x0D
  };
  std::vector<std::pair<int, int>> addresses;  // site and encoder of each good frame
  std::vector<std::pair<int, int>> elements;   // every element's code and its frame's counter
  int badFrames = 0;
  std::optional<int> pi, pty, di, trafficFlags, music, pin, clockTime, mode;
  std::optional<std::string> serviceName, clockSet;  // UTF-8; the 8 clock bytes as sent
  std::vector<Message> radiotext;                    // the buffer of messages
  std::vector<std::pair<int, int>> answers;          // each acknowledgement: code, counter
  std::string pending;                               // a frame not yet complete

  void feed(std::string_view bytes) {
    pending += bytes;
    for (std::size_t start; (start = pending.find('\xFE')) != std::string::npos;) {
      const std::size_t stop = pending.find('\xFF', start);
      if (stop == std::string::npos) break;
      frame(pending.substr(start + 1, stop - start - 1));
      pending.erase(0, stop + 1);
    }
  }

  void frame(std::string_view stuffed) {
    std::string body;
    for (std::size_t i = 0; i < stuffed.size(); ++i) {
      body += stuffed[i] == '\xFD' ? static_cast<char>(0xFD + stuffed[++i]) : stuffed[i];
    }
    const auto byte = [&body](std::size_t i) { return static_cast<unsigned char>(body[i]); };
    if (body.size() < 6 || byte(3) != body.size() - 6 ||
        slowUecpCrc(std::string_view(body).substr(0, body.size() - 2)) !=
            (byte(body.size() - 2) << 8 | byte(body.size() - 1))) {
      ++badFrames;
      return;
    }
    addresses.emplace_back((byte(0) << 8 | byte(1)) >> 6, byte(1) & 0x3F);
    for (std::size_t at = 4; at < body.size() - 2;) at += element(body, at, byte(2));
  }

  // The element at `at`; returns its length.
  std::size_t element(const std::string& body, std::size_t at, int sequence) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(body[at + i]); };
    const int code = byte(0);
    elements.emplace_back(code, sequence);
    switch (code) {
      case 0x01:
        pi = byte(3) << 8 | byte(4);
        return 5;
      case 0x02:
        serviceName = utf8FromRds(body.substr(at + 3, 8));
        return 11;
      case 0x03:
        trafficFlags = byte(3);
        return 4;
      case 0x04:
        di = byte(3);
        return 4;
      case 0x05:
        music = byte(3);
        return 4;
      case 0x06:
        pin = byte(3) << 8 | byte(4);
        return 5;
      case 0x07:
        pty = byte(3);
        return 4;
      case 0x0A:
        if (byte(3) == 0 || (byte(4) & 0x60) == 0) radiotext.clear();
        if (byte(3) > 0) {
          const std::string sent = body.substr(at + 5, byte(3) - 1);
          const std::size_t end = sent.find('\r');
          radiotext.push_back({utf8FromRds(sent.substr(0, end)), byte(4), end != sent.npos});
        }
        return 4 + byte(3);
      case 0x0D:
        clockSet = body.substr(at + 1, 8);
        return 9;
      case 0x19:
        clockTime = byte(1);
        return 2;
      case 0x2C:
        mode = byte(1);
        return 2;
      case 0x18:
        answers.emplace_back(byte(1), byte(1) == 0 ? -1 : byte(2));
        return byte(1) == 0 ? 2 : 3;
      default:
        return body.size();  // nothing after an unknown element can be read
    }
  }
};

// A peer encoder on loopback, driven by the test. Until started it refuses connections.
class LoopbackPeer {
 public:
  // A small `receiveBuffer` makes a peer that never reads fill up soon.
  explicit LoopbackPeer(int receiveBuffer = 0)
      : listening_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) {
    if (receiveBuffer > 0) {
      setsockopt(listening_.get(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    sockaddr_in at{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    bind(listening_.get(), reinterpret_cast<sockaddr*>(&at), sizeof at);
    port = localPort(listening_.get());
  }
  void start() { listen(listening_.get(), 4); }
  [[nodiscard]] bool connected() const { return link_.valid(); }
  void hangUp() {
    link_.reset();
    view = {};
  }
  void serve() {
    if (!link_.valid()) link_.reset(accept4(listening_.get(), nullptr, nullptr, SOCK_NONBLOCK));
    char chunk[4096];
    for (ssize_t got; link_.valid() && (got = read(link_.get(), chunk, sizeof chunk)) > 0;) {
      view.feed({chunk, static_cast<std::size_t>(got)});
    }
  }
  void send(const std::string& bytes) { ::send(link_.get(), bytes.data(), bytes.size(), 0); }

  std::uint16_t port = 0;
  UecpPeer view;

 private:
  FileDescriptor listening_, link_;
};

// The server's log as a test reads it: written into a pipe, its lines stamped with a fixed time.
class PipedLog {
  struct Ends {
    Ends() {
      int ends[2] = {-1, -1};
      if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
      read.reset(ends[0]);
      write.reset(ends[1]);
    }
    FileDescriptor read, write;
  } ends_;  // made before the log that writes into them
  std::string text_;

 public:
  AirLog log{ends_.write.get(), [] { return WallClockTime{2024, 3, 9, 10, 30, 0}; }};

  // Everything logged so far.
  const std::string& text() {
    char chunk[4096];
    for (ssize_t got; (got = read(ends_.read.get(), chunk, sizeof chunk)) > 0;) {
      text_.append(chunk, static_cast<std::size_t>(got));
    }
    return text_;
  }
};

}  // namespace orvane::test
