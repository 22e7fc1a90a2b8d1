#pragma once

// Resources of glimter.dll (glimter.rc).
#define IDC_CAPTURE_CROSS 1015  // crosshair cursor
#define IDS_LABEL_FONT 1007     // face name of the size label's font
#define IDS_SAVE_FILTER 1008    // save dialog filter, '|' separated
#define IDS_SAVE_FAILED 1009    // told when a picture could not be written
#define IDS_CLIPBOARD_FAILED 1010  // told when the clipboard did not take the picture
