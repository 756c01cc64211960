// Signed publications: the update run with and without verification side by side (the same files, published
// unsigned for a workstation that trusts no key, then signed for one that trusts the publisher's key), peak
// memory of each, and what signing adds to publishing.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "bench/bench_context.h"
#include "bench/data_files.h"
#include "platform/paths.h"
#include "signing/key_files.h"
#include "signing/publishing_key.h"
#include "signing/trusted_keys.h"

namespace maj::bench {
namespace {

constexpr const char* kVersion = "001.000.000";

struct Measured {
  std::vector<double> publish, update, updateCalls;
  std::vector<double> peakKiB;
};

// Publishes the files (signed when `keyFile` is set), then updates a fresh application folder that trusts
// `trustedLine` (none when empty); checks that every file was installed.
void Round(BenchContext& context, const std::vector<std::string>& files, const std::string& keyFile,
           const std::string& trustedLine, Measured& measured) {
  context.ResetUpdateTable();
  context.Sql("DROP TABLE IF EXISTS Fichier64Signature;");
  // The engine process finds the key as `maj --publish` does without --signing-key.
  if (keyFile.empty()) {
    ::unsetenv(signing::kSigningKeyVariable);
  } else {
    ::setenv(signing::kSigningKeyVariable, keyFile.c_str(), 1);
  }
  const EngineRun published = context.engine().Publish(context.Folder("application-publish"), kVersion, files);
  ::unsetenv(signing::kSigningKeyVariable);
  measured.publish.push_back(published.process.seconds);

  const std::string application = context.Folder(trustedLine.empty() ? "application-unverified" : "application-verified");
  WriteXPRegistry(application);
  context.ClearApplicationFolder(application);
  if (!trustedLine.empty()) {
    std::ofstream(platform::JoinPath(application, signing::kTrustedKeysFileName)) << trustedLine << "\n";
  }
  const EngineRun run = context.engine().Update(application, 1);
  if (run.Count("installed") != static_cast<long>(files.size())) {
    throw std::runtime_error("the engine installed " + std::to_string(run.Count("installed")) + " of " +
                             std::to_string(files.size()) + " files" + (trustedLine.empty() ? "" : " (verified)"));
  }
  measured.update.push_back(run.process.seconds);
  measured.updateCalls.push_back(run.EngineSeconds());
  measured.peakKiB.push_back(static_cast<double>(run.process.peakResidentKiB));
}

}  // namespace

void RunSigning(BenchContext& context) {
  const BenchOptions& options = context.options();
  if (std::find(options.parts.begin(), options.parts.end(), "signing") == options.parts.end()) return;

  std::vector<std::string> files;
  const std::string sources = context.Folder("sources-signing");
  for (int i = 1; i <= options.files; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "signe%02d.dat", i);
    files.push_back(platform::JoinPath(sources, name));
    WriteDataFile(files.back(), static_cast<std::uint64_t>(options.sizeMiB) << 20, DataKind::kIncompressible,
                  static_cast<std::uint64_t>(i) * 104729);
  }
  const std::string keyFile = platform::JoinPath(context.Folder("keys"), "editeur.key");
  std::filesystem::remove(keyFile);
  const std::string trustedLine = signing::GenerateKeyFile(keyFile);

  Measured plain, verified;
  for (int round = 0; round < options.repeat; ++round) {
    Round(context, files, "", "", plain);
    Round(context, files, keyFile, trustedLine, verified);
  }
  SigningFigure figure;
  figure.label = std::to_string(options.files) + " x " + std::to_string(options.sizeMiB) + " MiB incompressible";
  figure.publishPlain = Median(plain.publish);
  figure.publishSigned = Median(verified.publish);
  figure.updatePlain = Median(plain.update);
  figure.updateVerified = Median(verified.update);
  figure.callsPlain = Median(plain.updateCalls);
  figure.callsVerified = Median(verified.updateCalls);
  figure.peakPlainKiB = static_cast<long>(Median(plain.peakKiB));
  figure.peakVerifiedKiB = static_cast<long>(Median(verified.peakKiB));
  Progress("signing " + figure.label + ": update " + std::to_string(figure.updatePlain) + " s unverified, " +
           std::to_string(figure.updateVerified) + " s verified; publishing " + std::to_string(figure.publishPlain) +
           " s unsigned, " + std::to_string(figure.publishSigned) + " s signed");
  context.summary().signing.push_back(figure);
}

void PrintSigning(const std::vector<SigningFigure>& figures) {
  for (const SigningFigure& f : figures) {
    std::printf("6. Signed publications, %s (engine processes; trusted key vs. none)\n", f.label.c_str());
    const double added = f.updateVerified / f.updatePlain - 1;
    std::printf("  update run: %.3f s verified, %.3f s without verification: %+.1f %%  target < 10 %%: %s\n",
                f.updateVerified, f.updatePlain, 100 * added, added < 0.10 ? "met" : "MISSED");
    std::printf("    the engine's calls alone (without process start and connection): %.3f s verified, %.3f s without\n",
                f.callsVerified, f.callsPlain);
    std::printf("  peak memory of the run: %.1f MiB verified, %.1f MiB without\n", f.peakVerifiedKiB / 1024.0,
                f.peakPlainKiB / 1024.0);
    std::printf("  publishing: %.3f s signed, %.3f s unsigned: %+.1f %%\n\n", f.publishSigned, f.publishPlain,
                100 * (f.publishSigned / f.publishPlain - 1));
  }
}

}  // namespace maj::bench
