#include "AddressLookup.h"

#include <arpa/inet.h>
#include <signal.h>

#include <cstring>
#include <utility>

namespace orvane {

AddressLookup::AddressLookup(AddressLookup&& other) noexcept
    : request_(std::exchange(other.request_, nullptr)),
      status_(std::exchange(other.status_, Status::Idle)),
      port_(other.port_),
      address_(other.address_),
      error_(std::move(other.error_)) {}

AddressLookup& AddressLookup::operator=(AddressLookup&& other) noexcept {
  if (this != &other) {
    abandon();
    request_ = std::exchange(other.request_, nullptr);
    status_ = std::exchange(other.status_, Status::Idle);
    port_ = other.port_;
    address_ = other.address_;
    error_ = std::move(other.error_);
  }
  return *this;
}

void AddressLookup::start(const std::string& host, std::uint16_t port) {
  abandon();
  port_ = port;
  address_ = {};
  address_.sin_family = AF_INET;
  address_.sin_port = htons(port);
  if (inet_pton(AF_INET, host.c_str(), &address_.sin_addr) == 1) {
    status_ = Status::Found;
    return;
  }
  request_ = new Request{host, {}, {}};
  request_->hints.ai_family = AF_INET;
  request_->hints.ai_socktype = SOCK_STREAM;
  request_->block.ar_name = request_->host.c_str();
  request_->block.ar_request = &request_->hints;
  gaicb* list[] = {&request_->block};
  sigevent quiet{};
  quiet.sigev_notify = SIGEV_NONE;
  const int started = getaddrinfo_a(GAI_NOWAIT, list, 1, &quiet);
  status_ = Status::Busy;
  if (started != 0) {
    error_ = "não foi possível encontrar " + host + ": " + gai_strerror(started);
    status_ = Status::Failed;
    delete std::exchange(request_, nullptr);
  }
}

AddressLookup::Status AddressLookup::poll() {
  if (status_ != Status::Busy) return status_;
  const int outcome = gai_error(&request_->block);
  if (outcome == EAI_INPROGRESS) return status_;
  addrinfo* found = request_->block.ar_result;
  if (outcome == 0 && found != nullptr) {
    std::memcpy(&address_, found->ai_addr, sizeof address_);
    address_.sin_port = htons(port_);
    status_ = Status::Found;
  } else {
    error_ = "não foi possível encontrar " + request_->host + ": " +
             gai_strerror(outcome == 0 ? EAI_NONAME : outcome);
    status_ = Status::Failed;
  }
  if (found != nullptr) freeaddrinfo(found);
  delete std::exchange(request_, nullptr);
  return status_;
}

// A look-up the resolver is still working on cannot be taken back from it: its request is left
// to it rather than freed under it. That happens only when a target goes away mid-look-up.
void AddressLookup::abandon() {
  if (request_ == nullptr) return;
  status_ = Status::Idle;
  const int cancelled = gai_cancel(&request_->block);
  if (cancelled == EAI_NOTCANCELED) {
    request_ = nullptr;
    return;
  }
  if (cancelled == EAI_ALLDONE && request_->block.ar_result != nullptr) {
    freeaddrinfo(request_->block.ar_result);
  }
  delete std::exchange(request_, nullptr);
}

}  // namespace orvane
