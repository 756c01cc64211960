// The Debian package, made by cpack from this build's programs and installed with dpkg into a throwaway root
// (dpkg --root with a database of its own: the package has no maintainer scripts, so nothing needs to run
// inside the root). The installed `maj` works on an installation named by --installation or
// MAJ_INSTALLATION_DIR, against a database of the test's own; installing again upgrades in place, and purging
// leaves nothing but dpkg's own database and the installation, which is the site's.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <sys/wait.h>

#include "tests/support/pe_fixtures.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"

namespace maj {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;  // standard output and standard error together
};

// Runs `command` through the shell, for two minutes at most.
Outcome Shell(const std::string& command) {
  Outcome outcome;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("timeout 120 " + command + " 2>&1").c_str(), "r"), pclose);
  if (!pipe) return outcome;
  std::array<char, 4096> buffer;
  while (std::size_t read = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) {
    outcome.out.append(buffer.data(), read);
  }
  const int status = pclose(pipe.release());
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// Every path below `root` except dpkg's own database.
std::set<std::string> FilesOutsideDpkgDatabase(const fs::path& root) {
  std::set<std::string> files;
  for (auto entry = fs::recursive_directory_iterator(root); entry != fs::recursive_directory_iterator(); ++entry) {
    const std::string relative = fs::relative(entry->path(), root).string();
    if (relative == "var" || relative == "var/lib" || relative.starts_with("var/lib/dpkg")) continue;
    files.insert(relative);
  }
  return files;
}

TEST(PackageTest, InstallsRunsOnTheNamedInstallationUpgradesOverItselfAndPurgesWithoutTrace) {
  maj::testing::TempFolder temp;
  maj::testing::TestDatabase database;
  const std::string root = temp.str() + "/root";
  const std::string installation = temp.str() + "/Proscenia";
  fs::create_directories(root + "/var/lib/dpkg/info");
  fs::create_directories(root + "/var/lib/dpkg/updates");
  temp.WriteFile("root/var/lib/dpkg/status", "");
  temp.WriteFile("Proscenia/velandre.ini", "");
  temp.WriteFile("Proscenia/bin/notes.txt", "the site's");
  temp.WriteFile("Proscenia/registry.reg",
                 "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
                 "\"CurrentVersion\"=\"5.1\"\n");
  temp.WriteFile("Proscenia/Orv_Spec.ini", "[DSN]\ndsnBill=" + database.DataSourceName() + "\n");
  fs::create_directories(temp.str() + "/WINDOWS/SYSTEM32");
  const std::string published = temp.str() + "/report.dll";
  fs::copy_file(maj::testing::PeFixture("full.dll"), published);
  maj::testing::ScopedEnvironment env;
  env.Set("WINDIR", temp.str() + "/WINDOWS").Set("HOME", temp.str()).Set("XDG_DATA_HOME", temp.str() + "/data");
  env.Set("MAJ_REGISTRY", std::nullopt).Set("MAJ_RAR_WORKER", std::nullopt).Set("MAJ_INSTALLATION_DIR", std::nullopt);

  const Outcome made = Shell(Quoted(MAJ_CPACK) + " -G DEB --config " + Quoted(MAJ_CPACK_CONFIG) + " -B " +
                           Quoted(temp.str() + "/out"));
  ASSERT_EQ(made.status, 0) << made.out;
  const std::string architecture = Shell("dpkg --print-architecture").out;
  const std::string deb = temp.str() + "/out/maj_" MAJ_PACKAGE_VERSION "_" +
                          architecture.substr(0, architecture.find('\n')) + ".deb";
  ASSERT_TRUE(fs::exists(deb)) << made.out;

  // dpkg wants ldconfig and start-stop-daemon in PATH, even for a root without them; it works without root too.
  const std::string dpkg = "env PATH=\"$PATH:/usr/sbin:/sbin\" dpkg --root=" + Quoted(root) +
                           " --log=/dev/null --force-depends --force-not-root ";
  const Outcome installed = Shell(dpkg + "--install " + Quoted(deb));
  ASSERT_EQ(installed.status, 0) << installed.out;
  const Outcome listed = Shell(dpkg + "--listfiles maj");
  for (const char* file : {"/usr/bin/maj", "/usr/libexec/maj/maj-pending", "/usr/libexec/maj/maj-rar-worker",
                           "/usr/lib/systemd/system/maj-pending.service", "/usr/lib/systemd/user/maj-unattended.timer",
                           "/usr/share/applications/maj.desktop", "/usr/share/icons/hicolor/48x48/apps/maj.png",
                           "/usr/share/man/man1/maj.1.gz", "/usr/share/doc/maj/copyright"}) {
    EXPECT_NE(listed.out.find(std::string(file) + "\n"), std::string::npos) << file << "\n" << listed.out;
  }

  // The installed program, outside the installation it works on.
  const std::string maj = Quoted(root + "/usr/bin/maj");
  const std::string inInstallation = maj + " --installation " + Quoted(installation);
  EXPECT_EQ(Shell(maj + " --version").out, "maj " MAJ_PACKAGE_VERSION "\n");
  const Outcome publish = Shell(inInstallation + " --publish " + Quoted(published));
  EXPECT_EQ(publish.status, 0) << publish.out;
  EXPECT_EQ(database.QueryValue("SELECT COUNT(*) FROM Fichier64 WHERE nom = 'report.dll'"), "1");
  const Outcome check = Shell(inInstallation + " --check");
  EXPECT_EQ(check.status, 10) << check.out;
  EXPECT_NE(check.out.find("Fichier à récupérer : report.dll (installé : aucun"), std::string::npos) << check.out;
  const Outcome named = Shell("env MAJ_INSTALLATION_DIR=" + Quoted(installation) + " " + maj + " --check --json");
  EXPECT_EQ(named.status, 10) << named.out;
  const nlohmann::json document = nlohmann::json::parse(named.out, nullptr, false);
  EXPECT_EQ(document.value("/files/0/name"_json_pointer, std::string()), "report.dll") << named.out;
  const Outcome missing = Shell(maj + " --installation " + Quoted(temp.str() + "/absent") + " --check");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.out.find("Dossier d'installation introuvable"), std::string::npos) << missing.out;

  const Outcome again = Shell(dpkg + "--install " + Quoted(deb));
  EXPECT_EQ(again.status, 0) << again.out;
  EXPECT_EQ(Shell(inInstallation + " --check").status, 10);

  const Outcome purged = Shell(dpkg + "--purge maj");
  EXPECT_EQ(purged.status, 0) << purged.out;
  EXPECT_EQ(FilesOutsideDpkgDatabase(root), std::set<std::string>{});
  EXPECT_EQ(maj::testing::ReadFileText(installation + "/bin/notes.txt"), "the site's");
}

}  // namespace
}  // namespace maj
