#include "app/command_line_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string_view>

#include "platform/paths.h"

namespace maj::app {
namespace {

// Which action an option asks for, or belongs to.
struct OptionSpec {
  QStringList names;
  QString valueName;   // empty: a flag
  QString shownValue;  // what the help shows after the names (the value, or the arguments an action takes)
  QString description;
  std::optional<CommandLineAction> action;    // set: the option asks for this action
  std::optional<CommandLineAction> onlyWith;  // set: the option is allowed with this action only
};

// `--version` is the program's version, except beside --publish where it gives the published version.
const std::vector<OptionSpec>& OptionSpecs(bool publishing) {
  using A = CommandLineAction;
  static const std::vector<OptionSpec> common = {
      {{"h", "help"}, {}, {}, "Affiche cette aide.", A::Help, {}},
      {{"unattended"},
       {},
       {},
       "Met à jour sans fenêtre : chaque texte d'état est écrit sur une ligne horodatée de la sortie standard, "
       "les erreurs sur la sortie d'erreur.",
       A::Unattended,
       {}},
      {{"wait-limit"},
       "SECONDES",
       "SECONDES",
       "Avec --unattended : abandonne sans rien modifier (code 4) si Proscenia est encore lancé après ce nombre "
       "de secondes d'attente (sans cette option, l'attente n'a pas de limite).",
       {},
       A::Unattended},
      {{"check"},
       {},
       {},
       "Vérifie seulement : écrit les paquets conditionnels manquants et les fichiers qui seraient récupérés, "
       "avec leurs versions installée et publiée, sans rien écrire ni installer.",
       A::Check,
       {}},
      {{"json"}, {}, {}, "Avec --check : écrit le résultat en un seul document JSON.", {}, A::Check},
      {{"publish"},
       {},
       "FICHIER...",
       "Envoie les fichiers sur le serveur comme le panneau d'envoi. Sans --register, --regasm ni --codebase, "
       "les cases cochées sont celles que le panneau choisit d'après le nom de chaque fichier.",
       A::Publish,
       {}},
      {{"windows"},
       "LISTE",
       "LISTE",
       "Avec --publish : versions de Windows cochées, séparées par des virgules : 9X, ME, NT, XP, 2K, 2K3, "
       "Vista, Win7, Win8 ou all (par défaut toutes).",
       {},
       A::Publish},
      {{"register"}, {}, {}, "Avec --publish : coche Register (inscription du composant).", {}, A::Publish},
      {{"regasm"}, {}, {}, "Avec --publish : coche RegAsm (inscription de l'assemblage .NET).", {}, A::Publish},
      {{"codebase"}, {}, {}, "Avec --publish : coche Codebase (inscription avec son emplacement).", {}, A::Publish},
      {{"generate-key"},
       "FICHIER",
       "FICHIER",
       "Écrit une nouvelle clé privée de signature dans FICHIER (droits 0600, jamais par-dessus un fichier) et "
       "affiche sa clé publique, à placer dans les fichiers trusted-keys des postes.",
       A::GenerateKey,
       {}},
      {{"sign"},
       "NOM",
       "NOM",
       "Signe la version déjà stockée de NOM donnée par --version (un paquet conditionnel ajouté par un autre "
       "outil), avec la clé de --signing-key.",
       A::Sign,
       {}},
      {{"signing-key"},
       "FICHIER",
       "FICHIER",
       "Avec --publish ou --sign : clé privée qui signe les publications (sinon MAJ_SIGNING_KEY ou la clé "
       "cleSignature de la section [MAJ] du fichier de paramètres).",
       {},
       A::Publish},
      // Valid with every action and alone (the window); TakeInstallationOption reads it before the others.
      {{"installation"},
       "DOSSIER",
       "DOSSIER",
       "Dossier d'installation de Proscenia sur lequel travailler, avec chaque action comme pour la fenêtre. "
       "Sans cette option : la variable d'environnement MAJ_INSTALLATION_DIR quand elle est définie, sinon le "
       "dossier du programme maj.",
       {},
       {}},
  };
  static const std::vector<OptionSpec> withProgramVersion = [] {
    std::vector<OptionSpec> specs = common;
    specs.insert(specs.begin() + 1, {{"v", "version"}, {}, {}, "Affiche la version de maj.", A::Version, {}});
    return specs;
  }();
  static const std::vector<OptionSpec> withPublishedVersion = [] {
    std::vector<OptionSpec> specs = common;
    specs.push_back({{"version"},
                     "V",
                     "V",
                     "Avec --publish : version publiée (sinon celle lue dans chaque fichier).",
                     {},
                     A::Publish});
    return specs;
  }();
  return publishing ? withPublishedVersion : withProgramVersion;
}

// Options are read up to "--"; after it every argument is a file name.
bool AsksToPublish(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size() && arguments[i] != "--"; ++i) {
    if (arguments[i] == "--publish" || arguments[i] == "--sign") return true;
  }
  return false;
}

QString Dashed(const QString& name) { return (name.size() == 1 ? "-" : "--") + name; }

// The parser's own texts are English; the program speaks French.
UsageError ParserError(const QCommandLineParser& parser) {
  const QStringList unknown = parser.unknownOptionNames();
  if (!unknown.isEmpty()) return {("Option inconnue : " + Dashed(unknown.front())).toStdString()};
  const QString text = parser.errorText();
  const QRegularExpressionMatch quoted = QRegularExpression("'([^']*)'").match(text);
  const QString option = quoted.hasMatch() ? quoted.captured(1) : QString();
  if (text.startsWith("Missing value")) return {("Valeur manquante après " + option).toStdString()};
  if (text.startsWith("Unexpected value")) return {("Valeur inattendue après " + option).toStdString()};
  return {("Ligne de commande incorrecte : " + text).toStdString()};
}

UsageError Misuse(const QString& text) { return {text.toStdString()}; }

constexpr int kHelpIndent = 26;
constexpr int kHelpWidth = 110;

// `start` followed by the words of `text`, in lines of at most kHelpWidth characters, the next ones indented
// by `indent`.
QString Wrapped(QString start, const QString& text, int indent) {
  QString wrapped;
  QString line = std::move(start);
  for (const QString& word : text.split(' ')) {
    if (!line.trimmed().isEmpty() && line.size() + 1 + word.size() > kHelpWidth) {
      wrapped += line + "\n";
      line = QString(indent, ' ');
    }
    line += (line.isEmpty() ? "" : " ") + word;
  }
  return wrapped + line + "\n";
}

}  // namespace

std::variant<CommandLineRequest, UsageError> ParseCommandLine(const std::vector<std::string>& arguments) {
  QStringList list;
  for (const std::string& argument : arguments) list << QString::fromLocal8Bit(argument);
  const bool publishing = AsksToPublish(list);
  const std::vector<OptionSpec>& specs = OptionSpecs(publishing);

  QCommandLineParser parser;
  for (const OptionSpec& spec : specs)
    parser.addOption(QCommandLineOption(spec.names, spec.description, spec.valueName));
  if (!parser.parse(list)) return ParserError(parser);

  std::vector<CommandLineAction> actions;
  for (const OptionSpec& spec : specs) {
    if (spec.action && parser.isSet(spec.names.back())) actions.push_back(*spec.action);
  }
  if (actions.size() > 1) {
    return Misuse("Une seule action à la fois : --unattended, --check, --publish, --generate-key, --sign, --help ou --version.");
  }
  for (const OptionSpec& spec : specs) {
    if (!spec.onlyWith || !parser.isSet(spec.names.back())) continue;
    if (!actions.empty() && actions.front() == *spec.onlyWith) continue;
    // The published version and the signing key also name what --sign signs.
    if (!actions.empty() && actions.front() == CommandLineAction::Sign &&
        (spec.names.back() == "version" || spec.names.back() == "signing-key")) {
      continue;
    }
    const auto owner =
        std::find_if(specs.begin(), specs.end(), [&](const OptionSpec& s) { return s.action == spec.onlyWith; });
    return Misuse("L'option --" + spec.names.back() + " ne s'emploie qu'avec --" + owner->names.back() + ".");
  }
  if (actions.empty()) {
    return Misuse("Aucune action demandée : indiquez --unattended, --check, --publish, --generate-key, --sign, --help ou --version.");
  }
  CommandLineRequest request;
  request.action = actions.front();

  const QStringList files = parser.positionalArguments();
  if (request.action != CommandLineAction::Publish && !files.isEmpty()) {
    return Misuse("Argument inattendu : " + files.front());
  }
  if (parser.isSet("wait-limit")) {
    bool ok = false;
    const int seconds = parser.value("wait-limit").toInt(&ok);
    if (!ok || seconds < 0) {
      return Misuse("--wait-limit attend un nombre de secondes, pas « " + parser.value("wait-limit") + " ».");
    }
    request.waitLimitSeconds = seconds;
  }
  request.json = parser.isSet("json");
  if (parser.isSet("signing-key")) request.publish.signingKey = parser.value("signing-key").toStdString();
  if (request.action == CommandLineAction::GenerateKey) request.keyFile = parser.value("generate-key").toStdString();
  if (request.action == CommandLineAction::Sign) {
    request.signName = parser.value("sign").toStdString();
    if (!parser.isSet("version")) return Misuse("--sign demande la version stockée, avec --version.");
    request.publish.version = parser.value("version").toStdString();
  }
  if (request.action != CommandLineAction::Publish) return request;

  if (files.isEmpty()) return Misuse("--publish demande au moins un fichier.");
  for (const QString& file : files) request.publish.files.push_back(file.toStdString());
  if (parser.isSet("windows")) {
    request.publish.windows = ParseWindowsList(parser.value("windows").toStdString());
    if (!request.publish.windows) {
      return Misuse(
          "--windows attend des noms parmi 9X, ME, NT, XP, 2K, 2K3, Vista, Win7, Win8 ou all, "
          "séparés par des virgules, pas « " +
          parser.value("windows") + " ».");
    }
  }
  if (parser.isSet("register") || parser.isSet("regasm") || parser.isSet("codebase")) {
    request.publish.ticks =
        PublishingPreset{parser.isSet("register"), parser.isSet("regasm"), parser.isSet("codebase")};
  }
  if (parser.isSet("version")) {
    const std::string version = parser.value("version").toStdString();
    if (const std::optional<std::string> error = session::VersionError(version)) return UsageError{*error};
    request.publish.version = version;
  }
  return request;
}

std::optional<UsageError> TakeInstallationOption(std::vector<std::string>& arguments) {
  static constexpr std::string_view kOption = "--installation";
  std::optional<std::string> folder;
  for (std::size_t i = 1; i < arguments.size() && arguments[i] != "--";) {
    const std::string& argument = arguments[i];
    std::size_t taken = 0;
    std::string value;
    if (argument == kOption) {
      if (i + 1 >= arguments.size()) return UsageError{"Valeur manquante après --installation"};
      value = arguments[i + 1];
      taken = 2;
    } else if (argument.starts_with(std::string(kOption) + "=")) {
      value = argument.substr(kOption.size() + 1);
      taken = 1;
    } else {
      ++i;
      continue;
    }
    if (folder) return UsageError{"L'option --installation ne peut être donnée qu'une fois."};
    if (value.empty()) return UsageError{"Valeur manquante après --installation"};
    folder = value;
    arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i),
                    arguments.begin() + static_cast<std::ptrdiff_t>(i + taken));
  }
  if (!folder) return std::nullopt;
  const std::string before = platform::ApplicationFolder();
  platform::SetApplicationFolder(*folder);
  if (!std::filesystem::is_directory(platform::ApplicationFolder())) {
    platform::SetApplicationFolder(before);
    return UsageError{"Dossier d'installation introuvable : " + *folder};
  }
  return std::nullopt;
}

std::string CommandLineHelp() {
  QString text =
      "Utilisation : maj [option...]\n"
      "Mise à jour de Proscenia. Sans option, maj ouvre sa fenêtre.\n\nOptions :\n";
  std::vector<OptionSpec> specs = OptionSpecs(false);
  specs.push_back(OptionSpecs(true).back());
  for (const OptionSpec& spec : specs) {
    QStringList names;
    for (const QString& name : spec.names) names << Dashed(name);
    QString line = "  " + names.join(", ");
    if (!spec.shownValue.isEmpty()) line += " " + spec.shownValue;
    text += Wrapped(line.leftJustified(kHelpIndent), spec.description, kHelpIndent);
  }
  text += "\n" + Wrapped({},
                         "Codes de sortie : 0 terminé ; 1 échec (description écrite sur la sortie d'erreur) ; 2 ligne "
                         "de commande incorrecte, rien n'est fait ; 3 terminé, redémarrage nécessaire ; 4 Proscenia "
                         "encore lancé à la fin de l'attente ; 5 version publiée refusée (signature absente, non reconnue ou "
                         "ne correspondant pas, --unattended) ; 10 mises à jour en attente (--check).",
                         0);
  return text.toStdString();
}

}  // namespace maj::app
