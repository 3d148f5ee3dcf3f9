#pragma once

// The program's version, shown in the window's title bar and written to the access record.
#define MA_POSICIONES_VERSION "1.0"
// The name of its desktop entry, icon and AppStream component (share/applications/<this>.desktop).
#define MA_POSICIONES_ID_ESCRITORIO "org.maposiciones.MaPosiciones"
