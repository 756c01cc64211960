// The summary: every figure beside its raw counterpart, its ratio and its target.
#include <algorithm>
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

void PrintFleetRows(const std::vector<FleetFigure>& rows, std::uint64_t bytesPerClient) {
  for (const FleetFigure& row : rows) {
    std::printf("  %7d %10.3f s", row.clients, row.seconds);
    if (bytesPerClient != 0) {
      std::printf(" %9.1f MB/s", row.clients * static_cast<double>(bytesPerClient) / 1e6 / row.seconds);
    } else {
      std::printf(" %14s", "");
    }
    std::printf(" %12ld %10.1f - %.1f MiB\n", row.connectionPeak, row.minPeakKiB / 1024.0, row.maxPeakKiB / 1024.0);
  }
}

void PrintFleet(const FleetSummary& fleet) {
  if (fleet.update.empty()) return;
  std::printf("5. Fleet: client processes, each with its own application folder, updating at once from one server\n");
  std::printf("  update run of the whole set (%.0f MiB per client), from an empty folder:\n",
              static_cast<double>(fleet.setBytes) / (1 << 20));
  std::printf("  %7s %12s %14s %12s %22s\n", "clients", "wall time", "in all", "connections", "peak memory per client");
  PrintFleetRows(fleet.update, fleet.setBytes);
  const FleetFigure& one = fleet.update.front();
  const FleetFigure& many = fleet.update.back();
  const double ratio = (many.clients / many.seconds) / (one.clients / one.seconds);
  std::printf("  throughput in all at %d clients / at %d: %.2f  target >= 1: %s\n", many.clients, one.clients, ratio,
              Verdict(ratio >= 1.0));
  const FleetPublishFigure& publishing = fleet.publishing;
  std::printf("  %d clients updating while a new version of one file is published: %.3f s, %ld connections;\n"
              "  %d ended with the whole new copy, %d with the whole old one, none with part of one, none failed\n",
              publishing.clients, publishing.seconds, publishing.connectionPeak, publishing.newCopies,
              publishing.oldCopies);
  std::printf("  check of %d up-to-date names:\n", fleet.checkNames);
  std::printf("  %7s %12s %14s %12s %22s\n", "clients", "wall time", "", "connections", "peak memory per client");
  PrintFleetRows(fleet.check, 0);
  std::printf("\n");
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
                "target <= 0.5 at 10,000");
    for (const Comparison& row : summary.check) {
      if (row.rawSeconds < 0) {  // no per-name client run at this size
        std::printf("  %-14s %8.3f s %10s %14s %14.3f s  -\n", row.label.c_str(), row.engineSeconds, "-", "-",
                    row.floorSeconds);
        PrintBreakdown(row);
        continue;
      }
      const double ratio = row.engineSeconds / row.rawSeconds;
      const bool judged = row.label == "10000 names";
      std::printf("  %-14s %8.3f s %8.3f s %14.2f %14.3f s  %s\n", row.label.c_str(), row.engineSeconds,
                  row.rawSeconds, ratio, row.floorSeconds, judged ? Verdict(ratio <= 0.5) : "-");
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
    const long above = std::max({figure.peakKiB, figure.conditionalKiB, figure.plainKiB}) - figure.idleKiB;
    std::printf("  target: every run < 16 MiB above the process that only connects (largest: %.1f MiB above): %s\n\n",
                above / 1024.0, Verdict(above < 16 * 1024));
  }
  PrintFleet(summary.fleet);
  PrintSigning(summary.signing);
  if (summary.window.longestGapMs >= 0) {
    const WindowFigure& window = summary.window;
    const double ratio = window.windowSeconds / window.windowlessSeconds;
    std::printf("7. Window: a package of 200 MiB, then the plain files, fetched and installed in two starts\n");
    std::printf("  longest gap between two ticks of a 10 ms timer on the window's thread: %.1f ms"
                " (target <= 50 ms): %s\n",
                window.longestGapMs, Verdict(window.longestGapMs <= 50));
    std::printf("  wall time with the window %.2f s, without %.2f s: ratio %.3f (target <= 1.10): %s\n\n",
                window.windowSeconds, window.windowlessSeconds, ratio, Verdict(ratio <= 1.10));
  }
}

}  // namespace maj::bench
