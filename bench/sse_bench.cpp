// The dashboard's event stream: a burst of notifications published to the hub reaches a Server-Sent
// Events client over loopback, in order and none lost, against a bare write of the same bytes to a
// loopback socket, one write an event, measured in the same run.
// Usage: sse_bench [BURST [REPETITIONS]]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cinttypes>
#include <string>
#include <thread>

#include "bench_host.h"
#include "host/commands/command_table.h"
#include "host/kit/recording_notification_sink.h"
#include "host/kit/recording_power_state_source.h"
#include "host/kit/stream_trace_log.h"
#include "host/web/dashboard_server.h"
#include "host/web/event_hub.h"

namespace {

using bench::Clock;

// A signal notification as the dashboard sends it, numbered so that order can be checked.
std::string EventJson(std::size_t n) {
  return R"({"kind":"notification","time":12.345,"utc":"2026-12-07T08:00:00.000Z","code":1,)"
         R"("name":"WWAN_NOTIFICATION_RSSI","params":{"dBm":-71,"percent":55,"n":)" +
         std::to_string(n) + "}}";
}

std::string SseText(std::size_t n) {
  return "id: " + std::to_string(n) + "\ndata: " + EventJson(n) + "\n\n";
}

int Connect(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    bench::Fail("sse_bench: cannot connect");
  }
  return fd;
}

// Reads the stream until it holds `until`, from `from` on; returns what was read.
std::string ReadUntil(int fd, std::string& buffer, const std::string& until) {
  char chunk[65536];
  while (buffer.find(until) == std::string::npos) {
    const ssize_t got = recv(fd, chunk, sizeof chunk, 0);
    if (got <= 0) {
      bench::Fail("sse_bench: the stream ended early");
    }
    buffer.append(chunk, static_cast<std::size_t>(got));
  }
  return buffer;
}

// Seconds per event through the dashboard: publish the burst, read until the last one arrives, then
// check that every event came once and in order.
double ThroughDashboard(vesk_host::EventHub& hub, const vesk_host::DashboardServer& server, std::size_t burst) {
  const std::string url = server.Url();
  const std::string token = url.substr(url.find("token=") + 6);
  const int fd = Connect(server.port());
  const std::string request = "GET /events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                              "\r\nCookie: vesk_token_" + std::to_string(server.port()) + "=" + token + "\r\n\r\n";
  send(fd, request.data(), request.size(), 0);
  std::string buffer;
  ReadUntil(fd, buffer, R"({"kind":"live"})");
  buffer.clear();
  const uint64_t first = hub.NextId();
  const auto start = Clock::now();
  std::thread publisher([&] {
    for (std::size_t i = 0; i < burst; ++i) {
      hub.Publish(WWAN_NOTIFICATION_RSSI, EventJson(i));
    }
  });
  ReadUntil(fd, buffer, "\"n\":" + std::to_string(burst - 1) + "}}\n\n");
  const auto end = Clock::now();
  publisher.join();
  close(fd);
  std::size_t at = 0;
  for (std::size_t i = 0; i < burst; ++i) {
    const std::string expected = "id: " + std::to_string(first + i) + "\ndata: " + EventJson(i) + "\n\n";
    const std::size_t found = buffer.find(expected, at);
    if (found == std::string::npos) {
      std::fprintf(stderr, "sse_bench: event %zu missing or out of order\n", i);
      std::exit(1);
    }
    at = found + expected.size();
  }
  return std::chrono::duration<double>(end - start).count() / static_cast<double>(burst);
}

// Seconds per event for the same bytes written straight to a loopback socket, one write an event.
double BareSocket(std::size_t burst) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    bench::Fail("sse_bench: no loopback socket");
  }
  const int reader = Connect(ntohs(address.sin_port));
  const int writer = accept(listener, nullptr, nullptr);
  close(listener);
  std::vector<std::string> texts;
  std::size_t total = 0;
  for (std::size_t i = 0; i < burst; ++i) {
    texts.push_back(SseText(i));
    total += texts.back().size();
  }
  const auto start = Clock::now();
  std::thread sender([&] {
    for (const std::string& text : texts) {
      send(writer, text.data(), text.size(), 0);
    }
  });
  char chunk[65536];
  std::size_t received = 0;
  while (received < total) {
    const ssize_t got = recv(reader, chunk, sizeof chunk, 0);
    if (got <= 0) {
      bench::Fail("sse_bench: the bare socket ended early");
    }
    received += static_cast<std::size_t>(got);
  }
  const auto end = Clock::now();
  sender.join();
  close(writer);
  close(reader);
  return std::chrono::duration<double>(end - start).count() / static_cast<double>(burst);
}

class QuietTrace : public IHostTraceLog {
 public:
  void TraceA(int32_t, int32_t, const char*, ...) override {}
  void TraceW(int32_t, int32_t, const char16_t*, ...) override {}
};

}  // namespace

int main(int argc, char** argv) {
  const std::size_t burst = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
  const int repetitions = argc > 2 ? std::atoi(argv[2]) : 5;
  // The module, constructed and never opened: the stream's opening state is read through it.
  bench::Module module;
  hostkit::RecordingNotificationSink sink;
  hostkit::RecordingPowerStateSource power;
  QuietTrace trace;
  ICellularSDK* sdk = module.construct()(&sink, &trace, &power);
  const vesk_host::CommandTable commands = vesk_host::BuildCommandTable();
  vesk_host::HostSession session{sdk, sink, power, commands};
  vesk_host::EventHub hub;
  double dashboard = 0;
  double bare = 0;
  {
    vesk_host::DashboardServer server(session, hub, [] { return 0.0; });
    std::string error;
    if (!server.Start(vesk_host::ServeAddress{}, &error)) {
      bench::Fail("sse_bench: the server did not start");
    }
    std::vector<double> through, baseline;
    for (int i = 0; i < repetitions; ++i) {
      through.push_back(ThroughDashboard(hub, server, burst) * 1e6);
      baseline.push_back(BareSocket(burst) * 1e6);
    }
    dashboard = bench::Quantile(through, 0.5);
    bare = bench::Quantile(baseline, 0.5);
    server.Stop();
  }
  sdk->Release();
  const std::string measure = "SSE burst of " + std::to_string(burst) + ", in order";
  bench::PrintResult("dashboard", measure.c_str(), dashboard, "us/event", bare, "<= 3");
  return 0;
}
