// Test helper: reads one HKEY_LOCAL_MACHINE text value of the registry named by MAJ_REGISTRY and writes
// "text:<value>" or "nothing" to a file.   registry_probe <key> <value name> <output file>
#include <fstream>

#include "config/registry_access.h"

int main(int argc, char* argv[]) {
  if (argc != 4) return 2;
  const auto text = maj::config::ReadRegistryText(maj::config::RegistryRoot::LocalMachine, argv[1], argv[2]);
  std::ofstream(argv[3], std::ios::binary) << (text ? "text:" + *text : std::string("nothing"));
  return 0;
}
