#include "icon_art.h"

#include <iterator>

namespace icon {
namespace {

// '.' transparent, 'R' red, 'r' dark red (shade on the right and below),
// 'W' white (highlight).
const char *const kLarge[] = {
    "RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR", "RRWWWRRRRRRRRRRRRRRRRWWWRRRRRRRR",
    "RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR", "RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR",
    "RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR", "rRRRRrrrRRRRRrrrRRRRrrrRRRRrrRRr",
    ".rRRr...rRRRr...rRRr...rRRr..rr.", "..Rr.....Rr......Rr.....Rr...Rr.",
    "..Rr.....Rr.....RRRr....Rr...Rr.", "..Rr.....Rr.....RWRr....Rr...Rr.",
    "..Rr.....Rr...R.rRrr....Rr...Rr.", ".RRRr....Rr..Rr..rr.....Rr...Rr.",
    ".RWRr....Rr.RRRr........Rr...Rr.", ".rRrr....Rr.RWRr..R.....Rr..RRRr",
    "..rr.....Rr.rRrr.Rr.....Rr..RWRr", ".........Rr..rr.RRRr....Rr..rRrr",
    ".........Rr.....RWRr....Rr...rr.", "...R.....Rr.....rRrr....Rr......",
    "..Rr.....Rr......rr.....Rr......", ".RRRr...RRRr............Rr......",
    ".RWRr...RWRr............Rr....R.", ".rRrr...rRrr............Rr...Rr.",
    "..rr.....rr.............Rr..RRRr", "........................Rr..RWRr",
    ".......................RRRr.rRrr", "..........R............RWRr..rr.",
    ".........Rr............rRrr.....", "........RRRr............rr......",
    "........RWRr....................", "........rRrr.............R......",
    ".........rr.............Rr......", ".......................RRRr.....",
};

const char *const kSmall[] = {
    "RWWRRRRRRRWWRRRR", "RRRRRRRRRRRRRRRR", "rRRrrRRRrrrRRRrr",
    ".rr..rRr...rRr..", ".R....R.....R...", "RRr...R.....R...",
    "rRr...R....RRr..", ".r....R....rRr..", "......R.....r...",
    ".R...RRr........", ".RR..rRr....R...", ".rr...r.....RR..",
    "............rr..", "......R.........", "......RR........",
    "......rr........",
};

} // namespace

const Art largeArt{kLarge, static_cast<int>(std::size(kLarge))};
const Art smallArt{kSmall, static_cast<int>(std::size(kSmall))};

} // namespace icon
