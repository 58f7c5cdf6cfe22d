#pragma once
// A console reporter that also keeps what each program's closing summary
// compares: for every benchmark of the run, the time per iteration of its
// fastest repetition, by the wall clock and in CPU time. The summaries give
// ratios to a baseline of the same run, since these machines are shared and
// their absolute times drift.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace bench {

class RunTimes : public benchmark::ConsoleReporter {
 public:
  struct Seconds {
    double wall = 0;
    double cpu = 0;
  };

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations <= 0) continue;
      const double n = static_cast<double>(run.iterations);
      const Seconds each{run.real_accumulated_time / n, run.cpu_accumulated_time / n};
      Keep(run.benchmark_name(), each);
      if (run.run_name.function_name != run.benchmark_name()) Keep(run.run_name.function_name, each);
      // Without the run's settings (min_time, real_time) as well.
      if (!run.run_name.args.empty()) Keep(run.run_name.function_name + "/" + run.run_name.args, each);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // By the full name ("BM_Query/1/2/min_time:2.000"), the function's with
  // its arguments ("BM_Query/1/2") or the function's alone ("BM_Query": the
  // fastest of all its arguments); null when no such benchmark ran.
  const Seconds* Find(const std::string& name) const {
    const auto found = fastest_.find(name);
    return found == fastest_.end() ? nullptr : &found->second;
  }

 private:
  void Keep(const std::string& name, Seconds each) {
    auto [it, added] = fastest_.emplace(name, each);
    if (added) return;
    it->second.wall = std::min(it->second.wall, each.wall);
    it->second.cpu = std::min(it->second.cpu, each.cpu);
  }

  std::map<std::string, Seconds> fastest_;
};

}  // namespace bench
