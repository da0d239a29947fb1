#pragma once
// The engine speaks the wire contract: its statuses, operation codes, modes
// and limits are those of engine/Contract.h, under the engine's namespace.

#include "engine/Contract.h"

namespace qdx::engine {

using namespace qdx::wire;

}  // namespace qdx::engine
