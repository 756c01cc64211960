#include "archive/m_rx_unrar.h"

#include <algorithm>
#include <cstring>

#include "archive/rar_result_codes.h"
#include "archive/rx_unrar.h"

namespace maj::archive::MRxUnrar {

CRxUnrar& ObjectFromUserData(std::intptr_t userData) { return *reinterpret_cast<CRxUnrar*>(userData); }

std::string TextFromNarrowString(const char* text, std::size_t capacity) {
  if (!text) return {};
  return std::string(text, strnlen(text, capacity));
}

int RarCallback(unsigned int msg, std::intptr_t userData, std::intptr_t p1, std::intptr_t p2) {
  CRxUnrar& owner = ObjectFromUserData(userData);
  switch (msg) {
    case kRarChangeVolume: {
      auto* buffer = reinterpret_cast<char*>(p1);
      std::string name = TextFromNarrowString(buffer, kRarVolumeNameBufferSize);
      if (p2 == kRarVolumeAsk) {
        std::string newName = owner.AskMissingVolume(name);
        if (newName.empty() || !buffer) return -1;
        // The library's name buffer has a fixed size: the new name is cut to fit with its NUL.
        std::size_t size = std::min(newName.size(), kRarVolumeNameBufferSize - 1);
        std::memcpy(buffer, newName.data(), size);
        buffer[size] = '\0';
        return 1;
      }
      if (p2 == kRarVolumeNotify) return owner.ReportNextVolume(name) ? 1 : -1;
      return 0;
    }
    case kRarProcessData:
      owner.ReportProgress(static_cast<double>(p2));
      return 1;
    case kRarNeedPassword: {
      std::string answer = owner.AskPassword();
      answer.push_back('\0');
      auto* buffer = reinterpret_cast<char*>(p1);
      if (buffer && p2 > 0) {
        std::memcpy(buffer, answer.data(), std::min(answer.size(), static_cast<std::size_t>(p2)));
      }
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace maj::archive::MRxUnrar
