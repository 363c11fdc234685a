/* Helpers shared by the library's translation units (internal). */
#ifndef DCL_INTERNAL_H
#define DCL_INTERNAL_H

#include <stddef.h>
#include <stdint.h>

/* Callers pass a plain char buffer; the state structs want natural alignment. The work-area
 * sizes leave room for the few bytes this may skip. */
static inline void *dcl_align_work(char *work, size_t align) {
  uintptr_t p = (uintptr_t)work;
  return (void *)(work + ((align - (p % align)) % align));
}

#endif
