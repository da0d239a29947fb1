#include "ui/ColourScheme.h"

// Constant-initialised, so windows created during static construction see it too.
ColourTable ColourScheme = ColourTable::Defaults();
