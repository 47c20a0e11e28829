#include "UecpSetup.h"

#include "EncoderServer.h"
#include "Listener.h"
#include "SystemClock.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;

}  // namespace

std::unique_ptr<UecpBridge> openUecpBridge(const ServerOptions& options, const EncoderState& state,
                                           AirLog& log, const UecpTextMemory& texts) {
  if (options.uecpTargets.empty()) return nullptr;
  auto bridge = std::make_unique<UecpBridge>(
      state, UecpBridge::Clocks{monotonicMicros, unixMicros, systemLocalOffsetMinutes}, &texts);
  for (const UecpTargetSetting& setting : options.uecpTargets) bridge->addTarget(setting, log);
  return bridge;
}

namespace {

FileDescriptor openUecpSocket(const UecpListenSetting& setting, std::string& error) {
  return setting.datagrams ? bindDatagrams(setting.address, setting.port, error)
                           : listenOn(setting.address, setting.port, error);
}

}  // namespace

bool uecpListenerMoves(const UecpListener* listener, const std::optional<UecpListenSetting>& next) {
  return listener && next &&
         (listener->transport() == UecpListener::Transport::Datagrams) == next->datagrams &&
         listener->own() == next->own;
}

std::optional<std::string> moveUecpListener(UecpListener& listener, const UecpListenSetting& next,
                                            AirLog& log) {
  // Port 0 before, and now the port it was given: it is where it is asked to be.
  if (next.port == localPort(listener.socket())) return std::nullopt;
  std::string error;
  FileDescriptor socket = openUecpSocket(next, error);
  if (!socket.valid()) return error;
  const std::uint16_t port = localPort(socket.get());
  listener.moveTo(std::move(socket));
  log.writeUnstamped("orvane-encoder: UECP a escutar em " + next.address + ":" +
                     std::to_string(port) + (next.datagrams ? " (UDP)" : ""));
  return std::nullopt;
}

std::unique_ptr<UecpListener> openUecpListener(const ServerOptions& options, EncoderState& state,
                                               AirLog& log, UecpTextMemory& texts,
                                               std::string& error, std::uint16_t& port) {
  if (!options.uecpListen) return nullptr;
  const UecpListenSetting& setting = *options.uecpListen;
  FileDescriptor socket = openUecpSocket(setting, error);
  if (!socket.valid()) return nullptr;
  port = localPort(socket.get());
  return std::make_unique<UecpListener>(
      std::move(socket), state, log, setting.own, &texts,
      setting.datagrams ? UecpListener::Transport::Datagrams : UecpListener::Transport::Stream);
}

bool finishUecp(UecpBridge& bridge, int stopFd, EncoderState& state, AirLog& log) {
  bridge.finishBy(monotonicMicros() + kFinishSeconds * kMicrosPerSecond);
  const bool waited = EncoderServer(FileDescriptor{}, stopFd, state, log, false, {&bridge}).run();
  const std::vector<std::string> lagging = bridge.lagging();
  for (const std::string& name : lagging) log.write("UECP " + name + ": não recebeu o estado");
  return waited && lagging.empty();
}

}  // namespace orvane
