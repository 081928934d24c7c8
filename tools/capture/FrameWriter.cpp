#include "FrameWriter.h"

#include <algorithm>

#include "OutputFile.h"

namespace corvane::capture {

namespace {
// Frames waiting for a worker; bounds the memory a slow disk can take.
constexpr std::size_t kQueueLimit = 16;
}  // namespace

FrameWriter::FrameWriter(int scale, unsigned workers)
    : scale(scale), spareLimit(kQueueLimit + std::max(workers, 1u)) {
  workers = std::max(workers, 1u);
  for (unsigned i = 0; i < workers; ++i) threads.emplace_back([this] { work(); });
}

FrameWriter::~FrameWriter() { stop(); }

void FrameWriter::stop() {
  {
    std::lock_guard lock(mutex);
    closing = true;
  }
  jobReady.notify_all();
  for (std::thread& thread : threads)
    if (thread.joinable()) thread.join();
}

void FrameWriter::raiseError() {
  if (error) std::rethrow_exception(error);
}

void FrameWriter::write(std::string path, ScreenPicture picture) {
  std::unique_lock lock(mutex);
  jobTaken.wait(lock, [this] { return jobs.size() < kQueueLimit || error; });
  raiseError();
  jobs.push_back({std::move(path), std::move(picture)});
  lock.unlock();
  jobReady.notify_one();
}

void FrameWriter::finish() {
  std::unique_lock lock(mutex);
  jobTaken.wait(lock, [this] { return (jobs.empty() && busy == 0) || error; });
  raiseError();
}

std::vector<std::uint32_t> FrameWriter::spareStorage() {
  std::lock_guard lock(mutex);
  if (spares.empty()) return {};
  std::vector<std::uint32_t> storage = std::move(spares.back());
  spares.pop_back();
  return storage;
}

void FrameWriter::work() {
  std::unique_lock lock(mutex);
  for (;;) {
    jobReady.wait(lock, [this] { return closing || !jobs.empty(); });
    if (jobs.empty()) return;  // closing, and nothing left
    Job job = std::move(jobs.front());
    jobs.pop_front();
    ++busy;
    lock.unlock();
    std::exception_ptr failure;
    try {
      WriteWholeFile(job.path, EncodePng(job.picture, scale));
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    --busy;
    if (spares.size() < spareLimit) spares.push_back(std::move(job.picture.pixels));
    if (failure && !error) {
      error = failure;
      jobs.clear();  // nothing more is written after a failure
    }
    jobTaken.notify_all();
  }
}

}  // namespace corvane::capture
