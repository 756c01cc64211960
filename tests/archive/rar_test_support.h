#pragma once
// Shared pieces of the RAR tests: fixture paths and a listener that records every event of CRxUnrar.
#include <string>
#include <vector>

#include "archive/rx_unrar.h"
#include "tests/support/temp_folder.h"

namespace maj::testing {

// Path of the RAR fixture tests/data/rar/<name> (see the README there).
std::string RarFixture(const std::string& name);

// SHA-256 of a file, as lowercase hex ("" when it cannot be read).
std::string Sha256OfFile(const std::string& path);

// Changes the name of the RAR 4 file header named `oldName` to `newName` (same length) and fixes the
// header CRC. When `newData` is given, also replaces the entry's stored data (same length) and its CRC.
void PatchRar4Entry(std::string& archive, const std::string& oldName, const std::string& newName,
                    const std::string& newData = std::string());

// Inserts after the RAR 4 stored entry named `templateName` a copy of it named `newName` holding `newData`
// (any lengths), with its sizes and CRCs fixed.
void InsertRar4Copy(std::string& archive, const std::string& templateName, const std::string& newName,
                    const std::string& newData);

// Sets the unpacked size (low 32 bits) of the RAR 4 file header named `name` and fixes the header CRC.
void SetRar4UnpackedSize(std::string& archive, const std::string& name, std::uint32_t size);

// A RAR 5 block: its CRC and size, then `body` (type, flags, fields).
std::string Rar5Block(const std::string& body);

// A RAR 5 file block for an entry named `name` of contents `whole` stored uncompressed, followed by its data
// `part`: all of `whole`, or one volume's part of it with `split` 0x10 (continued in the next volume) or
// 0x08 (continued from the previous one).
std::string Rar5StoredEntry(const std::string& name, const std::string& whole, const std::string& part,
                            int split = 0);

// Records each event as one line ("ProcessingFile test.txt 20 2.9 ..."), and answers volume and password
// questions with the values set in the public fields.
class RecordingListener : public archive::CRxUnrarListener {
 public:
  std::vector<std::string> events;
  std::vector<std::string> processedFiles;
  std::vector<std::string> volumes;       // NextVolumne names, the first one included
  std::vector<double> progressExtracted;  // dblExtracted of each Progress
  bool continueVolumes = false;
  std::vector<std::string> missingFileAnswers;  // answered in order; empty once used up
  std::string passwordAnswer;
  int passwordRequests = 0;

  void OpenError(std::int32_t& lngErrorNo, std::string& strErrorMsg, std::string& strRarFile) override;
  void ProcessError(std::int32_t& lngErrorNo, std::string& strErrorMsg, std::string& strFilename) override;
  void CommentError(std::int32_t& lngErrorNo, std::string& strErrorMsg, std::string& strRarFile) override;
  void CommentFound(std::string& strRarFile, std::string& strComment) override;
  void ProcessingFile(std::string& strFilename, double& dblFileSize, std::chrono::system_clock::time_point& datFileTime,
                      std::int16_t& intMajorVer, std::int16_t& intMinorVer, std::int32_t& lngPackingMethod,
                      std::int32_t& lngFileAttr) override;
  void NextVolumne(std::string& strFilename, bool& blnContinue) override;
  void MissingFile(std::string& strFilename, std::string& strNewFilename) override;
  void MissingPassword(std::string& strNewPassword) override;
  void Progress(double& dblFileSize, double& dblExtracted) override;

  // True when some recorded event line starts with `prefix`.
  bool Has(const std::string& prefix) const;
};

}  // namespace maj::testing
