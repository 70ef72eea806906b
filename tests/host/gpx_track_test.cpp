// The GPX track file: the writer's documents validate against the GPX 1.1 schema, and vesk-host with
// --gpx writes every fix the simulated receiver sent, closing the file on quit, at the end of a script
// and when a signal or a closed output pipe ends the host.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "host/cli/gpx_writer.h"
#include "sim/nmea_feed.h"

namespace vesk_host {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream file(path);
  return {std::istreambuf_iterator<char>(file), {}};
}

// xmllint's exit code: 0 when the file is valid GPX 1.1.
int ValidateGpx(const std::string& path) {
  const std::string command = std::string(XMLLINT) + " --noout --schema " + GPX_SCHEMA + " " + path + " 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

struct Point {
  double latitude, longitude;
};

std::vector<Point> TrackPoints(const std::string& gpx) {
  static const std::regex kTrackPoint(R"re(<trkpt lat="([-0-9.]+)" lon="([-0-9.]+)">)re");
  std::vector<Point> points;
  for (auto it = std::sregex_iterator(gpx.begin(), gpx.end(), kTrackPoint); it != std::sregex_iterator();
       ++it) {
    points.push_back({std::stod((*it)[1]), std::stod((*it)[2])});
  }
  return points;
}

GpsInfo Fix(double latitude, double longitude, bool withAltitude = true) {
  GpsInfo fix{
      .hasFix = 1, .sourceText = u"", .latitude = latitude, .longitude = longitude, .altitude = 545.4};
  fix.satellites = 8;
  fix.altitudeValid = fix.satellitesValid = withAltitude ? 1 : 0;
  return fix;
}

TEST(GpxWriterTest, WritesAValidTrackAndLeavesOutWhatTheSchemaRejects) {
  const std::string path = testing::TempDir() + "writer_test-" + std::to_string(getpid()) + ".gpx";
  GpxWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(path, &error)) << error;
  const auto now = std::chrono::system_clock::now();
  // Each fix, and whether it is written.
  const std::pair<GpsInfo, bool> rows[] = {
      {Fix(48.1173, 11.516667), true},  {Fix(-33.9, -151.2, false), true}, {Fix(90.0, -180.0), true},
      {Fix(90.5, 11.5), false},         {Fix(48.1, 180.0), false},         {Fix(GpsInfo::kUnknown, 0), false},
      {Fix(std::nan(""), 11.5), false},
  };
  for (const auto& [fix, written] : rows) {
    EXPECT_EQ(writer.AddFix(fix, now), written) << fix.latitude << " " << fix.longitude;
  }
  writer.EndSegment();
  writer.EndSegment();  // a second loss changes nothing
  EXPECT_TRUE(writer.AddFix(Fix(48.2, 11.6), now));
  writer.Close();
  EXPECT_FALSE(writer.AddFix(Fix(48.3, 11.7), now));
  writer.Close();

  const std::string gpx = ReadFile(path);
  EXPECT_EQ(std::tuple(CountOf(gpx, "<trkseg>"), TrackPoints(gpx).size(), CountOf(gpx, "<ele>")),
            std::tuple(2u, 4u, 3u));  // segments, points, elevations
  EXPECT_EQ(ValidateGpx(path), 0) << gpx;
  std::remove(path.c_str());
}

// Quit, the end of a script, Ctrl-C in a wait, SIGTERM at the prompt and a reader that goes away
// (vesk-host | head) all end the host with the track closed and valid, the simulator's temporary folder
// removed; a host that ends by itself has written one point for each fix it showed, each one sent.
struct EndRow {
  const char* label;
  const char* script;
  int signal;  // 0: the script ends the host; SIGPIPE: the reader of standard output closes its end instead
  bool atPrompt = false;  // the script's lines but its wait typed at the prompt instead
};

class HostGpxTest : public testing::TestWithParam<EndRow> {};

TEST_P(HostGpxTest, EndsWithTheTrackClosedAndValid) {
  const EndRow& row = GetParam();
  // Unique per process: the dev and the sanitizer suites may run at the same time.
  const std::string base = testing::TempDir() + row.label + "-" + std::to_string(getpid());
  const std::string gpxPath = base + ".gpx", outputPath = base + ".out", tempPath = base + "-tmp";
  ASSERT_TRUE(std::filesystem::create_directory(tempPath));
  int input[2], output[2];
  ASSERT_EQ(pipe(input), 0);
  ASSERT_EQ(pipe(output), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("TMPDIR", tempPath.c_str(), 1);
    const int file = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(input[0], 0);
    dup2(row.signal == SIGPIPE ? output[1] : file, 1);
    dup2(file, 2);
    for (const int fd : {input[0], input[1], output[0], output[1], file}) {
      close(fd);
    }
    // At the prompt the script's place ends the arguments.
    execl(VESK_HOST, VESK_HOST, "--gpx", gpxPath.c_str(), row.atPrompt ? nullptr : row.script,
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(input[0]);
  close(output[1]);
  if (row.atPrompt) {
    // Every line but the wait, and standard input left open: the host waits at its prompt.
    std::string commands = ReadFile(row.script);
    commands.erase(commands.rfind("wait "));
    ASSERT_EQ(write(input[1], commands.data(), commands.size()), static_cast<ssize_t>(commands.size()));
  }
  const std::string kFix = "WWAN_NOTIFICATION_GPS_INFO_CHANGED fix ";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  if (row.signal == SIGPIPE) {
    std::string seen;
    char buffer[4096];
    ssize_t got = 0;
    while (CountOf(seen, kFix) < 2 && (got = read(output[0], buffer, sizeof buffer)) > 0) {
      seen.append(buffer, static_cast<size_t>(got));
    }
  } else if (row.signal != 0) {
    while (CountOf(ReadFile(outputPath), kFix) < 2 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, row.signal);
  }
  close(output[0]);
  int status = 0;
  while (waitpid(pid, &status, row.signal == 0 ? 0 : WNOHANG) == 0 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  close(input[1]);
  ASSERT_TRUE(WIFEXITED(status)) << ReadFile(outputPath);
  EXPECT_EQ(WEXITSTATUS(status), row.signal == 0 ? 0 : 128 + row.signal) << ReadFile(outputPath);
  const std::string gpx = ReadFile(gpxPath);
  EXPECT_EQ(ValidateGpx(gpxPath), 0) << gpx;
  const std::vector<Point> points = TrackPoints(gpx);
  EXPECT_GE(points.size(), 2u);
  EXPECT_TRUE(std::filesystem::is_empty(tempPath)) << "the simulator's temporary folder is left";
  if (row.signal == 0) {
    EXPECT_EQ(points.size(), CountOf(ReadFile(outputPath), kFix)) << "one point per fix shown";
    for (const Point& point : points) {
      bool sent = false;
      for (const vesksim::TrackPoint& trackPoint : vesksim::BuiltInTrack()) {
        sent |= std::fabs(point.latitude - trackPoint.latitude) < 1e-5 &&
                std::fabs(point.longitude - trackPoint.longitude) < 1e-5;
      }
      EXPECT_TRUE(sent) << point.latitude << " " << point.longitude;
    }
  }
  std::filesystem::remove_all(tempPath);
  std::remove(gpxPath.c_str());
  std::remove(outputPath.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Ends, HostGpxTest,
    testing::Values(EndRow{"QuitWhileTracking", VESK_TEST_DIR "/gps_quit.vsh", 0},
                    EndRow{"Tour", VESK_EXAMPLES_DIR "/tour.vsh", 0},
                    EndRow{"InterruptInAWait", VESK_TEST_DIR "/gps_then_wait.vsh", SIGINT},
                    EndRow{"TerminateAtThePrompt", VESK_TEST_DIR "/gps_then_wait.vsh", SIGTERM, true},
                    EndRow{"ReaderGone", VESK_TEST_DIR "/gps_then_wait.vsh", SIGPIPE}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace vesk_host
