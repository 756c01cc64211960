// The summary: every figure beside its raw counterpart, its ratio and its target.
#include <cstdio>
#include <string>

#include "bench/bench_context.h"

namespace maj::bench {
namespace {

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

void PrintBreakdown(const Comparison& row) {
  for (const auto& [part, seconds] : row.breakdown) std::printf("      %-52s %8.3f s\n", part.c_str(), seconds);
}

void PrintThroughput(const char* title, const std::vector<Comparison>& rows) {
  if (rows.empty()) return;
  std::printf("%s\n", title);
  std::printf("  %-32s %10s %10s %12s %10s  %s\n", "files", "engine", "raw", "raw/engine", "engine", "target >= 1.0");
  for (const Comparison& row : rows) {
    const double ratio = row.rawSeconds / row.engineSeconds;
    std::printf("  %-32s %8.3f s %8.3f s %12.2f %5.0f MB/s  %s\n", row.label.c_str(), row.engineSeconds,
                row.rawSeconds, ratio, static_cast<double>(row.bytes) / 1e6 / row.engineSeconds,
                Verdict(ratio >= 1.0));
    PrintBreakdown(row);
  }
}

}  // namespace

void PrintSummary(const BenchContext& context) {
  const Summary& summary = context.summary();
  const BenchOptions& options = context.options();
  std::printf("\nMAJ benchmarks (median of %d measurements; private MariaDB over TCP on this machine)\n\n",
              options.repeat);
  PrintThroughput(
      "1. Update run: check, fetch, unpack and install every file (engine process vs. mariadb --raw per row,\n"
      "   cat, unzip, mv)",
      summary.update);
  if (!summary.update.empty()) std::printf("\n");
  PrintThroughput(
      "2. Publishing: compress, split and store every file (engine process with its publishing queue vs. zip,\n"
      "   split -b 819200, mariadb with LOAD_FILE)",
      summary.publish);
  if (!summary.publish.empty()) std::printf("\n");

  if (!summary.check.empty()) {
    std::printf("3. Update check, every name up to date with a PE file installed (engine's Test_Version vs. the\n"
                "   same statements sent by one mariadb client)\n");
    std::printf("  %-14s %10s %10s %14s %16s  %s\n", "names", "engine", "client", "engine/client", "batched query",
                "target <= 1.5 at 10,000");
    for (const Comparison& row : summary.check) {
      const double ratio = row.engineSeconds / row.rawSeconds;
      const bool judged = row.label == "10000 names";
      std::printf("  %-14s %8.3f s %8.3f s %14.2f %14.3f s  %s\n", row.label.c_str(), row.engineSeconds,
                  row.rawSeconds, ratio, row.floorSeconds, judged ? Verdict(ratio <= 1.5) : "-");
      PrintBreakdown(row);
    }
    if (summary.clientStartSeconds >= 0) {
      std::printf("  (the client's figures include its start and connection: %.3f s for SELECT 1 alone)\n",
                  summary.clientStartSeconds);
    }
    std::printf("\n");
  }

  for (const MemoryFigure& figure : summary.memory) {
    const double peakMiB = figure.peakKiB / 1024.0;
    const double fileMiB = static_cast<double>(figure.fileBytes) / (1 << 20);
    std::printf("4. Memory: one conditional and one plain file of %.0f MiB each fetched and installed\n", fileMiB);
    std::printf("  peak resident %.1f MiB (%.3f of one file, %.3f of both); a process that only connects: %.1f MiB;"
                " %.1f s\n",
                peakMiB, peakMiB / fileMiB, peakMiB / (2 * fileMiB), figure.idleKiB / 1024.0, figure.seconds);
    std::printf("  peak of a run fetching the conditional file alone: %.1f MiB; the plain file alone: %.1f MiB\n",
                figure.conditionalKiB / 1024.0, figure.plainKiB / 1024.0);
    std::printf("  target < 64 MiB: %s\n\n", Verdict(peakMiB < 64));
  }
}

}  // namespace maj::bench
