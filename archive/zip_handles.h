#pragma once
// Owning handles for libzip objects.
#include <zip.h>

#include <memory>

namespace maj::archive {

struct ZipArchiveCloser {
  // Abandons any change: archives are closed for writing explicitly with zip_close.
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchivePtr = std::unique_ptr<zip_t, ZipArchiveCloser>;

struct ZipEntryCloser {
  void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};
using ZipEntryPtr = std::unique_ptr<zip_file_t, ZipEntryCloser>;

// Owns a zip_error_t for the calls that report into one.
class ZipErrorHolder {
 public:
  ZipErrorHolder() { zip_error_init(&error_); }
  ~ZipErrorHolder() { zip_error_fini(&error_); }
  ZipErrorHolder(const ZipErrorHolder&) = delete;
  ZipErrorHolder& operator=(const ZipErrorHolder&) = delete;
  zip_error_t* get() { return &error_; }
  const char* text() { return zip_error_strerror(&error_); }

 private:
  zip_error_t error_;
};

}  // namespace maj::archive
