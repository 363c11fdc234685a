/* Decompressor: reads the stream through the caller's callback in portions and hands the
 * output back in portions, keeping only the last 4 KB of output as history. */
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "dcl.h"
#include "dcl_internal.h"
#include "dcl_tables.h"

enum {
  IN_SIZE = 2048,
  HISTORY = 4096,         /* largest dictionary */
  FLUSH_AT = 2 * HISTORY, /* output is handed over and the window slid at this fill level */
  COPY_SLACK = 8,         /* wide copies may write up to 7 bytes past their end */
  WIN_SIZE = FLUSH_AT + DCL_MAX_LENGTH + COPY_SLACK,
  ASCII_LONG_ENTRIES = 256 /* second-level slots for text literals longer than 8 bits (202 used) */
};

/* Text-literal lookup entries. Direct: symbol in bits 0-7, code length in bits 8-11.
 * Link (bit 15): second-level offset in bits 0-11, index width in bits 12-14. */
#define ASCII_LINK 0x8000u

typedef struct {
  dcl_read_fn read;
  dcl_write_fn write;
  void *param;
  unsigned in_pos, in_len;
  int in_eof;
  unsigned done; /* window index up to which output has been handed over */
  uint8_t len_sym[128];
  uint8_t dist_sym[256];
  uint16_t ascii_short[256];
  uint16_t ascii_long[ASCII_LONG_ENTRIES];
  uint8_t in[IN_SIZE];
  uint8_t win[WIN_SIZE];
} explode_state;

_Static_assert(sizeof(explode_state) + _Alignof(explode_state) - 1 <= DCL_EXPLODE_WORK_SIZE,
               "explode state must fit the classic work area");

static void fill_lookup(uint8_t *table, unsigned width, const uint8_t *bits, const uint8_t *code,
                        unsigned symbols) {
  for (unsigned s = 0; s < symbols; s++)
    for (unsigned x = code[s]; x < (1u << width); x += 1u << bits[s]) table[x] = (uint8_t)s;
}

/* Text literals are up to 13 bits; a full table would not fit the work area, so the first 8 bits
 * select either the symbol or a small second-level table for the rest. */
static void build_ascii_lookup(explode_state *s) {
  uint8_t width[256] = {0};
  for (unsigned b = 0; b < 256; b++) {
    unsigned n = dcl_ascii_bits[b];
    if (n > 8) {
      unsigned prefix = dcl_ascii_code[b] & 0xFF;
      if (n - 8 > width[prefix]) width[prefix] = (uint8_t)(n - 8);
    }
  }
  unsigned next = 0;
  for (unsigned p = 0; p < 256; p++) {
    if (width[p]) {
      s->ascii_short[p] = (uint16_t)(ASCII_LINK | ((unsigned)width[p] << 12) | next);
      next += 1u << width[p];
    }
  }
  for (unsigned b = 0; b < 256; b++) {
    unsigned n = dcl_ascii_bits[b], code = dcl_ascii_code[b];
    uint16_t entry = (uint16_t)(b | (n << 8));
    if (n <= 8) {
      for (unsigned x = code; x < 256; x += 1u << n) s->ascii_short[x] = entry;
    } else {
      unsigned link = s->ascii_short[code & 0xFF];
      unsigned base = link & 0xFFF, w = (link >> 12) & 7;
      for (unsigned x = code >> 8; x < (1u << w); x += 1u << (n - 8))
        s->ascii_long[base + x] = entry;
    }
  }
}

static int fetch(explode_state *s) {
  if (s->in_eof) return 0;
  unsigned int size = IN_SIZE;
  unsigned int got = s->read((char *)s->in, &size, s->param);
  if (got == 0) {
    s->in_eof = 1;
    return 0;
  }
  s->in_pos = 0;
  s->in_len = got < IN_SIZE ? got : IN_SIZE; /* never trust a callback past our buffer */
  return 1;
}

static inline uint64_t load_le64(const uint8_t *p) {
  return (uint64_t)p[0] | (uint64_t)p[1] << 8 | (uint64_t)p[2] << 16 | (uint64_t)p[3] << 24 |
         (uint64_t)p[4] << 32 | (uint64_t)p[5] << 40 | (uint64_t)p[6] << 48 | (uint64_t)p[7] << 56;
}

/* Tops the bit buffer up to at least 56 bits, or as far as the input goes. Bits above *nbits may
 * hold the start of the next unconsumed byte; loading that byte again ORs in the same bits. */
static inline void refill(explode_state *s, uint64_t *acc, unsigned *nbits) {
  while (*nbits <= 56) {
    if (s->in_len - s->in_pos >= 8) {
      *acc |= load_le64(s->in + s->in_pos) << *nbits;
      s->in_pos += (63 - *nbits) >> 3;
      *nbits |= 56;
      return;
    }
    if (s->in_pos == s->in_len && !fetch(s)) return;
    *acc |= (uint64_t)s->in[s->in_pos++] << *nbits;
    *nbits += 8;
  }
}

static void deliver(explode_state *s, unsigned end) {
  unsigned int size = end - s->done;
  if (size) s->write((char *)s->win + s->done, &size, s->param);
  s->done = end;
}

static unsigned decode(explode_state *s, unsigned binary, unsigned dict_bits, uint64_t acc,
                       unsigned nbits) {
  uint8_t *const win = s->win;
  unsigned pos = 0;
  unsigned status;

  for (;;) {
    /* One token takes at most 30 bits (copy: 1 + 7 + 8 + 8 + 6). */
    if (nbits < 30) refill(s, &acc, &nbits);

    if (!(acc & 1)) {
      unsigned sym, used;
      if (binary) {
        sym = (unsigned)(acc >> 1) & 0xFF;
        used = 9;
      } else {
        unsigned e = s->ascii_short[(acc >> 1) & 0xFF];
        if (e & ASCII_LINK)
          e = s->ascii_long[(e & 0xFFF) + ((unsigned)(acc >> 9) & ((1u << ((e >> 12) & 7)) - 1))];
        sym = e & 0xFF;
        used = 1 + (e >> 8);
      }
      if (used > nbits) {
        status = DCL_ABORT;
        break;
      }
      acc >>= used;
      nbits -= used;
      win[pos++] = (uint8_t)sym;
    } else {
      unsigned li = s->len_sym[(acc >> 1) & 0x7F];
      unsigned used = 1 + dcl_len_bits[li];
      unsigned length =
          dcl_len_base[li] + ((unsigned)(acc >> used) & ((1u << dcl_len_extra[li]) - 1));
      used += dcl_len_extra[li];
      if (used > nbits) {
        status = DCL_ABORT;
        break;
      }
      acc >>= used;
      nbits -= used;
      if (length == DCL_END_LENGTH) {
        status = DCL_OK;
        break;
      }

      unsigned high = s->dist_sym[acc & 0xFF];
      unsigned low_bits = length == 2 ? 2 : dict_bits;
      used = dcl_dist_bits[high];
      unsigned dist = ((high << low_bits) | ((unsigned)(acc >> used) & ((1u << low_bits) - 1))) + 1;
      used += low_bits;
      if (used > nbits) {
        status = DCL_ABORT;
        break;
      }
      acc >>= used;
      nbits -= used;
      /* Before the first slide pos counts every byte produced; after it, pos >= 4096. */
      if (dist > pos) {
        status = DCL_BAD_DATA;
        break;
      }

      uint8_t *d = win + pos;
      const uint8_t *src = d - dist;
      pos += length;
      if (dist >= 8) {
        /* Each 8-byte step reads only bytes already final, so overlap is handled. */
        uint8_t *end = d + length;
        do {
          memcpy(d, src, 8);
          d += 8;
          src += 8;
        } while (d < end);
      } else if (dist == 1) {
        memset(d, *src, length);
      } else {
        for (unsigned i = 0; i < length; i++) d[i] = src[i];
      }
    }

    if (pos >= FLUSH_AT) {
      deliver(s, pos);
      memmove(win, win + pos - HISTORY, HISTORY);
      pos = HISTORY;
      s->done = HISTORY;
    }
  }

  /* Whatever was decoded, also before a fault, goes to the caller. */
  deliver(s, pos);
  return status;
}

unsigned int DCL_CDECL dcl_explode(dcl_read_fn read_buf, dcl_write_fn write_buf, char *work_buf,
                                   void *param) {
  if (read_buf == NULL || write_buf == NULL || work_buf == NULL) return DCL_ABORT;

  explode_state *s = (explode_state *)dcl_align_work(work_buf, _Alignof(explode_state));
  s->read = read_buf;
  s->write = write_buf;
  s->param = param;
  s->in_pos = s->in_len = 0;
  s->in_eof = 0;
  s->done = 0;

  uint64_t acc = 0;
  unsigned nbits = 0;
  refill(s, &acc, &nbits);
  if (nbits < 16) return DCL_BAD_DATA;
  unsigned mode = (unsigned)acc & 0xFF;
  unsigned dict = (unsigned)(acc >> 8) & 0xFF;
  acc >>= 16;
  nbits -= 16;
  /* Dictionary first: that is the order classic callers see when both bytes are wrong. */
  if (dict < 4 || dict > 6) return DCL_INVALID_DICTSIZE;
  if (mode > 1) return DCL_INVALID_MODE;

  fill_lookup(s->len_sym, 7, dcl_len_bits, dcl_len_code, DCL_LEN_SYMBOLS);
  fill_lookup(s->dist_sym, 8, dcl_dist_bits, dcl_dist_code, DCL_DIST_SYMBOLS);
  if (mode == DCL_ASCII) build_ascii_lookup(s);

  return decode(s, mode == DCL_BINARY, dict, acc, nbits);
}
