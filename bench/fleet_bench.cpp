// A site's morning: many workstations updating from one server at once, then checking at once, and one
// publishing a new version while the others update. Every client is a process of its own with its own
// application folder; the figures are checked (files, exit codes), not only timed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "bench/bench_context.h"
#include "bench/check_names.h"
#include "bench/data_files.h"
#include "platform/paths.h"

namespace maj::bench {
namespace {

constexpr const char* kOldVersion = "001.000.000";
constexpr const char* kNewVersion = "002.000.000";
constexpr int kFleetNames = 10000;

struct PublishedSet {
  std::vector<std::string> paths;
  std::vector<std::string> names;
  std::uint64_t bytes = 0;
};

PublishedSet MakeFiles(const BenchContext& context) {
  PublishedSet set;
  const std::string folder = context.Folder("sources-fleet");
  const std::uint64_t size = static_cast<std::uint64_t>(context.options().sizeMiB) << 20;
  for (int i = 1; i <= context.options().files; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "poste%02d.dat", i);
    set.paths.push_back(platform::JoinPath(folder, name));
    set.names.push_back(name);
    WriteDataFile(set.paths.back(), size, DataKind::kIncompressible, 104729 + static_cast<std::uint64_t>(i));
    set.bytes += size;
  }
  return set;
}

std::string ClientFolder(const BenchContext& context, int client) {
  char name[32];
  std::snprintf(name, sizeof name, "poste%02d", client);
  return context.Folder(name);
}

// The peak of simultaneous connections since the last reset, and the reset.
long ConnectionPeak(const BenchContext& context) {
  std::istringstream out(context.Sql("SHOW GLOBAL STATUS LIKE 'Max_used_connections';"));
  std::string name;
  long peak = -1;
  out >> name >> peak;
  return peak;
}
void ResetConnectionPeak(const BenchContext& context) { context.Sql("FLUSH STATUS;"); }

struct FleetRound {
  std::vector<EngineRun> runs;
  double seconds = 0;
};
// Runs one update task in each of the first `clients` client folders at once, `stagger` apart (plus `extra`,
// started first, when given) and returns every run, clients first. Throws when any of them failed.
FleetRound RunTogether(const BenchContext& context, int clients, const StartedEngine* extra = nullptr,
                       std::chrono::milliseconds stagger = std::chrono::milliseconds(0)) {
  std::vector<StartedEngine> started;
  for (int client = 1; client <= clients; ++client) {
    if (client > 1) std::this_thread::sleep_for(stagger);
    started.push_back(context.engine().Start("update", ClientFolder(context, client), {"1"},
                                             "poste" + std::to_string(client)));
  }
  FleetRound round;
  double first = started.front().child.startSeconds, last = first;
  int failures = 0;
  for (const StartedEngine& one : started) {
    round.runs.push_back(context.engine().Finish(one));
    last = std::max(last, one.child.startSeconds + round.runs.back().process.seconds);
    if (round.runs.back().process.exitCode != 0) ++failures;
  }
  if (extra != nullptr) {
    round.runs.push_back(context.engine().Finish(*extra));
    if (round.runs.back().process.exitCode != 0) ++failures;
  }
  round.seconds = last - first;
  if (failures != 0) throw std::runtime_error(std::to_string(failures) + " engine processes of the fleet failed");
  return round;
}

void CheckClientFiles(const BenchContext& context, int clients, const PublishedSet& set) {
  for (int client = 1; client <= clients; ++client) {
    const std::string bin = platform::JoinPath(ClientFolder(context, client), "bin");
    for (std::size_t i = 0; i < set.paths.size(); ++i) {
      if (!SameContent(set.paths[i], platform::JoinPath(bin, set.names[i]))) {
        throw std::runtime_error("client " + std::to_string(client) + " does not have " + set.names[i] + " intact");
      }
    }
  }
}

// Folds one round's connection count and memory peaks into the figure of all rounds.
void AddRound(FleetFigure& figure, const FleetFigure& measured, bool firstRound) {
  figure.connectionPeak = std::max(figure.connectionPeak, measured.connectionPeak);
  figure.minPeakKiB = firstRound ? measured.minPeakKiB : std::min(figure.minPeakKiB, measured.minPeakKiB);
  figure.maxPeakKiB = std::max(figure.maxPeakKiB, measured.maxPeakKiB);
}

FleetFigure Figure(int clients, const FleetRound& round, long connections) {
  FleetFigure figure;
  figure.clients = clients;
  figure.seconds = round.seconds;
  figure.connectionPeak = connections;
  for (int i = 0; i < clients; ++i) {
    const long peak = round.runs[static_cast<std::size_t>(i)].process.peakResidentKiB;
    figure.minPeakKiB = i == 0 ? peak : std::min(figure.minPeakKiB, peak);
    figure.maxPeakKiB = std::max(figure.maxPeakKiB, peak);
  }
  return figure;
}

}  // namespace

void RunFleet(BenchContext& context) {
  const BenchOptions& options = context.options();
  if (std::find(options.parts.begin(), options.parts.end(), "fleet") == options.parts.end()) return;
  const int most = *std::max_element(options.clients.begin(), options.clients.end());
  for (int client = 1; client <= most; ++client) {
    context.ClearApplicationFolder(ClientFolder(context, client));
    WriteXPRegistry(ClientFolder(context, client));
  }
  FleetSummary& fleet = context.summary().fleet;

  // Every client fetches the whole published set from an empty folder, all at once.
  const PublishedSet set = MakeFiles(context);
  context.ResetUpdateTable();
  context.engine().Publish(context.Folder("application-publish"), kOldVersion, set.paths);
  fleet.setBytes = set.bytes;
  for (int clients : options.clients) {
    std::vector<double> seconds;
    FleetFigure figure;
    for (int round = 0; round < options.repeat; ++round) {
      for (int client = 1; client <= clients; ++client) context.ClearApplicationFolder(ClientFolder(context, client));
      ResetConnectionPeak(context);
      const FleetRound run = RunTogether(context, clients);
      for (int client = 0; client < clients; ++client) {
        if (run.runs[static_cast<std::size_t>(client)].Count("installed") != static_cast<long>(set.paths.size())) {
          throw std::runtime_error("a client of the fleet did not install every file");
        }
      }
      CheckClientFiles(context, clients, set);
      const FleetFigure measured = Figure(clients, run, ConnectionPeak(context));
      AddRound(figure, measured, round == 0);
      seconds.push_back(run.seconds);
    }
    figure.clients = clients;
    figure.seconds = Median(seconds);
    char line[200];
    std::snprintf(line, sizeof line, "fleet update, %d clients: %.3f s, %.1f MB/s in all, %ld connections at most",
                  clients, figure.seconds, clients * static_cast<double>(set.bytes) / 1e6 / figure.seconds,
                  figure.connectionPeak);
    Progress(line);
    fleet.update.push_back(figure);
  }

  // One workstation publishes a new version of the first file (cut into volumes) while the others update:
  // each must end with the old copy or the whole new one, and every other file intact.
  {
    const std::string newPath = platform::JoinPath(context.Folder("sources-fleet-new"), set.names[0]);
    WriteDataFile(newPath, static_cast<std::uint64_t>(options.sizeMiB) << 20, DataKind::kIncompressible, 7);
    for (int client = 1; client <= most; ++client) {
      const std::string bin = platform::JoinPath(ClientFolder(context, client), "bin");
      for (std::size_t i = 1; i < set.names.size(); ++i) std::filesystem::remove(platform::JoinPath(bin, set.names[i]));
    }
    ResetConnectionPeak(context);
    const StartedEngine publisher =
        context.engine().Start("publish", context.Folder("application-publish"), {kNewVersion, newPath}, "publisher");
    // Started a little apart, the clients read the table all along the publishing.
    const FleetRound run = RunTogether(context, most, &publisher, std::chrono::milliseconds(300));
    PublishedSet others = set;
    others.paths.erase(others.paths.begin());
    others.names.erase(others.names.begin());
    CheckClientFiles(context, most, others);
    FleetPublishFigure figure{most, run.seconds, ConnectionPeak(context), 0, 0};
    for (int client = 1; client <= most; ++client) {
      const std::string bin = platform::JoinPath(ClientFolder(context, client), "bin");
      const std::string copy = platform::JoinPath(bin, set.names[0]);
      if (SameContent(newPath, copy)) {
        ++figure.newCopies;
      } else if (SameContent(set.paths[0], copy)) {
        ++figure.oldCopies;
      } else {
        throw std::runtime_error("client " + std::to_string(client) + " holds part of a version of " + set.names[0]);
      }
    }
    char line[200];
    std::snprintf(line, sizeof line, "fleet update while publishing, %d clients: %.3f s, %d new copies, %d old",
                  most, figure.seconds, figure.newCopies, figure.oldCopies);
    Progress(line);
    fleet.publishing = figure;
  }

  // Every client checks 10,000 up-to-date names at once.
  context.ResetUpdateTable();
  PublishCheckNames(context, 1, kFleetNames);
  const std::string peFile = CheckPeFile();
  for (int client = 1; client <= most; ++client) {
    context.ClearApplicationFolder(ClientFolder(context, client));
    // Each client's names are links to a copy of its own: a file takes only so many links.
    const std::string copy = platform::JoinPath(ClientFolder(context, client), "full.dll");
    std::filesystem::copy_file(peFile, copy);
    InstallCheckCopies(copy, platform::JoinPath(ClientFolder(context, client), "bin"), 1, kFleetNames, true);
  }
  fleet.checkNames = kFleetNames;
  for (int clients : options.clients) {
    std::vector<double> seconds;
    FleetFigure figure;
    for (int round = 0; round < options.repeat; ++round) {
      ResetConnectionPeak(context);
      const FleetRound run = RunTogether(context, clients);
      for (int client = 0; client < clients; ++client) {
        if (run.runs[static_cast<std::size_t>(client)].Count("updates") != 0) {
          throw std::runtime_error("a client of the fleet found names to update among up-to-date ones");
        }
      }
      const FleetFigure measured = Figure(clients, run, ConnectionPeak(context));
      AddRound(figure, measured, round == 0);
      seconds.push_back(run.seconds);
    }
    figure.clients = clients;
    figure.seconds = Median(seconds);
    Progress("fleet check, " + std::to_string(clients) + " clients: " + std::to_string(figure.seconds) + " s");
    fleet.check.push_back(figure);
  }
  for (int client = 1; client <= most; ++client) context.ClearApplicationFolder(ClientFolder(context, client));
  context.ResetUpdateTable();
}

}  // namespace maj::bench
