#pragma once
// `maj --publish`: files stored in Fichier64 as the publishing panel stores them.
#include <string>

#include "app/command_line_options.h"

namespace maj::app {

// Prepares one record per file as the panel's rows do (the ticks of the options, else the preset of the
// name; every Windows version unless `windows`; the version read from the file unless given), then creates
// the table when missing and publishes them through the engine's queue, printing the compress and store
// lines. Nothing is published when a file is missing or has no version and none is given. Returns kExitDone
// or kExitFailed (the description printed on standard error).
// The records are signed with the key that signing::ResolvePublishingKey finds (options.signingKey first).
int RunPublish(const PublishOptions& options);

// `maj --generate-key FICHIER`: writes a new private key and prints its public key line. kExitDone or kExitFailed.
int RunGenerateKey(const std::string& keyFile);

// `maj --sign NOM --version V`: signs the stored version `name` / options.version with the publishing key.
int RunSignStored(const std::string& name, const PublishOptions& options);

}  // namespace maj::app
