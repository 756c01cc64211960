#include "db/database_error.h"

namespace maj::db {

const char kPacketLimitAdvice[] =
    "Le serveur MySQL a refusé une valeur trop grande : une valeur plus grande que la taille maximale de paquet "
    "du serveur (max_allowed_packet, 16 Mo par défaut) ne peut être ni envoyée ni lue. Augmentez "
    "max_allowed_packet dans la section [mysqld] de la configuration du serveur (par exemple "
    "max_allowed_packet=1G), puis redémarrez le serveur.";

const char kLostConnectionAdvice[] =
    "La connexion au serveur de base de données a été perdue : le serveur a été arrêté ou redémarré, le réseau "
    "a été coupé, ou le serveur a rejeté une valeur plus grande que sa taille maximale de paquet "
    "(max_allowed_packet). Vérifiez que le serveur fonctionne et que ce poste l'atteint, puis relancez la mise "
    "à jour.";

const char kCertificateAdvice[] =
    "Connexion chiffrée (TLS) refusée : le certificat du serveur de base de données ne correspond pas au nom "
    "du serveur indiqué dans la source de données (SERVER), ou n'est pas signé par l'autorité de certification "
    "qu'elle désigne (SSLCA). Aucune donnée n'a été échangée. Vérifiez le nom du serveur et son certificat.";

DatabaseError::DatabaseError(const std::string& description, std::string sqlState, int nativeError)
    : std::runtime_error(description), sqlState_(std::move(sqlState)), nativeError_(nativeError) {}

}  // namespace maj::db
