#pragma once
// The program's single update engine, shared by the update run and the publishing panel.
#include "engine/cls_download_manager.h"
#include "engine/download_manager_listener.h"

namespace maj::app {

// The engine, created on the first call. Its events go to the listener set below; while it works it lets the
// screens handle their pending events and shows its messages in a message box.
engine::cls_DownloadManager& GetDownloadManager();

// The listener that receives the shared engine's events from now on (nullptr: none). Not owned.
void SetDownloadManagerListener(engine::cls_DownloadManagerListener* listener);

}  // namespace maj::app
