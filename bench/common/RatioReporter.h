// Our time set beside the peer's, in the output format the command line asks
// for (Google Benchmark's --benchmark_format, --benchmark_out and
// --benchmark_out_format, or their BENCHMARK_* environment variables):
//
//  - console: the library's table as the runs come, then one line per pair,
//    "ratio <label>: <ours> / <peer> = 0.240";
//  - json, csv: the library's own reporter; every run of ours that has a peer
//    run carries the counter "ratio_vs_peer" (our time per iteration divided
//    by the peer's). The runs are held back until the end so that the ratio
//    is known and, for csv, present in the header.
//
// A run is compared with the peer run of the same kind: the same repetition,
// or the same aggregate (mean, median); errors and spreads get no ratio.
#pragma once

#include <benchmark/benchmark.h>

#include <memory>
#include <cstddef>
#include <string>
#include <vector>

namespace corvane::bench {

// Two benchmarks by name (as registered) doing the same work; label names the
// work in the console lines.
struct RatioPair {
  std::string label;
  std::string ours;
  std::string peer;
};

// What the two sides are called in the console lines ("corvane", "sdl2").
struct RatioSides {
  std::string ours;
  std::string peer;
};

inline constexpr const char* kRatioCounter = "ratio_vs_peer";

// The output flags, read from the command line before benchmark::Initialize
// takes them out of it; the library itself checks their values.
struct OutputFlags {
  std::string format = "console";
  std::string out;
  std::string outFormat = "json";
  std::string color = "auto";
  bool countersTabular = false;

  static OutputFlags Parse(int argc, const char* const* argv);
};

// One ratio: the run of ours, the label and ratio of its pair.
struct Ratio {
  std::size_t run;  // index into the runs it was found in
  std::string label;
  double value;
};

// The ratios among the given runs, in the order of our runs.
std::vector<Ratio> FindRatios(const std::vector<benchmark::BenchmarkReporter::Run>& runs,
                              const std::vector<RatioPair>& pairs);

class RatioReporter : public benchmark::BenchmarkReporter {
 public:
  // format: "console", "json" or "csv"; console options only for console.
  RatioReporter(const std::string& format, benchmark::ConsoleReporter::OutputOptions options,
                std::vector<RatioPair> pairs, RatioSides sides);

  bool ReportContext(const Context& context) override;
  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  std::unique_ptr<benchmark::BenchmarkReporter> inner_;
  bool console_;
  std::vector<RatioPair> pairs_;
  RatioSides sides_;
  std::vector<Run> runs_;
};

// Runs the registered benchmarks with a RatioReporter for the display and,
// with --benchmark_out, one for the file; returns the number of runs.
std::size_t RunWithRatios(const OutputFlags& flags, const std::vector<RatioPair>& pairs,
                          const RatioSides& sides);

}  // namespace corvane::bench
