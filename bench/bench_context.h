#pragma once
// What every benchmark part shares: the options, the server and its clients, the engine runner, the work
// folder, and the figures gathered for the summary.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_server.h"
#include "bench/engine_runner.h"

namespace maj::bench {

struct BenchOptions {
  int files = 8;                        // files per kind in the throughput parts
  int sizeMiB = 4;                      // size of each of them
  int repeat = 3;                       // measurements of each figure; the median is kept
  std::vector<int> checkNames = {1000, 10000};
  int memorySizeMiB = 500;              // size of each of the two files of the memory part
  std::vector<int> clients = {1, 5, 20};  // client processes running at once in the fleet part
  std::vector<std::string> parts = {"publish", "update", "check", "memory", "fleet", "signing", "window"};
  std::string workFolder;               // empty: a new temporary folder, removed at the end
  bool keep = false;                    // keep the work folder
};

// One figure measured against its raw counterpart.
struct Comparison {
  std::string label;
  double engineSeconds = 0;
  double rawSeconds = 0;
  double floorSeconds = -1;  // the check's batched query; -1 when none
  std::uint64_t bytes = 0;   // data moved, for a throughput; 0 when none
  // Where the time goes: parts measured apart, printed under the figure.
  std::vector<std::pair<std::string, double>> breakdown;
};

struct MemoryFigure {
  std::uint64_t fileBytes = 0;  // each of the two files
  long idleKiB = 0;             // a process that only connects
  long peakKiB = 0;             // the run that fetches both files
  long conditionalKiB = 0;      // a run that fetches the conditional file alone
  long plainKiB = 0;            // a run that fetches the plain file alone
  double seconds = 0;
};

// Clients running at once: wall time from the first start to the last end, and the peak memory of each.
struct FleetFigure {
  int clients = 0;
  double seconds = 0;
  long connectionPeak = -1;  // the server's Max_used_connections (the bench's own connection included)
  long minPeakKiB = 0;       // smallest and largest peak resident set among the clients
  long maxPeakKiB = 0;
};

// Clients updating while one more process publishes a new version of a file they fetch.
struct FleetPublishFigure {
  int clients = 0;
  double seconds = 0;
  long connectionPeak = -1;
  int newCopies = 0;  // clients that ended with the whole new version
  int oldCopies = 0;  // clients that ended with the old one
};

struct FleetSummary {
  std::uint64_t setBytes = 0;  // the published set that each client fetches
  std::vector<FleetFigure> update;
  FleetPublishFigure publishing;
  int checkNames = 0;
  std::vector<FleetFigure> check;
};

// The window's thread while a run fetches and installs (window part).
struct WindowFigure {
  double longestGapMs = -1;  // between two ticks of a 10 ms timer; -1 when not measured
  double windowSeconds = 0;
  double windowlessSeconds = 0;
};

// The update run with and without verification, and publishing with and without signing.
struct SigningFigure {
  std::string label;
  double publishPlain = 0, publishSigned = 0;
  double updatePlain = 0, updateVerified = 0;  // the engine process, start and connection included
  double callsPlain = 0, callsVerified = 0;    // its calls alone
  long peakPlainKiB = 0, peakVerifiedKiB = 0;
};

struct Summary {
  std::vector<Comparison> update;
  std::vector<Comparison> publish;
  std::vector<Comparison> check;
  std::vector<MemoryFigure> memory;
  FleetSummary fleet;
  WindowFigure window;
  std::vector<SigningFigure> signing;
  double clientStartSeconds = -1;  // the mariadb client starting, connecting and running SELECT 1
};

class BenchContext {
 public:
  BenchContext(BenchOptions options, const std::string& program, const std::string& workFolder);

  const BenchOptions& options() const { return options_; }
  const BenchServer& server() const { return server_; }
  // The engine's account, and the administration account (FILE right, for LOAD_FILE).
  const Client& client() const { return client_; }
  const Client& admin() const { return admin_; }
  const EngineRunner& engine() const { return engine_; }
  const std::string& workFolder() const { return workFolder_; }
  // This executable, beside which maj-bench-window is built.
  const std::string& program() const { return program_; }
  Summary& summary() { return summary_; }
  const Summary& summary() const { return summary_; }

  // <work folder>/<name>, created.
  std::string Folder(const std::string& name) const;
  // Drops Fichier64 and creates it again, empty.
  void ResetUpdateTable() const;
  // Runs statements as the administration account and returns the output.
  std::string Sql(const std::string& statements) const;
  // Empties an application folder but its registry file: bin, the working folders, anything else.
  void ClearApplicationFolder(const std::string& folder) const;
  // Runs a bash script and returns its wall time; throws when it fails.
  double RunScript(const std::string& name, const std::string& script) const;

 private:
  BenchOptions options_;
  std::string program_;
  std::string workFolder_;
  BenchServer server_;
  Client client_;
  Client admin_;
  EngineRunner engine_;
  Summary summary_;
};

// Median of measurements (the mean of the two middle ones for an even count).
double Median(std::vector<double> values);

// Progress on standard error.
void Progress(const std::string& text);

// The parts, each adding its figures to the summary.
void RunPublishAndUpdate(BenchContext& context);
void RunCheck(BenchContext& context);
void RunMemory(BenchContext& context);
void RunWindow(BenchContext& context);
void RunFleet(BenchContext& context);
void RunSigning(BenchContext& context);

// Prints the figures of RunSigning.
void PrintSigning(const std::vector<SigningFigure>& figures);

// Prints the summary with the targets.
void PrintSummary(const BenchContext& context);

}  // namespace maj::bench
