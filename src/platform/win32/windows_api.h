// <windows.h> for the backend. The platform interfaces have members named DeleteFile and
// CopyFile, which the header would rename to their A/W forms; the backend always calls the wide
// functions by their full names, so the two macros go.
#pragma once

#include <windows.h>

#undef DeleteFile
#undef CopyFile
