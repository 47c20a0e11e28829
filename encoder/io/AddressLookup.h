#pragma once

#include <netdb.h>
#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// A host's IPv4 address, looked up without waiting: a name server that is slow or gone must not
// stall the poll loop, so the C library resolves beside it and the loop asks, now and then,
// whether the answer came. A dotted address needs no resolver and is there at once.
class AddressLookup {
 public:
  enum class Status { Idle, Busy, Found, Failed };

  AddressLookup() = default;
  ~AddressLookup() { abandon(); }
  AddressLookup(AddressLookup&& other) noexcept;
  AddressLookup& operator=(AddressLookup&& other) noexcept;
  AddressLookup(const AddressLookup&) = delete;
  AddressLookup& operator=(const AddressLookup&) = delete;

  // Starts looking `host` up, dropping a look-up still under way.
  void start(const std::string& host, std::uint16_t port);

  // Where the look-up is; after Found, `address()` holds the answer, after Failed, `error()`.
  [[nodiscard]] Status poll();
  [[nodiscard]] const sockaddr_in& address() const { return address_; }
  [[nodiscard]] const std::string& error() const { return error_; }

 private:
  // Handed to the resolver by address, so it lives on the heap and moves with no copy.
  struct Request {
    std::string host;
    addrinfo hints{};
    gaicb block{};
  };

  void abandon();

  Request* request_ = nullptr;
  Status status_ = Status::Idle;
  std::uint16_t port_ = 0;
  sockaddr_in address_{};
  std::string error_;
};

}  // namespace orvane
