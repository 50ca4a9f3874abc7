#include "core/modGlobalDefinitions.h"

namespace modGlobalDefinitions {
HWND hWndWinamp = nullptr;
int16_t HotKeyId = 0;
}
