// A fresh headless platform and application object for each test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "framework/Forms.h"
#include "headless/HeadlessBackend.h"

namespace corvane::test {

class HeadlessFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    auto backend = std::make_unique<platform::HeadlessBackend>();
    backend_ = backend.get();
    backend_->windows().setQuitWhenIdle(false);
    platform::Install(std::move(backend));
    platform::SetMessageEcho(false);
    InitApplication();
  }
  void TearDown() override {
    DoneApplication();
    platform::Uninstall();
    platform::SetMessageEcho(true);
  }

  platform::HeadlessWindowSystem& windows() { return backend_->windows(); }
  platform::HeadlessClock& clock() { return backend_->clock(); }
  void post(platform::EventKind kind, platform::HWND window = 0, std::uint16_t key = 0) {
    windows().postEvent({kind, window, key, 0});
  }
  // Moves the clock on and lets the message loop take one step.
  void step(std::uint32_t ms) {
    clock().advance(ms);
    Application->HandleMessage();
  }

  platform::HeadlessBackend* backend_ = nullptr;
};

// Runs a test body inside its own empty working directory.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    old_ = std::filesystem::current_path();
    path_ = std::filesystem::temp_directory_path() /
            ("corvane-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
  }
  ~ScratchDirectory() {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(path_);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path old_, path_;
};

}  // namespace corvane::test
