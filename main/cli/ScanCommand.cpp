// kestova-cli scan: the photos a wall would include.
#include "cli/Commands.h"

int scanCommand(const std::vector<std::string>&) { return 0; }
