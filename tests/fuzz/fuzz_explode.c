/* Arbitrary bytes into explode. The first byte picks a pattern of read portion sizes; the rest is
 * the stream. Each input is decoded twice, once in full-size reads and once in the patterned
 * portions, and both runs must agree on status, output length and output CRC. The work area is
 * an exact-size heap block at an odd address, so any overrun or alignment assumption shows. */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "dcl.h"

#define OUTPUT_CAP (64u << 20) /* stop hashing absurd outputs; their length still counts */

typedef struct {
  const uint8_t *data;
  size_t size, pos;
  unsigned pattern, calls;
  uint64_t out_len;
  unsigned long crc;
} run;

static unsigned int portion(run *r, unsigned int want) {
  static const unsigned sizes[] = {1, 2, 3, 5, 7, 11, 13, 1, 4096};
  unsigned n;
  if (r->pattern == 0)
    n = want;
  else
    n = sizes[(r->pattern + r->calls) % (sizeof sizes / sizeof sizes[0])];
  r->calls++;
  return n < want ? n : want;
}

static unsigned int read_cb(char *buf, unsigned int *size, void *param) {
  run *r = param;
  unsigned int n = portion(r, *size);
  if (n > r->size - r->pos) n = (unsigned int)(r->size - r->pos);
  memcpy(buf, r->data + r->pos, n);
  r->pos += n;
  return n;
}

static void write_cb(char *buf, unsigned int *size, void *param) {
  run *r = param;
  if (*size == 0 || *size > 0x10000) abort(); /* portions are small and never empty */
  if (r->out_len < OUTPUT_CAP) r->crc = dcl_crc32(buf, size, &r->crc);
  r->out_len += *size;
}

static unsigned decode(const uint8_t *data, size_t size, unsigned pattern, run *r) {
  memset(r, 0, sizeof *r);
  r->data = data;
  r->size = size;
  r->pattern = pattern;
  r->crc = 0xFFFFFFFFul;
  char *block = malloc(DCL_EXPLODE_WORK_SIZE + 1);
  if (!block) abort();
  unsigned rc = dcl_explode(read_cb, write_cb, block + 1, r);
  free(block);
  return rc;
}

int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  unsigned pattern = data[0] % 9u;
  run whole, pieces;
  unsigned a = decode(data + 1, size - 1, 0, &whole);
  unsigned b = decode(data + 1, size - 1, pattern ? pattern : 1, &pieces);
  if (a > DCL_ABORT || a != b || whole.out_len != pieces.out_len || whole.crc != pieces.crc)
    abort();
  return 0;
}
