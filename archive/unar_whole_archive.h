#pragma once
// An archive whose headers libarchive cannot parse, read entirely with the `unar` tools: the entries come
// from the `lsar` listing, and the files are extracted by one `unar` run into a scratch folder the first
// time one is needed, then checked against the listing (size, CRC) and moved into place one by one.
// Links are extracted alone, so that no link can exist in the scratch folder while files are written.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/lsar_listing.h"

namespace maj::archive {

class UnarWholeArchive {
 public:
  // `whileWaiting` runs regularly while a tool works.
  UnarWholeArchive(std::string archivePath, std::vector<ListedEntry> entries, std::function<void()> whileWaiting);
  ~UnarWholeArchive();
  UnarWholeArchive(const UnarWholeArchive&) = delete;
  UnarWholeArchive& operator=(const UnarWholeArchive&) = delete;

  // Moves to the next entry of the listing; null after the last.
  const ListedEntry* Next();
  const ListedEntry* current() const { return current_; }

  // Tests (kRarTest) or extracts (kRarExtract) the current entry, to `target` (a path checked to stay below
  // `destination`). `report` receives the entry's bytes once they are checked and returns false to stop.
  // Returns a result code; the caller has dealt with skipping and encryption.
  int Process(int operation, const std::string& destination, const std::string& target,
              const std::function<bool(std::uint64_t)>& report);

 private:
  bool RunOnce(int operation, const std::string& destination);
  int ProcessLink(int operation, const std::string& destination, const std::string& target);

  std::string archivePath_;
  std::vector<ListedEntry> entries_;
  std::function<void()> whileWaiting_;
  std::size_t next_ = 0;
  const ListedEntry* current_ = nullptr;
  std::string scratch_;  // output of the one run; empty before it
};

}  // namespace maj::archive
