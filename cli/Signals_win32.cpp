#include "Signals.h"

void ignorewritesignals() {}
