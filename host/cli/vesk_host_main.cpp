// vesk-host: the reference host. Loads the plug-in module, gives it the three host objects, prints
// every notification as it arrives and runs commands from a script or an interactive prompt.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "host/cli/console.h"
#include "host/cli/gpx_writer.h"
#include "host/cli/json_output.h"
#include "host/cli/script_runner.h"
#include "host/cli/stop_request.h"
#include "host/commands/command_parser.h"
#include "host/commands/command_table.h"
#include "host/kit/module_loader.h"
#include "host/kit/notification_printer.h"
#include "host/kit/recording_notification_sink.h"
#include "host/kit/recording_power_state_source.h"
#include "host/kit/stream_trace_log.h"
#include "platform/process.h"
#include "vesk/notifications.h"
#if defined(VESK_HAVE_DASHBOARD)
#include "host/web/dashboard_server.h"
#include "host/web/event_hub.h"
#include "host/web/request_rules.h"
#endif

namespace {

constexpr int kExitFailedScript = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: vesk-host [--trace FILE] [--level N] [--module PATH] [--gpx FILE] [--json]\n"
    "                 [--scenario FILE] [--replay FILE] [--serve [ADDRESS:]PORT] [SCRIPT]\n"
    "  SCRIPT         run the commands of this file (without it: read commands from standard input)\n"
    "  --serve [ADDRESS:]PORT  after SCRIPT, if any, serve the live dashboard on PORT (0: a free one)\n"
    "                 of ADDRESS (default 127.0.0.1, this machine only) and print the address to open,\n"
    "                 with its access token; serve until Ctrl-C or SIGTERM\n"
    "  --trace FILE   write the module's trace lines to FILE (default: standard error)\n"
    "  --level N      keep trace lines of level N and below: 2 errors, 3 warnings, 4 information,\n"
    "                 5 and 6 verbose (default: 6 with --trace, else 3)\n"
    "  --module PATH  load the module from PATH (default: beside this program, then ../lib, then the\n"
    "                 loader's search path)\n"
    "  --gpx FILE     write every GPS fix received to FILE as a GPX 1.1 track\n"
    "  --json         print every notification and command result as one JSON object a line\n"
    "  --scenario FILE  load this simulator scenario (examples/*.scn) before the first command\n"
    "  --replay FILE  replay this recorded session in the simulator (docs/recording.md): the short\n"
    "                 form of a scenario whose [replay] names FILE\n"
    "  --help         print this and end;  --version  print the version and end\n"
    "Type 'help' at the prompt for the commands.\n";

struct Options {
  std::string script;
  std::string traceFile;
  std::optional<int32_t> level;
  std::string module;
  std::string gpxFile;
  std::string scenario;
  std::string serve;
  std::string replay;
  bool json = false;
  bool help = false;
  bool version = false;
};

// The options, or nothing with the reason in *error, naming the option or value at fault.
std::optional<Options> ParseOptions(int argc, char** argv, std::string* error) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool takesValue = arg == "--trace" || arg == "--level" || arg == "--module" || arg == "--gpx" ||
                            arg == "--scenario" || arg == "--serve" || arg == "--replay";
    if (takesValue && i + 1 >= argc) {
      *error = "option " + arg + " needs a value";
      return std::nullopt;
    }
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--trace") {
      options.traceFile = argv[++i];
    } else if (arg == "--level") {
      const std::string value = argv[++i];
      const auto level = vesk_host::ParseMilliseconds(value);
      if (!level || *level > 100) {
        *error = "--level takes a number from 0 to 100, not '" + value + "'";
        return std::nullopt;
      }
      options.level = static_cast<int32_t>(*level);
    } else if (arg == "--module") {
      options.module = argv[++i];
    } else if (arg == "--gpx") {
      options.gpxFile = argv[++i];
    } else if (arg == "--scenario") {
      options.scenario = argv[++i];
    } else if (arg == "--serve") {
      options.serve = argv[++i];
#if defined(VESK_HAVE_DASHBOARD)
      if (!vesk_host::ParseServeAddress(options.serve, error)) {
        return std::nullopt;
      }
#else
      *error = "--serve: this build of vesk-host has no dashboard";
      return std::nullopt;
#endif
    } else if (arg == "--replay") {
      options.replay = argv[++i];
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg.starts_with("-")) {
      *error = "unknown option " + arg;
      return std::nullopt;
    } else if (!options.script.empty()) {
      *error = "one script only, not also " + arg;
      return std::nullopt;
    } else {
      options.script = arg;
    }
  }
  return options;
}

#if defined(VESK_HAVE_DASHBOARD)
// Serves the dashboard until a stop is requested. False when it cannot serve.
bool Serve(const vesk_host::ServeAddress& address, vesk_host::HostSession& session, vesk_host::EventHub& hub,
           vesk_host::Console& console) {
  vesk_host::DashboardServer server(session, hub, [&console] { return console.Elapsed(); });
  std::string error;
  if (!server.Start(address, &error)) {
    console.Error("--serve: " + error);
    return false;
  }
  if (!vesk_host::IsLoopback(address.host)) {
    console.Warning("the dashboard is reachable from other machines on " + address.host +
                  "; anyone who learns its address with the token controls the modem");
  }
  console.Line("dashboard: " + server.Url());
  vesk_host::WaitForStopRequest();
  console.Line("dashboard: stopping");
  server.Stop();
  return true;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  std::string optionError;
  const auto options = ParseOptions(argc, argv, &optionError);
  if (!options) {
    std::fprintf(stderr, "vesk-host: %s\n%s", optionError.c_str(), kUsage);
    return kExitUsage;
  }
  if (options->help) {
    std::fputs(kUsage, stdout);
    return EXIT_SUCCESS;
  }
  if (options->version) {
    std::puts("vesk-host " VESK_VERSION);
    return EXIT_SUCCESS;
  }
  vesk_host::InstallStopHandlers();
  vesk_host::Console console;

  std::FILE* traceStream = stderr;
  if (!options->traceFile.empty()) {
    traceStream = std::fopen(options->traceFile.c_str(), "w");
    if (traceStream == nullptr) {
      console.Error("cannot write the trace file " + options->traceFile);
      return kExitUsage;
    }
  }
  std::ifstream script;
  if (!options->script.empty()) {
    std::error_code ignored;
    if (std::filesystem::is_directory(options->script, ignored)) {
      console.Error("the script " + options->script + " is a folder");
      return kExitUsage;
    }
    script.open(options->script);
    if (!script) {
      console.Error("cannot read the script " + options->script);
      return kExitUsage;
    }
  }

  // Outlives the module's notification thread, which adds the points.
  vesk_host::GpxWriter gpx;
  if (!options->gpxFile.empty()) {
    std::string error;
    if (!gpx.Open(options->gpxFile, &error)) {
      console.Error("cannot write the GPX file " + options->gpxFile + ": " + error);
      return kExitUsage;
    }
  }

#if defined(VESK_HAVE_DASHBOARD)
  // Outlives the module's notification thread, which publishes to it.
  vesk_host::EventHub hub;
#endif
  const bool serve = !options->serve.empty();

  int exitCode = kExitUsage;
  {
    vesk_host::StreamTraceLog traceLog(traceStream, options->level.value_or(options->traceFile.empty() ? 3 : 6),
                                       console.start());
    if (traceStream == stderr) {
      traceLog.WriteThrough([&console](const std::string& line) { console.TraceLine(line); });
    }
    hostkit::RecordingNotificationSink sink;
    sink.SetListener([&, json = options->json](const hostkit::RecordedNotification& notification) {
      console.Line(json ? vesk_host::NotificationJson(notification, console.Elapsed())
                        : vesk_host::FormatNotification(notification, console.Elapsed()));
#if defined(VESK_HAVE_DASHBOARD)
      if (serve) {
        hub.Publish(notification.code, vesk_host::NotificationJson(notification, console.Elapsed()));
      }
#endif
      if (notification.code == WWAN_NOTIFICATION_GPS_INFO_CHANGED && notification.gps) {
        if (notification.gps->hasFix != 0) {
          gpx.AddFix(*notification.gps, notification.utc);
        } else {
          gpx.EndSegment();
        }
      }
    });
    hostkit::RecordingPowerStateSource powerSource;

    vesk_host::ModuleLoader loader;
    std::string error;
    ICellularSDK* sdk = nullptr;
    if (!loader.Load(options->module, &error)) {
      console.Error("cannot load the module: " + error);
    } else if ((sdk = loader.constructSDK()(&sink, &traceLog, &powerSource)) == nullptr) {
      console.Error("ConstructSDK returned no object");
    } else {
      const vesk_host::CommandTable commands = vesk_host::BuildCommandTable();
      vesk_host::HostSession session{sdk, sink, powerSource, commands};
      session.stopRequested = &vesk_host::StopRequested();
      session.traceLog = &traceLog;
      const std::size_t slash = loader.path().find_last_of("/\\");
      if (slash != std::string::npos) {
        session.privateFolder = loader.path().substr(0, slash + 1) + "vesk-plugin/";
      }
      vesk_host::RunMode mode;
      mode.json = options->json;
      mode.interactive = options->script.empty() && !serve && platform::StandardInputIsTerminal();
      bool completed = true;
      if (!options->scenario.empty()) {
        const vesk_host::CommandResult loaded =
            vesk_host::RunCommand(session, vesk_host::CommandLine{"scenario", {options->scenario}});
        if (!loaded.ok()) {
          console.Error("--scenario: " + loaded.reason);
        }
        completed = loaded.ok();
      }
      if (completed && !options->replay.empty()) {
        const vesk_host::CommandResult loaded =
            vesk_host::RunCommand(session, vesk_host::CommandLine{"replay", {options->replay}});
        if (!loaded.ok()) {
          console.Error("--replay: " + loaded.reason);
        }
        completed = loaded.ok();
      }
      if (!serve || !options->script.empty()) {
        completed = completed && vesk_host::RunCommands(options->script.empty() ? std::cin : script, mode, session, console);
      }
#if defined(VESK_HAVE_DASHBOARD)
      if (serve && completed && !vesk_host::StopRequested().load()) {
        completed = Serve(*vesk_host::ParseServeAddress(options->serve, &error), session, hub, console);
      }
#endif
      // The end of a session leaves nothing running: close if still open, then release.
      if (sdk->IsOpen()) {
        sdk->Close();
      }
      sdk->Release();
      // Ctrl-C is how a dashboard ends, not an interruption.
      exitCode = serve && completed                 ? EXIT_SUCCESS
                 : vesk_host::StopExitCode() != 0 ? vesk_host::StopExitCode()
                 : completed                       ? EXIT_SUCCESS
                                                   : kExitFailedScript;
    }
  }
  gpx.Close();
  if (traceStream != stderr) {
    std::fclose(traceStream);
  }
  return exitCode;
}
