#include "host/cli/gpx_writer.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "host/kit/utc_time.h"

namespace vesk_host {

GpxWriter::~GpxWriter() {
  Close();
}

bool GpxWriter::Open(const std::string& path, std::string* error) {
  std::lock_guard<std::mutex> lock(lock_);
  if (file_ != nullptr) {
    *error = "a GPX file is open already";
    return false;
  }
  file_ = std::fopen(path.c_str(), "w");
  if (file_ == nullptr) {
    *error = std::strerror(errno);
    return false;
  }
  std::fprintf(file_,
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<gpx version=\"1.1\" creator=\"vesk-host\" xmlns=\"http://www.topografix.com/GPX/1/1\"\n"
               "     xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
               "     xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
               "http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
               "  <metadata>\n"
               "    <time>%s</time>\n"
               "  </metadata>\n"
               "  <trk>\n"
               "    <name>vesk-host GPS track</name>\n",
               UtcText(std::chrono::system_clock::now()).c_str());
  std::fflush(file_);
  return true;
}

bool GpxWriter::AddFix(const GpsInfo& fix, std::chrono::system_clock::time_point utc) {
  if (!(fix.latitude >= -90.0 && fix.latitude <= 90.0 && fix.longitude >= -180.0 && fix.longitude < 180.0)) {
    return false;
  }
  std::lock_guard<std::mutex> lock(lock_);
  if (file_ == nullptr) {
    return false;
  }
  if (!segmentOpen_) {
    std::fputs("    <trkseg>\n", file_);
    segmentOpen_ = true;
  }
  // Children in the order the schema requires: ele, time, sat.
  std::fprintf(file_, "      <trkpt lat=\"%.7f\" lon=\"%.7f\">\n", fix.latitude, fix.longitude);
  if (fix.altitudeValid != 0 && std::isfinite(fix.altitude)) {
    std::fprintf(file_, "        <ele>%.1f</ele>\n", fix.altitude);
  }
  std::fprintf(file_, "        <time>%s</time>\n", UtcText(utc).c_str());
  if (fix.satellitesValid != 0) {
    std::fprintf(file_, "        <sat>%u</sat>\n", static_cast<unsigned>(fix.satellites));
  }
  std::fputs("      </trkpt>\n", file_);
  std::fflush(file_);
  return true;
}

void GpxWriter::EndSegment() {
  std::lock_guard<std::mutex> lock(lock_);
  if (file_ != nullptr && segmentOpen_) {
    std::fputs("    </trkseg>\n", file_);
    std::fflush(file_);
    segmentOpen_ = false;
  }
}

void GpxWriter::Close() {
  std::lock_guard<std::mutex> lock(lock_);
  if (file_ == nullptr) {
    return;
  }
  if (segmentOpen_) {
    std::fputs("    </trkseg>\n", file_);
    segmentOpen_ = false;
  }
  std::fputs("  </trk>\n</gpx>\n", file_);
  std::fclose(file_);
  file_ = nullptr;
}

}  // namespace vesk_host
