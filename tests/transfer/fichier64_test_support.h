#pragma once
// Helpers for the tests that publish to and fetch from table Fichier64 on the private test server.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/value.h"
#include "tests/support/large_files.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"
#include "transfer/cls_file.h"

namespace maj::transfer::testing {

// One stored row, as the tests look at it.
struct StoredRow {
  std::int64_t key = 0;
  std::string nom;
  std::string version;
  std::optional<std::string> archive;
  std::int64_t type = 0;
  // WIN9X, WINNT4, WIN2000, WINXP, WIN2003, WINME, Vista, Win7, Win8.
  std::array<std::int64_t, 9> flags{};
  std::int64_t dataLength = 0;
};

// Every row of Fichier64, in key order.
std::vector<StoredRow> ReadRows();

// Inserts a row applying to Windows XP only, with `archive` (NULL when nullopt) and DATA `data` (a value, or
// a file's content sent in pieces).
void InsertRow(const std::string& nom, const std::string& version, const std::optional<std::string>& archive,
               const db::Parameter& data);
inline void InsertRow(const std::string& nom, const std::string& version, const std::optional<std::string>& archive,
                      const std::string& data) {
  InsertRow(nom, version, archive, db::Value::Text(data));
}

using maj::testing::RandomBytes;

using maj::testing::ListTree;

// Records the events of a cls_File as "upload:Nom", "compress:Nom", "download:Nom".
class RecordingFileListener : public cls_FileListener {
 public:
  void UploadInProgress(std::string& Filename) override { events.push_back("upload:" + Filename); }
  void CompressInProgress(std::string& Filename) override { events.push_back("compress:" + Filename); }
  void DownloadInProgress(std::string& Filename) override { events.push_back("download:" + Filename); }
  std::vector<std::string> events;
};

// Gives every test its own database on the private test server, with an empty Fichier64 and the shared
// connection open on it, and an empty temporary folder.
class Fichier64Test : public ::testing::Test {
 protected:
  void SetUp() override;

  // A record for the file `fileName` (written with `content` into the temporary folder when not empty),
  // version `version`, TYPE `type`, applying to Windows XP and 7.
  cls_File MakeRecord(const std::string& fileName, const std::string& content, const std::string& version,
                      std::int16_t type = 0);

  // A folder as the engine passes it, ending with a separator.
  std::string Destination() const;

  maj::testing::TestDatabase database_;
  maj::testing::TempFolder folder_;
};

}  // namespace maj::transfer::testing
