#pragma once

#include "cli/Command.h"

namespace Cli {

// Every command, in the order --help lists their options.
const QList<Command>& commands();

} // namespace Cli
