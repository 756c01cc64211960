// maj-pending: performs at system start what the updater scheduled for the next start (file replacements
// that failed because a file was in use, then the registrations and batch files of the RunOnce key).
// The registry file is the one the updater uses: MAJ_REGISTRY, else registry.reg beside this program.
#include <cstring>
#include <exception>
#include <iostream>

#include "pending/pending_operations.h"
#include "platform/registry_file.h"

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << "usage: maj-pending\n"
                 "Performs the file moves and the run-once commands that MAJ scheduled for the next start.\n"
                 "Registry file: $MAJ_REGISTRY, else registry.reg beside this program.\n";
    return 0;
  }
  try {
    maj::platform::RegistryFile registry = maj::platform::SystemRegistry();
    int failures = maj::pending::PerformPendingMoves(registry, std::cerr);
    failures += maj::pending::RunOnceCommands(registry, std::cerr);
    return failures == 0 ? 0 : 1;
  } catch (const std::exception& error) {
    std::cerr << "maj-pending : " << error.what() << "\n";
    return 2;
  }
}
