// Drawing on the selection and the capture's results: every shape drawn and undone, mosaic
// blocks, the clipboard hand-over with its one notification, saving by extension with the
// remembered folder, a failed save that keeps the capture, and each tool's stored choices.
#include "capture/window/capturetestkit.h"
