// A source of the lowest rung that breaks the ladder: it includes a header of the rung
// above and one that belongs to no library.
#include "high/High.h"
#include "low/Stray.h"
