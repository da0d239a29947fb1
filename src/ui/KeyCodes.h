#pragma once
// The key codes live beside InputEvent in the platform layer; this name stays
// for the code written against it.
#include "platform/KeyCodes.h"
