#include "host_state.h"

HINSTANCE moduleInstance = nullptr;
LONG previewFlag = 0;
LONG closingFlag = 0;
LONG verifyingFlag = 0;
