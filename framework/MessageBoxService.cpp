#include "MessageBoxService.h"

#include "QtMessageBoxService.h"

namespace orvane {
namespace {
MessageBoxService* installed = nullptr;
}  // namespace

MessageBoxService& MessageBoxService::current() {
  static QtMessageBoxService real;
  return installed ? *installed : real;
}

MessageBoxService* MessageBoxService::install(MessageBoxService* service) {
  MessageBoxService* previous = installed;
  installed = service;
  return previous;
}

}  // namespace orvane
