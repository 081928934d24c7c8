#include "RatioReporter.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

namespace corvane::bench {

namespace {

using Run = benchmark::BenchmarkReporter::Run;

// The library's reading of a yes/no value: anything but an explicit no.
bool Truthy(std::string value) {
  std::transform(value.begin(), value.end(), value.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (value.size() == 1) return std::isalnum(static_cast<unsigned char>(value[0])) && value != "0" &&
                                value != "f" && value != "n";
  return value != "false" && value != "no" && value != "off";
}

// "--name=value" gives the value of that flag; "--name" alone is "true" for
// the library's yes/no flags and nothing for its others.
std::optional<std::string> FlagValue(std::string_view arg, std::string_view name, bool yesNo = false) {
  if (arg.substr(0, 2) != "--" || arg.substr(2, name.size()) != name) return std::nullopt;
  std::string_view rest = arg.substr(2 + name.size());
  if (rest.empty() && yesNo) return std::string("true");
  if (rest.empty() || rest[0] != '=') return std::nullopt;
  return std::string(rest.substr(1));
}

std::optional<std::string> Environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

// The library's console options: colour on a terminal unless told otherwise.
benchmark::ConsoleReporter::OutputOptions ConsoleOptions(const OutputFlags& flags) {
  bool color = false;
  if (flags.color == "auto") {
    const char* term = std::getenv("TERM");
    color = isatty(fileno(stdout)) && term != nullptr && std::strcmp(term, "dumb") != 0;
  } else {
    color = Truthy(flags.color);
  }
  int options = benchmark::ConsoleReporter::OO_None;
  if (color) options |= benchmark::ConsoleReporter::OO_Color;
  if (flags.countersTabular) options |= benchmark::ConsoleReporter::OO_Tabular;
  return static_cast<benchmark::ConsoleReporter::OutputOptions>(options);
}

std::unique_ptr<benchmark::BenchmarkReporter> MakeInner(const std::string& format,
                                                        benchmark::ConsoleReporter::OutputOptions options) {
  if (format == "json") return std::make_unique<benchmark::JSONReporter>();
  if (format == "csv") {
    // The library marks its csv reporter for removal but still offers the
    // format on its command line; while it does, so do we.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return std::make_unique<benchmark::CSVReporter>();
#pragma GCC diagnostic pop
  }
  return std::make_unique<benchmark::ConsoleReporter>(options);
}

// Time per iteration in seconds, whatever unit the run reports in.
double Seconds(const Run& run) {
  return run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
}

// Runs that can be compared: a plain run, or the mean or median of repetitions.
bool Comparable(const Run& run) {
  if (run.error_occurred) return false;
  if (run.run_type == Run::RT_Iteration) return true;
  return run.aggregate_unit == benchmark::kTime &&
         (run.aggregate_name == "mean" || run.aggregate_name == "median");
}

// The peer's run of the same kind as ours: same repetition or aggregate,
// same arguments and threads.
const Run* PeerRun(const Run& ours, const std::string& peerName, const std::vector<Run>& runs) {
  benchmark::BenchmarkName wanted = ours.run_name;
  wanted.function_name = peerName;
  for (const Run& run : runs)
    if (Comparable(run) && run.run_type == ours.run_type && run.aggregate_name == ours.aggregate_name &&
        run.repetition_index == ours.repetition_index && run.run_name.str() == wanted.str())
      return &run;
  return nullptr;
}

std::string Label(const RatioPair& pair, const Run& run) {
  if (run.run_type == Run::RT_Aggregate) return pair.label + " (" + run.aggregate_name + ")";
  if (run.repetitions > 1)
    return pair.label + " (repetition " + std::to_string(run.repetition_index + 1) + ")";
  return pair.label;
}

}  // namespace

OutputFlags OutputFlags::Parse(int argc, const char* const* argv) {
  OutputFlags flags;
  if (auto value = Environment("BENCHMARK_FORMAT")) flags.format = *value;
  if (auto value = Environment("BENCHMARK_OUT")) flags.out = *value;
  if (auto value = Environment("BENCHMARK_OUT_FORMAT")) flags.outFormat = *value;
  if (auto value = Environment("BENCHMARK_COLOR")) flags.color = *value;
  if (auto value = Environment("BENCHMARK_COUNTERS_TABULAR")) flags.countersTabular = Truthy(*value);
  // Later flags win, as in the library.
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (auto value = FlagValue(arg, "benchmark_format")) flags.format = *value;
    else if (auto value = FlagValue(arg, "benchmark_out")) flags.out = *value;
    else if (auto value = FlagValue(arg, "benchmark_out_format")) flags.outFormat = *value;
    else if (auto value = FlagValue(arg, "benchmark_color")) flags.color = *value;
    else if (auto value = FlagValue(arg, "benchmark_counters_tabular", true))
      flags.countersTabular = Truthy(*value);
  }
  return flags;
}

std::vector<Ratio> FindRatios(const std::vector<Run>& runs, const std::vector<RatioPair>& pairs) {
  std::vector<Ratio> ratios;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const Run& ours = runs[i];
    if (!Comparable(ours)) continue;
    for (const RatioPair& pair : pairs) {
      if (ours.run_name.function_name != pair.ours) continue;
      const Run* peer = PeerRun(ours, pair.peer, runs);
      if (peer != nullptr && Seconds(*peer) > 0)
        ratios.push_back({i, Label(pair, ours), Seconds(ours) / Seconds(*peer)});
    }
  }
  return ratios;
}

RatioReporter::RatioReporter(const std::string& format, benchmark::ConsoleReporter::OutputOptions options,
                             std::vector<RatioPair> pairs, RatioSides sides)
    : inner_(MakeInner(format, options)),
      console_(format != "json" && format != "csv"),
      pairs_(std::move(pairs)),
      sides_(std::move(sides)) {}

bool RatioReporter::ReportContext(const Context& context) {
  // The library gives this reporter its streams (a file for --benchmark_out)
  // before the context; the inner one writes where this one was told to.
  inner_->SetOutputStream(&GetOutputStream());
  inner_->SetErrorStream(&GetErrorStream());
  return inner_->ReportContext(context);
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  if (console_) inner_->ReportRuns(runs);
  runs_.insert(runs_.end(), runs.begin(), runs.end());
}

void RatioReporter::Finalize() {
  std::vector<Ratio> ratios = FindRatios(runs_, pairs_);
  if (console_) {
    for (const Ratio& ratio : ratios) {
      char line[256];
      std::snprintf(line, sizeof line, "ratio %s: %s / %s = %.3f\n", ratio.label.c_str(),
                    sides_.ours.c_str(), sides_.peer.c_str(), ratio.value);
      GetOutputStream() << line;
    }
  } else {
    for (const Ratio& ratio : ratios) runs_[ratio.run].counters[kRatioCounter] = ratio.value;
    if (!runs_.empty()) inner_->ReportRuns(runs_);
  }
  inner_->Finalize();
}

std::size_t RunWithRatios(const OutputFlags& flags, const std::vector<RatioPair>& pairs,
                          const RatioSides& sides) {
  if (flags.format != "console" || (!flags.out.empty() && flags.outFormat != "console"))
    benchmark::AddCustomContext(kRatioCounter, "time per iteration of " + sides.ours + " / of " + sides.peer);
  RatioReporter display(flags.format, ConsoleOptions(flags), pairs, sides);
  if (flags.out.empty()) return benchmark::RunSpecifiedBenchmarks(&display);
  RatioReporter file(flags.outFormat, benchmark::ConsoleReporter::OO_None, pairs, sides);
  return benchmark::RunSpecifiedBenchmarks(&display, &file);
}

}  // namespace corvane::bench
