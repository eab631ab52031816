// The one way the program includes the Windows headers: without the min and
// max macros (std::min and std::max stay usable) and without the rarely used
// parts (WIN32_LEAN_AND_MEAN). A file that needs more includes it after this
// one (commctrl.h, shellapi.h).
#ifndef KESTROVA_IO_WINDOWS_H_
#define KESTROVA_IO_WINDOWS_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#endif  // KESTROVA_IO_WINDOWS_H_
