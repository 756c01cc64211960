#include "archive/lsar_listing.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "archive/json_reader.h"
#include "archive/unar_fallback.h"
#include "platform/unique_fd.h"

namespace maj::archive {
namespace {

constexpr std::uint64_t kMaxListingBytes = 32 * 1024 * 1024;

// The first of the named members that is an unsigned number.
std::optional<std::uint64_t> Number(const JsonValue& entry, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) {
    if (const JsonValue* value = entry.Find(name)) {
      if (std::optional<std::uint64_t> number = value->Unsigned()) return number;
    }
  }
  return std::nullopt;
}

bool Flag(const JsonValue& entry, std::string_view name) { return Number(entry, {name}).value_or(0) != 0; }

ListedEntry ReadEntry(const JsonValue& item, bool rar5) {
  ListedEntry entry;
  entry.index = static_cast<std::int64_t>(Number(item, {"XADIndex"}).value_or(0));
  if (const JsonValue* name = item.Find("XADFileName"); name && name->kind == JsonValue::Kind::kText) {
    entry.name = name->text;
  }
  entry.size = Number(item, {"XADFileSize"}).value_or(0);
  entry.directory = Flag(item, "XADIsDirectory");
  entry.link = Flag(item, "XADIsLink");
  entry.encrypted = Flag(item, "XADIsEncrypted");
  entry.attributes = static_cast<std::uint32_t>(Number(item, {"RARAttributes", "RAR5Attributes"}).value_or(0));
  if (rar5) {
    entry.unpackVersion = Number(item, {"RAR5CompressionVersion"}).value_or(0) == 0 ? 50 : 70;
    entry.method = 0x30 + static_cast<std::uint32_t>(Number(item, {"RAR5CompressionMethod"}).value_or(0) & 0x7);
    if (!Flag(item, "RAR5ChecksumsAreEncrypted")) {
      if (std::optional<std::uint64_t> crc = Number(item, {"RAR5CRC32"})) entry.crc = static_cast<std::uint32_t>(*crc);
    }
  } else {
    entry.unpackVersion = static_cast<std::uint32_t>(Number(item, {"RARCompressionVersion"}).value_or(29));
    entry.method = static_cast<std::uint32_t>(Number(item, {"RARCompressionMethod"}).value_or(0x33));
    if (std::optional<std::uint64_t> crc = Number(item, {"RARCRC32"})) entry.crc = static_cast<std::uint32_t>(*crc);
  }
  return entry;
}

}  // namespace

std::optional<std::vector<ListedEntry>> ParseLsarListing(std::string_view json) {
  std::optional<JsonValue> document = ParseJson(json);
  if (!document) return std::nullopt;
  const JsonValue* format = document->Find("lsarFormatName");
  const JsonValue* contents = document->Find("lsarContents");
  // "RAR", "RAR 5", or "Embedded RAR" for a self-extracting one.
  if (!format || format->text.find("RAR") == std::string::npos || !contents ||
      contents->kind != JsonValue::Kind::kArray) {
    return std::nullopt;
  }
  const bool rar5 = format->text.ends_with("RAR 5");
  std::vector<ListedEntry> entries;
  for (const JsonValue& item : contents->items) entries.push_back(ReadEntry(item, rar5));
  return entries;
}

std::optional<std::vector<ListedEntry>> ListArchiveWithLsar(const std::string& archivePath,
                                                            const std::function<void()>& whileWaiting) {
  const std::string lsar = FindProgramOnPath("lsar");
  if (lsar.empty()) return std::nullopt;
  const char* tmp = std::getenv("TMPDIR");
  const platform::UniqueFd output(open(tmp && *tmp ? tmp : "/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (!output.valid()) return std::nullopt;
  if (RunTool({lsar, "-j", archivePath}, output.get(), kMaxListingBytes, whileWaiting) != 0) return std::nullopt;
  const off_t size = lseek(output.get(), 0, SEEK_END);
  if (size <= 0 || static_cast<std::uint64_t>(size) >= kMaxListingBytes) return std::nullopt;
  std::string json(static_cast<std::size_t>(size), '\0');
  if (pread(output.get(), json.data(), json.size(), 0) != size) return std::nullopt;
  return ParseLsarListing(json);
}

}  // namespace maj::archive
