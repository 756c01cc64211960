#pragma once
// Fetching the stored bytes of one conditional package into the working folder.
#include <cstdint>
#include <string>

#include "db/blob_transfer.h"
#include "db/value.h"

namespace maj::engine {

// Writes the DATA of the Fichier64 row whose Cle_Fichier is `key` to `path`, unchanged, replacing any file
// there. `storedSize` is the row's LENGTH(data): when it does not fit in the free space of the folder of
// `path` (platform::DiskSpaceShortage), nothing is written. Throws std::runtime_error naming the package
// `nom` (control characters escaped) with the cause, whatever failed. `progress`, when set, is told the bytes
// written so far; `observer`, when set, sees every byte written.
void FetchPackage(const std::string& nom, const db::Value& key, std::uint64_t storedSize, const std::string& path,
                  const db::BlobProgress& progress = {}, const db::BlobBytes& observer = {});

}  // namespace maj::engine
