#pragma once
// Result codes and callback messages of the RAR library layer (the UnRAR library's documented values).
#include <cstddef>

namespace maj::archive {

inline constexpr int kRarSuccess = 0;
inline constexpr int kRarEndArchive = 10;
inline constexpr int kRarNoMemory = 11;
inline constexpr int kRarBadData = 12;
inline constexpr int kRarBadArchive = 13;
inline constexpr int kRarUnknownFormat = 14;
inline constexpr int kRarOpenError = 15;
inline constexpr int kRarCreateError = 16;
inline constexpr int kRarCloseError = 17;
inline constexpr int kRarReadError = 18;
inline constexpr int kRarWriteError = 19;
inline constexpr int kRarSmallBuffer = 20;
inline constexpr int kRarUnknown = 21;
inline constexpr int kRarMissingPassword = 22;

// Open modes.
inline constexpr unsigned kRarOpenList = 0;
inline constexpr unsigned kRarOpenExtract = 1;

// Per-entry operations.
inline constexpr int kRarSkip = 0;
inline constexpr int kRarTest = 1;
inline constexpr int kRarExtract = 2;

// Callback messages. For kRarChangeVolume the second parameter says whether the next volume was not found
// (kRarVolumeAsk: the callback may write a new name into the first parameter's buffer) or was opened
// (kRarVolumeNotify).
inline constexpr unsigned kRarChangeVolume = 0;
inline constexpr unsigned kRarProcessData = 1;
inline constexpr unsigned kRarNeedPassword = 2;
inline constexpr long kRarVolumeAsk = 0;
inline constexpr long kRarVolumeNotify = 1;

// Buffer sizes fixed by the layer: the volume name a change-volume callback may rewrite, the password a
// password callback may write, the archive comment, the name fields of the entry header.
inline constexpr std::size_t kRarVolumeNameBufferSize = 1024;
inline constexpr std::size_t kRarPasswordBufferSize = 128;
inline constexpr std::size_t kRarCommentBufferSize = 16384;
inline constexpr std::size_t kRarNameFieldSize = 1024;

}  // namespace maj::archive
