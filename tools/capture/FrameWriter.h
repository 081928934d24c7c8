// Encodes and writes frames on worker threads while the intro runs on: PNG
// compression costs several times what drawing a frame does. Each file is
// made on its own, so the bytes do not depend on the order of the work.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "PngEncoder.h"

namespace corvane::capture {

class FrameWriter {
 public:
  FrameWriter(int scale, unsigned workers);
  // Waits for the files already handed over.
  ~FrameWriter();
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;

  // Hands a frame over, waiting while many are queued. Raises the first
  // error a worker met.
  void write(std::string path, ScreenPicture picture);
  // Waits until every frame handed over is written; raises as write does.
  void finish();
  // Storage a written frame left behind, for the next picture: reused, so
  // that a capture does not take fresh memory from the system every frame.
  std::vector<std::uint32_t> spareStorage();

 private:
  struct Job {
    std::string path;
    ScreenPicture picture;
  };
  void work();
  void stop();
  void raiseError();

  int scale;
  // As many as can be queued or in hand at once: no more are ever asked for.
  std::size_t spareLimit;
  std::mutex mutex;
  std::condition_variable jobReady;
  std::condition_variable jobTaken;
  std::deque<Job> jobs;
  std::vector<std::vector<std::uint32_t>> spares;
  unsigned busy = 0;
  bool closing = false;
  std::exception_ptr error;
  std::vector<std::thread> threads;
};

}  // namespace corvane::capture
