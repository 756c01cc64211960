#pragma once
// The names that the check figures publish: small rows, each installed as a copy of a PE file whose
// version is the published one, so that every name is up to date.
#include <string>

#include "bench/bench_context.h"

namespace maj::bench {

// The version every check name is published in: that of the PE fixture full.dll (FILEVERSION 13,1,0,10).
inline constexpr const char* kCheckVersion = "013.001.000.010";

// The PE fixture that every check name is installed as; throws when it has not been built.
std::string CheckPeFile();

// Name number `index` ("composant00001.dll").
std::string CheckName(int index);

// Publishes names first..last, one small row each, for every Windows version.
void PublishCheckNames(const BenchContext& context, int first, int last);

// Installs `peFile` under names first..last in `bin` (created): copies, or hard links when `link`.
void InstallCheckCopies(const std::string& peFile, const std::string& bin, int first, int last, bool link);

}  // namespace maj::bench
