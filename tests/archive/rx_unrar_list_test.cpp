#include <gtest/gtest.h>

#include "archive/rx_unrar.h"
#include "tests/archive/rar_test_support.h"

namespace maj::archive {
namespace {

using testing::RarFixture;
using testing::RecordingListener;

TEST(RxUnrarExplore, DumpsEvents) {
  const char* files[] = {"test_read_format_rar.rar", "test_read_format_rar_compress_normal.rar",
                         "test_read_format_rar_subblock.rar", "test_read_format_rar_unicode.rar",
                         "test_read_format_rar5_win32.rar", "test_read_format_rar5_stored.rar",
                         "test_rar_multivolume_single_file.part1.rar", "test_read_format_rar5_multiarchive.part01.rar",
                         "test_read_format_rar_encryption_data.rar", "test_read_format_rar_encryption_header.rar",
                         "test_read_format_rar5_encrypted.rar", "test_read_format_rar5_encrypted_filenames.rar",
                         "test_read_format_rar_noeof.rar", "test_read_format_rar_invalid1.rar",
                         "test_read_format_rar5_truncated_huff.rar", "hostile/test_read_format_rar5_dirdata.rar",
                         "hostile/test_read_format_rar5_bad_window_sz_in_mltarc_file.rar",
                         "decoder-gaps/test_read_format_rar3_lowdist_reset.rar",
                         "decoder-gaps/test_read_format_rar_multi_lzss_blocks.rar"};
  for (const char* file : files) {
    for (int mode = 0; mode < 2; ++mode) {
      RecordingListener listener;
      listener.continueVolumes = true;
      CRxUnrar unrar(&listener);
      std::vector<std::string> names(50);
      bool ok = mode == 0 ? unrar.ListRarFiles(RarFixture(file), names) : unrar.TestRarFiles(RarFixture(file));
      printf("== %s %s -> %d\n", mode ? "test" : "list", file, ok);
      for (auto& e : listener.events) if (e.rfind("Progress", 0) != 0) printf("   %s\n", e.c_str());
      printf("   progress events %zu\n", listener.progressExtracted.size());
    }
  }
}

}  // namespace
}  // namespace maj::archive
