#include "platform/system_error_text.h"

#include <cerrno>
#include <cstring>

namespace maj::platform {

std::string SystemErrorText(int error) {
  switch (error) {
    case ENOSPC:
      return "Espace disque insuffisant";
    case EDQUOT:
      return "Quota d'espace disque dépassé";
    case EFBIG:
      return "Fichier trop grand pour ce système de fichiers";
    case EACCES:
    case EPERM:
      return "Accès refusé";
    case EROFS:
      return "Système de fichiers en lecture seule";
    case EBUSY:
    case ETXTBSY:
      return "Fichier en cours d'utilisation";
    case ENOENT:
      return "Fichier ou dossier introuvable";
    case EISDIR:
      return "Un dossier porte ce nom";
    case ENOTDIR:
      return "Un élément du chemin n'est pas un dossier";
    case ENAMETOOLONG:
      return "Nom trop long";
    case EIO:
      return "Erreur d'entrée-sortie du disque";
    default:
      return std::string(std::strerror(error)) + " (errno " + std::to_string(error) + ")";
  }
}

}  // namespace maj::platform
