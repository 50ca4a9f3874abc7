#pragma once
// What a screen reader is told of a window of ours beyond its text: a name for a control whose
// text names nothing, and a line whose changes it speaks when told to. Through the platform's
// dynamic annotation (IAccPropServices); where that is missing or refuses (Windows before 10 for
// the live region; Wine's is a stub), the call fails and nothing else changes. COM must be
// started on the calling thread. The window's own thread only.
#include <windows.h>
#include <oleacc.h>

namespace Accessible {
// Names `control`, as a label before it would on the platform.
HRESULT SetName(HWND control, const wchar_t *name);
// Makes `control` a polite live region: what it says is spoken once the speech in progress is
// over, and only when LiveRegionChanged asks for it.
HRESULT MakePoliteLiveRegion(HWND control);
// Asks a screen reader to speak the live region `control` now: it reads the control's text.
void LiveRegionChanged(HWND control);
// What SetName and MakePoliteLiveRegion set on `control`, taken back before it is destroyed.
void Forget(HWND control);

// The annotation service the calls above use: the platform's when null. Tests put theirs here,
// as Wine's shows nothing of what it is told.
void UseServices(IAccPropServices *services);
}
