#pragma once

// The program's version, shown in the window's title bar and written to the access record.
#define MA_POSICIONES_VERSION "1.0"
