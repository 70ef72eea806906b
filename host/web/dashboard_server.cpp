#include "host/web/dashboard_server.h"

#include <httplib.h>

#include <chrono>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>
#include <utility>
#include <vector>

#include "host/cli/json_output.h"
#include "host/commands/command_table.h"
#include "host/web/page_assets.h"

namespace vesk_host {

namespace {

using Json = nlohmann::ordered_json;

// Commands carry a few words; a bigger body is not a command.
constexpr std::size_t kBodyLimit = 8 * 1024;
// An idle stream wakes once in this time, to send a comment that keeps proxies and the browser content.
constexpr std::chrono::milliseconds kKeepAlive{15000};
// What a newly opened tab is sent besides the kept messages and fixes: the signal chart's window and
// the latest notifications for its pane.
constexpr std::chrono::minutes kSignalWindow{10};
constexpr std::size_t kLatestEvents = 200;
// One thread serves each open event stream; the rest serve the page and its commands.
constexpr std::size_t kServerThreads = 16;

void SendJson(httplib::Response& res, int status, const Json& body) {
  res.status = status;
  res.set_content(JsonText(body), "application/json");
}

void Refuse(httplib::Response& res, int status, const std::string& reason) {
  SendJson(res, status, Json{{"ok", false}, {"reason", reason}});
}

// One Server-Sent Event; the state and live markers carry no id, as they are no notification.
std::string EventText(const std::string& data, const uint64_t* id = nullptr) {
  std::string text;
  if (id != nullptr) {
    text += "id: ";
    text += std::to_string(*id);
    text += '\n';
  }
  text += "data: ";
  text += data;
  text += "\n\n";
  return text;
}

}  // namespace

struct DashboardServer::Impl {
  Impl(HostSession& s, EventHub& h, std::function<double()> e) : session(s), hub(h), elapsed(std::move(e)) {}

  HostSession& session;
  EventHub& hub;
  std::function<double()> elapsed;
  ServeAddress address;
  uint16_t port = 0;
  std::string token = NewToken();
  std::string cookieName;
  httplib::Server server;
  std::thread listener;
  // The command layer's session is one user's: commands from every tab run one at a time.
  std::mutex commandLock;
  std::once_flag stopped;

  // The result of a command as the page reads it: the result object of --json, with its values.
  Json Run(const std::string& name, const std::vector<std::string>& args, CommandResult* out = nullptr) {
    CommandResult result;
    {
      const std::lock_guard<std::mutex> lock(commandLock);
      result = RunCommand(session, CommandLine{name, args});
    }
    Json object = ResultObject(name, args, result, elapsed());
    Json values = Json::array();
    for (const auto& [label, value] : result.values) {
      values.push_back(Json::array({label, value}));
    }
    object["values"] = std::move(values);
    if (out != nullptr) {
      *out = std::move(result);
    }
    return object;
  }

  httplib::Server::HandlerResponse Guard(const httplib::Request& req, httplib::Response& res) {
    const std::string host = req.get_header_value("Host");
    if (!HostHeaderAllowed(host, address.host, port)) {
      Refuse(res, 403, "this server answers to " + UrlHost(address.host) + ":" + std::to_string(port) + " only");
      return httplib::Server::HandlerResponse::Handled;
    }
    // The token in the URL is taken once, on the page itself, and kept in a cookie no script can read.
    if (req.method == "GET" && req.path == "/" && req.has_param("token")) {
      if (!SameToken(req.get_param_value("token"), token)) {
        Refuse(res, 403, "wrong access token: open the address that vesk-host printed");
        return httplib::Server::HandlerResponse::Handled;
      }
      res.set_header("Set-Cookie", cookieName + "=" + token + "; Path=/; HttpOnly; SameSite=Strict");
      res.set_redirect("/", 303);
      return httplib::Server::HandlerResponse::Handled;
    }
    if (!SameToken(CookieValue(req.get_header_value("Cookie"), cookieName), token)) {
      Refuse(res, 403, "no access token: open the address that vesk-host printed");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (req.method != "GET" && req.get_header_value("Origin") != "http://" + host) {
      Refuse(res, 403, "commands are taken from the dashboard's own page only");
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  }

  void Command(const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.matches[1];
    if (name == "quit" || session.commands.Find(name) == nullptr) {
      Refuse(res, 404, "no command '" + name + "'");
      return;
    }
    std::vector<std::string> args;
    if (!req.body.empty()) {
      const Json body = Json::parse(req.body, nullptr, false);
      if (body.is_discarded()) {
        Refuse(res, 400, "malformed JSON: the body must be an object such as {\"args\": [\"internet\"]}");
        return;
      }
      const auto found = body.is_object() ? body.find("args") : body.end();
      const bool listed = body.is_object() && (found == body.end() || found->is_array());
      if (!listed) {
        Refuse(res, 400, "the body must be an object whose \"args\" is a list of strings");
        return;
      }
      if (found != body.end()) {
        for (const Json& arg : *found) {
          if (!arg.is_string()) {
            Refuse(res, 400, "every argument must be a string");
            return;
          }
          args.push_back(arg.get<std::string>());
        }
      }
    }
    CommandResult result;
    Json object = Run(name, args, &result);
    SendJson(res, result.status == CommandResult::Status::kUsage ? 400 : 200, object);
  }

  // The first message of a stream is the present state; then every notification as it comes.
  void Events(httplib::Response& res) {
    res.set_header("Cache-Control", "no-store");
    auto next = std::make_shared<uint64_t>(0);
    auto started = std::make_shared<bool>(false);
    res.set_chunked_content_provider("text/event-stream", [this, next, started](size_t, httplib::DataSink& sink) {
      std::string text;
      if (!*started) {
        *started = true;
        Json state;
        state["kind"] = "state";
        state["status"] = Run("status", {});
        state["images"] = Run("images", {});
        text = "retry: 2000\n\n" + EventText(JsonText(state));
        for (const EventHub::Event& event : hub.Replay(kSignalWindow, kLatestEvents, next.get())) {
          text += EventText(event.data, &event.id);
        }
        text += EventText(R"({"kind":"live"})");
        return sink.write(text.data(), text.size());
      }
      std::vector<EventHub::Event> events;
      switch (hub.WaitAfter(next.get(), kKeepAlive, &events)) {
        case EventHub::WaitResult::kClosed:
          sink.done();
          return true;
        case EventHub::WaitResult::kTimedOut:
          text = ": keep-alive\n\n";
          break;
        case EventHub::WaitResult::kEvents:
          for (const EventHub::Event& event : events) {
            text += EventText(event.data, &event.id);
          }
          break;
      }
      return sink.write(text.data(), text.size());
    });
  }

  void Routes() {
    server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    server.set_payload_max_length(kBodyLimit);
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) { return Guard(req, res); });
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
      if (res.body.empty()) {
        Refuse(res, res.status, res.status == 413 ? "the body is too large" : res.status == 404 ? "not found" : "refused");
      }
    });
    server.Get(R"(/(|dashboard\.css|dashboard\.js))", [](const httplib::Request& req, httplib::Response& res) {
      const PageAsset* asset = FindPageAsset(req.path);
      res.set_header("Content-Security-Policy",
                     "default-src 'self'; img-src 'self' data: blob:; frame-ancestors 'none'; form-action 'none'");
      res.set_header("X-Content-Type-Options", "nosniff");
      res.set_header("Cache-Control", "no-store");
      res.set_content(std::string(asset->body), std::string(asset->contentType).c_str());
    });
    server.Get("/events", [this](const httplib::Request&, httplib::Response& res) { Events(res); });
    server.Post(R"(/api/([a-z0-9-]+))", [this](const httplib::Request& req, httplib::Response& res) { Command(req, res); });
  }
};

DashboardServer::DashboardServer(HostSession& session, EventHub& hub, std::function<double()> elapsed)
    : impl_(std::make_unique<Impl>(session, hub, std::move(elapsed))) {}

DashboardServer::~DashboardServer() {
  Stop();
}

bool DashboardServer::Start(const ServeAddress& address, std::string* error) {
  impl_->address = address;
  impl_->Routes();
  const int port = address.port == 0 ? impl_->server.bind_to_any_port(address.host)
                                     : (impl_->server.bind_to_port(address.host, address.port) ? address.port : -1);
  if (port <= 0) {
    *error = "cannot serve on " + UrlHost(address.host) + ":" + std::to_string(address.port);
    return false;
  }
  impl_->port = static_cast<uint16_t>(port);
  // Tabs of several servers on one machine share cookies by host, not by port.
  impl_->cookieName = "vesk_token_" + std::to_string(port);
  impl_->listener = std::thread([this] { impl_->server.listen_after_bind(); });
  // A stop before the server runs would be missed, and the listener would never end.
  for (int i = 0; i < 5000 && !impl_->server.is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

std::string DashboardServer::Url() const {
  return "http://" + UrlHost(impl_->address.host) + ":" + std::to_string(impl_->port) + "/?token=" + impl_->token;
}

uint16_t DashboardServer::port() const {
  return impl_->port;
}

void DashboardServer::Stop() {
  std::call_once(impl_->stopped, [this] {
    impl_->hub.Close();
    impl_->server.stop();
    if (impl_->listener.joinable()) {
      impl_->listener.join();
    }
  });
}

}  // namespace vesk_host
