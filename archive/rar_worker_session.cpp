#include "archive/rar_worker_session.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "archive/lsar_listing.h"
#include "archive/rar_entry_writer.h"
#include "archive/rar_result_codes.h"
#include "archive/unar_fallback.h"

namespace maj::archive {
namespace {

constexpr std::size_t kDataChunk = 64 * 1024;
// Processed bytes are reported in pieces of this size (the last piece of an entry may be smaller).
constexpr std::uint64_t kProgressPiece = 64 * 1024;

la_ssize_t ReadCallback(::archive*, void* data, const void** buffer) {
  return static_cast<RarVolumeStream*>(data)->Read(buffer);
}

la_int64_t SkipCallback(::archive*, void* data, la_int64_t request) {
  return static_cast<RarVolumeStream*>(data)->Skip(request);
}

std::string StripTrailingSlash(std::string name) {
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  return name;
}

}  // namespace

RarWorkerSession::RarWorkerSession(WorkerLink& link) : link_(link) {}

RarWorkerSession::~RarWorkerSession() {
  if (reader_) archive_read_free(reader_);
}

int RarWorkerSession::FailureCode(int fallback) const {
  if (stream_ && stream_->errorCode() != 0) return stream_->errorCode();
  return fallback;
}

WorkerMessage RarWorkerSession::Open(const std::string& path, unsigned mode) {
  auto result = [](int code, int commentState = 0, std::string comment = {}) {
    return WorkerMessage{WorkerMessageKind::kResult, {code, commentState}, {std::move(comment)}};
  };
  mode_ = mode;
  archivePath_ = FindFileIgnoringCase(path);
  int probe = archivePath_.empty() ? -1 : open(archivePath_.c_str(), O_RDONLY | O_CLOEXEC);
  if (probe < 0) return result(kRarOpenError);
  close(probe);

  RarVolumeHeaders headers = ReadRarVolumeHeaders(archivePath_);
  if (headers.format == RarFormat::kUnknown) return result(kRarBadArchive);
  if (headers.mainHeaderBroken) return result(kRarBadData);
  // A set must be read from its first volume: a later one alone gives truncated or wrong data.
  const bool laterVolume = headers.isVolume &&
                           ((headers.volumeNumber && *headers.volumeNumber != 0) ||
                            (headers.format == RarFormat::kRar4 && headers.newNumbering && !headers.firstVolumeFlag));
  if (laterVolume) return result(kRarBadArchive);

  int commentState = 0;
  std::string comment;
  if (headers.comment) {
    comment = *headers.comment;
    commentState = 1;
    if (comment.size() >= kRarCommentBufferSize) {
      comment.resize(kRarCommentBufferSize - 1);
      commentState = kRarSmallBuffer;
    }
  } else if (headers.commentUnreadable) {
    commentState = kRarUnknownFormat;
  }

  stream_ = std::make_unique<RarVolumeStream>(link_, archivePath_, std::move(headers));
  reader_ = archive_read_new();
  if (!reader_) return result(kRarNoMemory);
  archive_read_support_format_rar(reader_);
  archive_read_support_format_rar5(reader_);
  archive_read_set_read_callback(reader_, ReadCallback);
  archive_read_set_skip_callback(reader_, SkipCallback);
  archive_read_set_callback_data(reader_, stream_.get());
  if (archive_read_open1(reader_) != ARCHIVE_OK && !StartWholeArchiveFallback()) {
    return result(FailureCode(kRarBadData));
  }
  return result(kRarSuccess, commentState, comment);
}

bool RarWorkerSession::StartWholeArchiveFallback() {
  if (stream_->errorCode() != 0) return false;
  std::optional<std::vector<ListedEntry>> entries = ListArchiveWithLsar(archivePath_, [this] { link_.Heartbeat(); });
  if (!entries || entries->empty()) return false;
  unar_ = std::make_unique<UnarWholeArchive>(archivePath_, std::move(*entries), [this] { link_.Heartbeat(); });
  return true;
}

WorkerMessage RarWorkerSession::NextListedHeader() {
  const ListedEntry* entry = unar_->Next();
  if (!entry) return WorkerMessage{WorkerMessageKind::kResult, {kRarEndArchive}, {}};
  entryProcessed_ = false;
  entryName_ = StripTrailingSlash(entry->name);
  return WorkerMessage{WorkerMessageKind::kResult,
                       {kRarSuccess, static_cast<std::int64_t>(entry->size), entry->unpackVersion, entry->method,
                        entry->attributes},
                       {archivePath_, entryName_}};
}

bool RarWorkerSession::ReportProcessed(std::uint64_t bytes) {
  return link_.Ask(kRarProcessData, static_cast<std::int64_t>(bytes), {}).result != -1;
}

bool RarWorkerSession::AskPassword() {
  if (!password_.empty()) return true;
  CallbackAnswer answer = link_.Ask(kRarNeedPassword, static_cast<std::int64_t>(kRarPasswordBufferSize), {});
  if (answer.result == -1 || answer.text.empty()) return false;
  password_ = answer.text;
  return true;
}

std::optional<RarFileHeader> RarWorkerSession::CurrentHeader() const {
  const auto& headers = stream_->entryHeaders();
  if (entryIndex_ < 0 || static_cast<std::size_t>(entryIndex_) >= headers.size()) return std::nullopt;
  const RarFileHeader& header = headers[static_cast<std::size_t>(entryIndex_)];
  // Trust the stored header only while it agrees with libarchive's view of the same entry.
  if (!header.directory && archive_entry_size_is_set(entry_) &&
      header.unpackedSize != static_cast<std::uint64_t>(archive_entry_size(entry_))) {
    return std::nullopt;
  }
  return header;
}

WorkerMessage RarWorkerSession::ReadHeader() {
  auto result = [](int code) { return WorkerMessage{WorkerMessageKind::kResult, {code}, {}}; };
  if (!reader_) return result(kRarUnknown);
  if (stream_->firstVolumeHeaders().headersEncrypted) {
    // libarchive cannot decrypt RAR headers: ask for the password as the format requires, then fail.
    return result(AskPassword() ? kRarBadData : kRarMissingPassword);
  }
  if (unar_) return NextListedHeader();
  int status = archive_read_next_header(reader_, &entry_);
  if (status == ARCHIVE_EOF || status < ARCHIVE_WARN) {
    entry_ = nullptr;
    // libarchive may lag behind the format (new header records): `lsar` may still read the archive.
    if (entryIndex_ < 0 && StartWholeArchiveFallback()) return NextListedHeader();
    return result(FailureCode(status == ARCHIVE_EOF ? kRarEndArchive : kRarBadData));
  }
  ++entryIndex_;
  entryProcessed_ = false;
  const char* name = archive_entry_pathname_utf8(entry_);
  if (!name) name = archive_entry_pathname(entry_);
  entryName_ = StripTrailingSlash(name ? name : "");

  const bool isRar5 = stream_->firstVolumeHeaders().format == RarFormat::kRar5;
  std::int64_t size = archive_entry_size_is_set(entry_) ? archive_entry_size(entry_) : 0;
  std::int64_t version = isRar5 ? 50 : 29;
  std::int64_t method = 0x33;
  std::int64_t attributes = archive_entry_mode(entry_) & 07777;
  if (std::optional<RarFileHeader> header = CurrentHeader()) {
    version = header->unpackVersion;
    method = header->method;
    attributes = header->attributes;
  }
  return WorkerMessage{WorkerMessageKind::kResult,
                       {kRarSuccess, size, version, method, attributes},
                       {stream_->currentVolume(), entryName_}};
}

WorkerMessage RarWorkerSession::Process(int operation, const std::string& destinationFolder,
                                        const std::string& destinationName) {
  auto result = [](int code) { return WorkerMessage{WorkerMessageKind::kResult, {code}, {}}; };
  if (!reader_ || (!entry_ && !unar_) || entryProcessed_) return result(kRarUnknown);
  entryProcessed_ = true;
  if (mode_ == kRarOpenList) operation = kRarSkip;
  if (unar_ && !volumesWalked_) {
    // `unar` reads the volumes itself; they are announced (or asked for) here, in order, as libarchive's
    // reading would.
    volumesWalked_ = true;
    const void* ignored = nullptr;
    do {
      stream_->Skip(INT64_MAX);
    } while (stream_->Read(&ignored) > 0);
    if (stream_->errorCode() != 0) return result(stream_->errorCode());
  }

  const mode_t type = unar_ ? 0 : archive_entry_filetype(entry_);
  const bool isDirectory = type == AE_IFDIR;
  if (operation == kRarSkip) {
    // No data is read for folders (libarchive fails on the data of RAR 5 folder entries).
    if (unar_ || isDirectory || archive_read_data_skip(reader_) == ARCHIVE_OK) return result(kRarSuccess);
    return result(FailureCode(kRarBadData));
  }

  std::optional<RarFileHeader> header = unar_ ? std::nullopt : CurrentHeader();
  const bool encrypted = unar_ ? unar_->current()->encrypted
                               : archive_entry_is_data_encrypted(entry_) > 0 || (header && header->encrypted);
  if (encrypted) {
    // libarchive has no RAR decryption: the data of an encrypted entry can never be checked.
    return result(AskPassword() ? kRarBadData : kRarMissingPassword);
  }

  // A destination name replaces the whole path; otherwise the entry name decides the path below the folder.
  std::string destination = destinationFolder.empty() ? "." : destinationFolder;
  std::string target;
  if (operation == kRarExtract) {
    if (!destinationName.empty()) {
      target = destinationName;
      std::size_t slash = target.find_last_of('/');
      destination = slash == std::string::npos ? "." : target.substr(0, std::max<std::size_t>(slash, 1));
      if (slash == std::string::npos) target = "./" + target;
    } else {
      std::optional<std::string> safe = SafeEntryPath(destination, entryName_);
      if (!safe) return result(kRarCreateError);
      target = *safe;
    }
  }
  if (unar_) {
    return result(unar_->Process(operation, destination, target, [this](std::uint64_t bytes) {
      return ReportProcessed(bytes);
    }));
  }
  if (isDirectory || type == AE_IFLNK || archive_entry_hardlink(entry_)) {
    return result(ExtractFolderOrLink(operation, target, destination));
  }
  return result(ReadFileData(operation, target, destination));
}

int RarWorkerSession::ExtractFolderOrLink(int operation, const std::string& target, const std::string& destination) {
  if (operation != kRarExtract) return kRarSuccess;
  if (archive_entry_filetype(entry_) == AE_IFDIR) {
    return MakeFolderBelow(destination, target) ? kRarSuccess : kRarCreateError;
  }
  std::size_t slash = target.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
  if (!MakeFolderBelow(destination, folder)) return kRarCreateError;
  if (const char* linkTarget = archive_entry_hardlink(entry_)) {
    std::optional<std::string> source = SafeEntryPath(destination, linkTarget);
    if (!source) return kRarCreateError;
    unlink(target.c_str());
    return link(source->c_str(), target.c_str()) == 0 ? kRarSuccess : kRarCreateError;
  }
  const char* linkTarget = archive_entry_symlink_utf8(entry_);
  if (!linkTarget) linkTarget = archive_entry_symlink(entry_);
  if (!linkTarget || !LinkStaysInside(linkTarget)) return kRarCreateError;
  unlink(target.c_str());
  return symlink(linkTarget, target.c_str()) == 0 ? kRarSuccess : kRarCreateError;
}

int RarWorkerSession::ReadFileData(int operation, const std::string& target, const std::string& destination) {
  const bool sizeKnown = archive_entry_size_is_set(entry_);
  const auto expected = static_cast<std::uint64_t>(sizeKnown ? archive_entry_size(entry_) : 0);
  std::optional<RarFileHeader> header = CurrentHeader();
  std::optional<std::uint32_t> expectedCrc = header ? header->crc32 : std::nullopt;

  EntryFileWriter writer;
  if (operation == kRarExtract && !writer.Begin(destination, target)) return kRarCreateError;

  std::vector<char> buffer(kDataChunk);
  std::uint64_t total = 0;
  std::uint64_t unreported = 0;
  std::uint64_t reported = 0;
  bool failed = false;
  auto report = [&]() {
    if (unreported == 0) return true;
    const std::uint64_t bytes = unreported;
    reported += bytes;
    unreported = 0;
    return ReportProcessed(bytes);
  };
  while (true) {
    la_ssize_t got = archive_read_data(reader_, buffer.data(), buffer.size());
    if (got == 0) break;
    if (got < 0 || (sizeKnown && total + static_cast<std::uint64_t>(got) > expected)) {
      failed = true;
      break;
    }
    total += static_cast<std::uint64_t>(got);
    if (operation == kRarExtract && !writer.Write(buffer.data(), static_cast<std::size_t>(got))) return kRarWriteError;
    unreported += static_cast<std::uint64_t>(got);
    if (unreported >= kProgressPiece && !report()) return kRarUnknown;
  }
  // libarchive may end an entry early without an error (a volume set cut short): the byte count decides.
  if (sizeKnown && total != expected) failed = true;

  if (failed) {
    if (stream_->errorCode() != 0 || !sizeKnown) return FailureCode(kRarBadData);
    // A genuine archive that this libarchive cannot decode: let `unar` extract the entry, and accept it
    // only with the size (and CRC) the header promises.
    std::string scratch = MakeScratchFolder(operation == kRarExtract ? writer.folder() : std::string());
    if (scratch.empty()) return kRarBadData;
    std::optional<std::string> extracted = ExtractEntryWithUnar(
        archivePath_, entryIndex_, entryName_, scratch, expected, expectedCrc, [this] { link_.Heartbeat(); });
    int code = kRarBadData;
    if (extracted) {
      code = kRarSuccess;
      if (operation == kRarExtract && !writer.CommitFrom(*extracted, archive_entry_mode(entry_))) {
        code = kRarCreateError;
      }
      if (code == kRarSuccess) {
        unreported = expected - reported;
        if (!report()) code = kRarUnknown;
      }
    }
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return code;
  }
  if (!report()) return kRarUnknown;
  if (operation == kRarExtract) {
    std::optional<std::time_t> modified;
    if (archive_entry_mtime_is_set(entry_)) modified = archive_entry_mtime(entry_);
    if (!writer.Commit(archive_entry_mode(entry_), modified)) return kRarCloseError;
  }
  return kRarSuccess;
}

}  // namespace maj::archive
