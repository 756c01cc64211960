#include "db/failure_description.h"

#include <algorithm>
#include <iterator>

#include "db/database_error.h"
#include "platform/text.h"

namespace maj::db {
namespace {

// MySQL / MariaDB server and client error numbers.
constexpr int kDatabaseAccessDenied = 1044;
constexpr int kAccessDenied = 1045;
constexpr int kUnknownDatabase = 1049;
constexpr int kHostBlocked = 1129;
constexpr int kHostNotAllowed = 1130;
constexpr int kPacketTooLarge = 1153;
constexpr int kAccountLocked = 4151;
constexpr int kCannotConnectLocal = 2002;
constexpr int kCannotConnect = 2003;
constexpr int kUnknownHost = 2005;
constexpr int kServerGoneAway = 2006;
constexpr int kLostConnection = 2013;
constexpr int kClientPacketTooLarge = 2020;
constexpr int kTlsConnectionError = 2026;

// What went wrong, as the user is told.
enum class Failure {
  kNoDataSource,
  kUnknownDataSource,
  kDriverUnusable,
  kNoAnswer,
  kRefused,
  kUnknownHost,
  kAccountRefused,
  kUnknownDatabase,
  kCertificate,
  kOtherConnect,
  kLost,
  kPacketLimit,
  kStatement,
};

bool Contains(const std::string& text, std::string_view part) {
  return platform::ToLowerCase(text).find(part) != std::string::npos;
}

// The client library gives the system error of a failed connection in its text: "(110)" or "system error:
// 110", 110 being ETIMEDOUT, the end of the connection time limit.
bool TimedOut(const DriverDiagnostic& record) {
  return Contains(record.message, "(110)") || Contains(record.message, "system error: 110");
}

bool IsTimeOutState(const std::string& state) { return state == "HYT00" || state == "HYT01"; }

Failure ClassifyConnecting(const DriverDiagnostic& record, std::string_view dataSourceName) {
  if (record.state == "IM002") return dataSourceName.empty() ? Failure::kNoDataSource : Failure::kUnknownDataSource;
  // unixODBC reports a driver library that cannot be loaded with state 01000 and this text.
  if (record.state == "IM003" || Contains(record.message, "can't open lib")) return Failure::kDriverUnusable;
  if (IsTimeOutState(record.state)) return Failure::kNoAnswer;
  if (record.nativeError == kTlsConnectionError || Contains(record.message, "tls/ssl error")) {
    return Failure::kCertificate;
  }
  switch (record.nativeError) {
    case kCannotConnectLocal:
    case kCannotConnect:
    case kLostConnection:
      // A lost connection while logging in without a time-out: the peer closed it (not a MySQL server, or
      // one that turns this station away before greeting it).
      return TimedOut(record) ? Failure::kNoAnswer : Failure::kRefused;
    case kUnknownHost:
      return Failure::kUnknownHost;
    case kAccessDenied:
    case kDatabaseAccessDenied:
    case kAccountLocked:
    case kHostBlocked:
    case kHostNotAllowed:
      return Failure::kAccountRefused;
    case kUnknownDatabase:
      return Failure::kUnknownDatabase;
    default:
      return Failure::kOtherConnect;
  }
}

Failure ClassifyRunning(const std::vector<DriverDiagnostic>& records) {
  for (const DriverDiagnostic& record : records) {
    if (record.nativeError == kPacketTooLarge || record.nativeError == kClientPacketTooLarge ||
        Contains(record.message, "max_allowed_packet")) {
      return Failure::kPacketLimit;
    }
  }
  for (const DriverDiagnostic& record : records) {
    if (record.nativeError == kServerGoneAway || record.nativeError == kLostConnection ||
        record.state == "08S01" || IsTimeOutState(record.state) || Contains(record.message, "gone away") ||
        Contains(record.message, "lost connection")) {
      return Failure::kLost;
    }
  }
  return Failure::kStatement;
}

// " (source de données « name »)", or nothing for a connection without a data source name.
std::string OfSource(std::string_view dataSourceName) {
  if (dataSourceName.empty()) return {};
  return " (source de données « " + std::string(dataSourceName) + " »)";
}

// What the user reads for each failure: the headline, completed by OfSource and a period, and what to check.
struct Wording {
  Failure failure;
  const char* headline;
  const char* check;
};

const Wording kWordings[] = {
    {Failure::kNoDataSource, "Aucune source de données ODBC n'est indiquée pour la base de données",
     "Vérifiez que la clé dsnBill de la section [DSN] du fichier Orv_Spec.ini nomme la source de données ODBC du "
     "serveur de base de données."},
    // The headline names the missing data source in its middle (DescribeDatabaseFailure).
    {Failure::kUnknownDataSource, nullptr,
     "Vérifiez le nom inscrit à la clé dsnBill de la section [DSN] du fichier Orv_Spec.ini et que cette source "
     "de données est déclarée dans la configuration ODBC de ce poste."},
    {Failure::kDriverUnusable, "Le pilote ODBC de la base de données ne peut pas être chargé",
     "Vérifiez que le pilote ODBC MariaDB ou MySQL est installé sur ce poste et que la source de données désigne "
     "ce pilote."},
    {Failure::kNoAnswer, "Le serveur de base de données ne répond pas dans le délai de connexion",
     "Vérifiez que le serveur MySQL fonctionne et n'est pas en maintenance, que l'adresse et le port inscrits dans "
     "la source de données sont les bons, et que le réseau ou un pare-feu laisse passer la connexion."},
    {Failure::kRefused, "Le serveur de base de données refuse la connexion",
     "Vérifiez que le serveur MySQL est démarré et que l'adresse et le port inscrits dans la source de données "
     "sont les bons."},
    {Failure::kUnknownHost, "Le serveur de base de données est introuvable sur le réseau",
     "Vérifiez le nom du serveur inscrit dans la source de données et que ce poste est relié au réseau."},
    {Failure::kAccountRefused, "Le serveur de base de données refuse le compte de connexion",
     "Vérifiez que le compte existe sur le serveur avec le mot de passe attendu, qu'il n'est pas verrouillé et "
     "qu'il a le droit d'ouvrir la base de données depuis ce poste."},
    {Failure::kUnknownDatabase, "La base de données demandée n'existe pas sur le serveur",
     "Vérifiez le nom de la base (DATABASE) inscrit dans la source de données et que cette base existe sur le "
     "serveur."},
    {Failure::kCertificate, "La connexion chiffrée (TLS) au serveur de base de données est refusée",
     "Causes possibles : le certificat du serveur de base de données ne correspond pas au nom du serveur indiqué "
     "dans la source de données (SERVER), ou n'est pas signé par l'autorité de certification qu'elle désigne "
     "(SSLCA). Aucune donnée n'a été échangée. Vérifiez le nom du serveur et son certificat."},
    {Failure::kOtherConnect, "La connexion à la base de données a échoué",
     "Vérifiez la source de données, le serveur de base de données et le compte de connexion."},
    {Failure::kLost, "La connexion à la base de données a été perdue ou le serveur ne répond plus",
     kLostConnectionAdvice},
    {Failure::kPacketLimit, "Le serveur de base de données a refusé une valeur plus grande que sa limite "
     "max_allowed_packet", kPacketLimitAdvice},
};

}  // namespace

std::string DescribeDatabaseFailure(FailureStage stage, const std::vector<DriverDiagnostic>& records,
                                    std::string_view dataSourceName) {
  if (records.empty()) return {};
  const DriverDiagnostic& first = records.front();
  const Failure failure =
      stage == FailureStage::kConnecting ? ClassifyConnecting(first, dataSourceName) : ClassifyRunning(records);
  if (failure == Failure::kStatement) return first.message;
  const Wording& wording = *std::find_if(std::begin(kWordings), std::end(kWordings),
                                         [&](const Wording& candidate) { return candidate.failure == failure; });
  const std::string headline = failure == Failure::kUnknownDataSource
                                   ? "La source de données ODBC « " + std::string(dataSourceName) +
                                         " » est introuvable sur ce poste."
                                   : wording.headline + OfSource(dataSourceName) + ".";
  // What to check comes last, where the reader's eye ends.
  return headline + "\nDétail : " + first.message + "\n" + wording.check;
}

}  // namespace maj::db
