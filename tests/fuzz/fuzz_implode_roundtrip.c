/* Implode then explode must give back the input. The first byte chooses the literal mode
 * (bit 0), the dictionary (bits 1-2) and the pattern of read portion sizes (bits 3-7). Work areas
 * are exact-size heap blocks at odd addresses. */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "dcl.h"

typedef struct {
  const uint8_t *data;
  size_t size, pos;
  unsigned pattern, calls;
  uint8_t *out;
  size_t out_len, out_cap;
} pipe_state;

static unsigned int read_cb(char *buf, unsigned int *size, void *param) {
  pipe_state *p = param;
  unsigned int n = *size;
  if (p->pattern) {
    unsigned step = 1 + (p->pattern * 7 + p->calls * 13) % 31;
    n = step < n ? step : n;
  }
  p->calls++;
  if (n > p->size - p->pos) n = (unsigned int)(p->size - p->pos);
  memcpy(buf, p->data + p->pos, n);
  p->pos += n;
  return n;
}

static void write_cb(char *buf, unsigned int *size, void *param) {
  pipe_state *p = param;
  if (p->out_len + *size > p->out_cap) abort(); /* more output than any correct run can give */
  memcpy(p->out + p->out_len, buf, *size);
  p->out_len += *size;
}

static char *work_area(size_t size) {
  char *block = malloc(size + 1);
  if (!block) abort();
  return block;
}

int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  static const unsigned dicts[] = {1024, 2048, 4096, 4096};
  unsigned type = data[0] & 1, dict = dicts[(data[0] >> 1) & 3], pattern = data[0] >> 3;
  const uint8_t *input = data + 1;
  size_t n = size - 1;

  /* Worst case of the format: 14 bits per literal plus header, end marker and padding. */
  size_t packed_cap = 2 + (14 * n + 16) / 8 + 2;
  pipe_state enc = {input, n, 0, pattern, 0, malloc(packed_cap + 1), 0, packed_cap};
  char *work = work_area(DCL_IMPLODE_WORK_SIZE);
  if (dcl_implode(read_cb, write_cb, work + 1, &enc, &type, &dict) != DCL_OK) abort();
  free(work);
  /* Never worse than all literals. */
  size_t literal_bound = 2 + (((type ? 14 : 9) * n + 16) + 7) / 8 + (n == 0);
  if (enc.out_len > literal_bound) abort();

  pipe_state dec = {enc.out, enc.out_len, 0, pattern, 0, malloc(n + 1), 0, n};
  work = work_area(DCL_EXPLODE_WORK_SIZE);
  if (dcl_explode(read_cb, write_cb, work + 1, &dec) != DCL_OK) abort();
  free(work);
  if (dec.out_len != n || memcmp(dec.out, input, n) != 0) abort();
  free(enc.out);
  free(dec.out);
  return 0;
}
