// The launcher's and the supervisor's words for the operator, with the names and reasons put in.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/Language.h"

namespace booth {

// The operator's half of `message`, each "{}" replaced by the next of `parts`.
std::string OperatorText(const plat::Bilingual& message,
                         std::initializer_list<std::string> parts = {});

}  // namespace booth
