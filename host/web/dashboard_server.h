// vesk-host --serve: the dashboard's HTTP server. It serves the page, streams every notification to
// each open tab (Server-Sent Events) and runs the page's commands through the command layer, one at
// a time, as the command line does. Only requests that carry this run's token, name this server in
// their Host header and, for commands, come from its own page are served.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/commands/host_session.h"
#include "host/web/event_hub.h"
#include "host/web/request_rules.h"

namespace vesk_host {

class DashboardServer {
 public:
  // session and hub outlive the server; elapsed gives the seconds since the host started.
  DashboardServer(HostSession& session, EventHub& hub, std::function<double()> elapsed);
  ~DashboardServer();
  DashboardServer(const DashboardServer&) = delete;
  DashboardServer& operator=(const DashboardServer&) = delete;

  // Binds (port 0: a free one) and serves on a thread of its own. False with the reason in *error.
  bool Start(const ServeAddress& address, std::string* error);
  // The address to open, with the access token.
  std::string Url() const;
  uint16_t port() const;
  // Ends every event stream, stops serving and waits for the server's threads. Idempotent.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vesk_host
