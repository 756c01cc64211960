#include "tests/archive/rar_test_support.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <utility>

namespace maj::testing {

std::string RarFixture(const std::string& name) {
  return std::string(MAJ_SOURCE_ROOT) + "/tests/data/rar/" + name;
}

std::string Sha256OfFile(const std::string& path) {
  std::string command = "sha256sum '" + path + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return {};
  char hex[65] = {};
  if (std::fread(hex, 1, 64, pipe.get()) != 64) return {};
  return hex;
}

static std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

static void PutLittleEndian(std::string& bytes, std::size_t at, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Start and header size of the RAR 4 file header named `name` (7 base bytes, then 25 bytes of fixed fields
// before the name).
static std::pair<std::size_t, std::size_t> Rar4Header(const std::string& archive, const std::string& name) {
  const std::size_t start = archive.find(name) - 32;
  return {start, static_cast<unsigned char>(archive[start + 5]) | (static_cast<unsigned char>(archive[start + 6]) << 8)};
}

static void FixRar4HeaderCrc(std::string& archive, std::size_t start, std::size_t headSize) {
  PutLittleEndian(archive, start, Crc32(archive.substr(start + 2, headSize - 2)) & 0xFFFF, 2);
}

void PatchRar4Entry(std::string& archive, const std::string& oldName, const std::string& newName,
                    const std::string& newData) {
  const auto [start, headSize] = Rar4Header(archive, oldName);
  archive.replace(start + 32, oldName.size(), newName);
  if (!newData.empty()) {
    archive.replace(start + headSize, newData.size(), newData);
    PutLittleEndian(archive, start + 16, Crc32(newData), 4);
  }
  FixRar4HeaderCrc(archive, start, headSize);
}

void InsertRar4Copy(std::string& archive, const std::string& templateName, const std::string& newName,
                    const std::string& newData) {
  const auto [start, headSize] = Rar4Header(archive, templateName);
  std::size_t packSize = static_cast<unsigned char>(archive[start + 7]);  // small stored entries only
  std::string header = archive.substr(start, 32) + newName +
                       archive.substr(start + 32 + templateName.size(), headSize - 32 - templateName.size());
  PutLittleEndian(header, 5, static_cast<std::uint32_t>(header.size()), 2);
  PutLittleEndian(header, 7, static_cast<std::uint32_t>(newData.size()), 4);
  PutLittleEndian(header, 11, static_cast<std::uint32_t>(newData.size()), 4);
  PutLittleEndian(header, 16, Crc32(newData), 4);
  PutLittleEndian(header, 26, static_cast<std::uint32_t>(newName.size()), 2);
  FixRar4HeaderCrc(header, 0, header.size());
  archive.insert(start + headSize + packSize, header + newData);
}

void SetRar4UnpackedSize(std::string& archive, const std::string& name, std::uint32_t size) {
  const auto [start, headSize] = Rar4Header(archive, name);
  PutLittleEndian(archive, start + 11, size, 4);
  FixRar4HeaderCrc(archive, start, headSize);
}

static std::string Vint(std::uint64_t value) {
  std::string bytes;
  for (; value >= 0x80; value >>= 7) bytes.push_back(static_cast<char>((value & 0x7F) | 0x80));
  return bytes + static_cast<char>(value);
}

std::string Rar5Block(const std::string& body) {
  std::string block = Vint(body.size()) + body;
  std::string crc(4, '\0');
  PutLittleEndian(crc, 0, Crc32(block), 4);
  return crc + block;
}

std::string Rar5StoredEntry(const std::string& name, const std::string& whole, const std::string& part, int split) {
  // A part continued in the next volume carries the CRC of its own bytes, the last one that of the file.
  std::string crc(4, '\0');
  PutLittleEndian(crc, 0, Crc32((split & 0x10) ? part : whole), 4);
  // Type 2 (file), header flags: data area and split; file flags: CRC present; mode 0644; stored, Unix.
  const std::string flags{'\x02', static_cast<char>(0x02 | split)};
  return Rar5Block(flags + Vint(part.size()) + "\x04" + Vint(whole.size()) + Vint(0100644) + crc +
                   std::string("\x00\x01", 2) + Vint(name.size()) + name) +
         part;
}

void RecordingListener::OpenError(std::int32_t& lngErrorNo, std::string& strErrorMsg, std::string& strRarFile) {
  events.push_back("OpenError " + std::to_string(lngErrorNo) + " " + strErrorMsg + " | " + strRarFile);
}

void RecordingListener::ProcessError(std::int32_t& lngErrorNo, std::string& strErrorMsg, std::string& strFilename) {
  events.push_back("ProcessError " + std::to_string(lngErrorNo) + " " + strErrorMsg + " | " + strFilename);
}

void RecordingListener::CommentError(std::int32_t& lngErrorNo, std::string& strErrorMsg, std::string& strRarFile) {
  events.push_back("CommentError " + std::to_string(lngErrorNo) + " " + strErrorMsg + " | " + strRarFile);
}

void RecordingListener::CommentFound(std::string& strRarFile, std::string& strComment) {
  events.push_back("CommentFound " + std::string(strComment.c_str()) + " | " + strRarFile);
}

void RecordingListener::ProcessingFile(std::string& strFilename, double& dblFileSize,
                                       std::chrono::system_clock::time_point&, std::int16_t& intMajorVer,
                                       std::int16_t& intMinorVer, std::int32_t& lngPackingMethod,
                                       std::int32_t& lngFileAttr) {
  processedFiles.push_back(strFilename);
  char line[128];
  std::snprintf(line, sizeof(line), " %.0f %d.%d m%x a%o", dblFileSize, intMajorVer, intMinorVer,
                static_cast<unsigned>(lngPackingMethod), static_cast<unsigned>(lngFileAttr));
  events.push_back("ProcessingFile " + strFilename + line);
}

void RecordingListener::NextVolumne(std::string& strFilename, bool& blnContinue) {
  volumes.push_back(strFilename);
  events.push_back("NextVolumne " + strFilename);
  blnContinue = continueVolumes;
}

void RecordingListener::MissingFile(std::string& strFilename, std::string& strNewFilename) {
  events.push_back("MissingFile " + strFilename);
  if (!missingFileAnswers.empty()) {
    strNewFilename = missingFileAnswers.front();
    missingFileAnswers.erase(missingFileAnswers.begin());
  }
}

void RecordingListener::MissingPassword(std::string& strNewPassword) {
  ++passwordRequests;
  events.push_back("MissingPassword");
  strNewPassword = passwordAnswer;
}

void RecordingListener::Progress(double& dblFileSize, double& dblExtracted) {
  progressExtracted.push_back(dblExtracted);
  char line[96];
  std::snprintf(line, sizeof(line), "Progress %.0f %.0f", dblExtracted, dblFileSize);
  events.push_back(line);
}

bool RecordingListener::Has(const std::string& prefix) const {
  for (const std::string& event : events) {
    if (event.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

}  // namespace maj::testing
