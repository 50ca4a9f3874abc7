#include "modDirhoardEx.h"

namespace modDirhoardEx {
void ShowFolderBrowser() {}
}
