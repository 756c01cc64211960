#include "db/database_error.h"

namespace maj::db {

const char kPacketLimitAdvice[] =
    "Une valeur plus grande que la taille maximale de paquet du serveur (max_allowed_packet, 16 Mo par défaut) "
    "ne peut être ni envoyée ni lue. Augmentez "
    "max_allowed_packet dans la section [mysqld] de la configuration du serveur (par exemple "
    "max_allowed_packet=1G), puis redémarrez le serveur.";

const char kLostConnectionAdvice[] =
    "Causes possibles : le serveur a été arrêté ou redémarré, le réseau a été coupé, le serveur n'a rien "
    "envoyé pendant le délai accordé, ou il a rejeté une valeur plus grande que sa taille maximale de paquet "
    "(max_allowed_packet). Vérifiez que le serveur fonctionne et que ce poste l'atteint, puis relancez la mise à jour.";

DatabaseError::DatabaseError(const std::string& description, std::string sqlState, int nativeError,
                             std::string driverText)
    : std::runtime_error(description),
      sqlState_(std::move(sqlState)),
      nativeError_(nativeError),
      driverText_(driverText.empty() ? description : std::move(driverText)) {}

}  // namespace maj::db
