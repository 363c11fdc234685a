// The installer's message box: a modal dialog of the standard dialog class built from an
// in-memory template, with any number of buttons (the system's boxes have no single-Abort kind).
#pragma once

#include "platform/toolkit.h"

namespace ssi::win32 {

class Win32Toolkit;

// Shows the box, owned by the process's active window if there is one, and returns the index of
// the pressed button. Closing the box otherwise (close box, Escape) gives -1, whatever the number
// of buttons: the caller decides what a box closed without an answer means.
int RunMessageBox(Win32Toolkit& toolkit, const MessageBoxRequest& request);

}  // namespace ssi::win32
