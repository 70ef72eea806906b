// Writes the fixes the host receives as a GPX 1.1 track that map tools open.
//
// Each point is flushed as it is added, and the document is closed by Close (or the destructor), so
// the file is complete whenever the session ends normally. A lost fix ends the current track segment,
// so that a map shows the gap instead of a straight line across it. Thread-safe: points arrive on the
// module's notification thread, Close comes from the host's own.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

#include "vesk/records.h"

namespace vesk_host {

class GpxWriter {
 public:
  GpxWriter() = default;
  ~GpxWriter();
  GpxWriter(const GpxWriter&) = delete;
  GpxWriter& operator=(const GpxWriter&) = delete;

  // Creates (or empties) the file and writes the document's opening; false, with a reason, if it cannot.
  bool Open(const std::string& path, std::string* error);

  // Adds a fix as a track point. A fix without a position inside the GPX ranges (latitude -90 to 90,
  // longitude -180 to below 180) is left out, since the file would no longer be valid; false then.
  bool AddFix(const GpsInfo& fix, std::chrono::system_clock::time_point utc);
  // The fix was lost: the next point starts a new segment.
  void EndSegment();

  // Writes the closing tags and closes the file; later calls do nothing.
  void Close();

 private:
  std::mutex lock_;
  std::FILE* file_ = nullptr;
  bool segmentOpen_ = false;
};

}  // namespace vesk_host
