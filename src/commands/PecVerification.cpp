#include "commands/PecVerification.h"

namespace kestrav::commands {}  // namespace kestrav::commands
