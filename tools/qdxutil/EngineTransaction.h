#pragma once
// qdxutil uses the program's engine transaction.

#include "btrieve/EngineTransaction.h"

namespace qdxutil {
using ::EngineTransaction;
}  // namespace qdxutil
