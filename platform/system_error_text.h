#pragma once
// System failures described for the user, in French.
#include <string>

namespace maj::platform {

// The French description of the system error number `error` (an errno value): "Espace disque insuffisant",
// "Accès refusé"...; for a number without a French text, the system's own text and the number.
std::string SystemErrorText(int error);

}  // namespace maj::platform
