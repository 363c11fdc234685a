/* Compressor. The codes are fixed, so the exact bit cost of every literal and copy is known in
 * advance; each block of input is parsed by a shortest-path search over the copies that hash
 * chains find, which picks the cheapest encoding among them (the constants below trade a little
 * of that for speed). */
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "dcl.h"
#include "dcl_internal.h"
#include "dcl_tables.h"

enum {
  DICT_MAX = 4096,
  BLOCK = 1024,   /* positions parsed together */
  MAX_COPY = 516, /* classic decoders never see longer copies; stay within what they expect */
  LOOKAHEAD = DCL_MAX_LENGTH,
  WIN_SIZE = DICT_MAX + BLOCK + LOOKAHEAD,
  HASH3_BITS = 12,
  HASH2_BITS = 10,
  NEAR2 = 256, /* length-2 copies reach back at most this far */
  OUT_SIZE = 512,
  MAX_CHAIN = 48,   /* candidates examined per position */
  NICE_LENGTH = 32, /* a copy at least this long is taken as found, without weighing others */
  RELAX_ALL = 15,   /* copy lengths up to this are all weighed; longer ones per length code */
  COVER_MIN = 4,    /* positions at least this far inside a found copy are not searched */
  SWEEP_EVERY = 0x4000,
  STALE_AGE = 0x8000
};

/* Hash and chain entries hold positions modulo 65536; an entry is live while its age
 * (current position minus entry, modulo 65536) is within the dictionary. A periodic sweep
 * re-marks entries that went stale, before their age could wrap around to look young. */
typedef struct {
  dcl_read_fn read;
  dcl_write_fn write;
  void *param;
  uint64_t bits;
  unsigned nbits, out_len;
  unsigned binary, dict_bits, dict_size;
  uint32_t base; /* stream position of win[0] */
  uint32_t end;  /* stream position just past the data in win */
  uint32_t next_sweep;
  int eof;
  uint16_t head3[1u << HASH3_BITS];
  uint16_t prev3[DICT_MAX];
  uint16_t head2[1u << HASH2_BITS];
  uint16_t prev2[NEAR2];
  uint32_t price[BLOCK + 1]; /* bits to reach a block offset; reused for the chosen tokens */
  uint32_t step[BLOCK + 1];  /* last token on the cheapest way there: length | distance << 10 */
  uint8_t len_cost[DCL_MAX_LENGTH + 1]; /* bits of flag and length code for each copy length */
  uint8_t out[OUT_SIZE];
  uint8_t win[WIN_SIZE];
} implode_state;

_Static_assert(sizeof(implode_state) + _Alignof(implode_state) - 1 <= DCL_IMPLODE_WORK_SIZE,
               "implode state must fit the classic work area");

#define TOKEN(len, dist) ((uint32_t)(len) | (uint32_t)(dist) << 10)
#define TOKEN_LEN(t) ((t)&0x3FFu)
#define TOKEN_DIST(t) ((t) >> 10)

static unsigned length_index(unsigned len) {
  if (len < 10) return len - 2;
  unsigned li = 7;
  for (unsigned v = len - 8; v > 1; v >>= 1) li++;
  return li;
}

static inline unsigned hash3(const uint8_t *p) {
  uint32_t v = (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16;
  return (v * 2654435761u) >> (32 - HASH3_BITS);
}

static inline unsigned hash2(const uint8_t *p) {
  uint32_t v = (uint32_t)p[0] | (uint32_t)p[1] << 8;
  return (v * 2654435761u) >> (32 - HASH2_BITS);
}

static void put_bits(implode_state *s, unsigned n, unsigned value) {
  s->bits |= (uint64_t)value << s->nbits;
  s->nbits += n;
}

static void drain(implode_state *s, int final) {
  while (s->nbits >= 8) {
    s->out[s->out_len++] = (uint8_t)s->bits;
    s->bits >>= 8;
    s->nbits -= 8;
  }
  if (final && s->nbits) {
    s->out[s->out_len++] = (uint8_t)s->bits; /* padding bits are zero */
    s->bits = 0;
    s->nbits = 0;
  }
  if (s->out_len > OUT_SIZE - 8 || (final && s->out_len)) {
    unsigned int size = s->out_len;
    s->write((char *)s->out, &size, s->param);
    s->out_len = 0;
  }
}

static void emit_literal(implode_state *s, unsigned byte) {
  if (s->binary)
    put_bits(s, 9, byte << 1);
  else
    put_bits(s, 1 + dcl_ascii_bits[byte], (unsigned)dcl_ascii_code[byte] << 1);
  drain(s, 0);
}

static void emit_copy(implode_state *s, unsigned len, unsigned dist) {
  unsigned li = length_index(len);
  put_bits(s, 1, 1);
  put_bits(s, dcl_len_bits[li], dcl_len_code[li]);
  put_bits(s, dcl_len_extra[li], len - dcl_len_base[li]);
  unsigned low_bits = len == 2 ? 2 : s->dict_bits;
  unsigned high = (dist - 1) >> low_bits;
  put_bits(s, dcl_dist_bits[high], dcl_dist_code[high]);
  put_bits(s, low_bits, (dist - 1) & ((1u << low_bits) - 1));
  drain(s, 0);
}

static unsigned literal_cost(const implode_state *s, unsigned byte) {
  return s->binary ? 9 : 1u + dcl_ascii_bits[byte];
}

static void sweep(uint16_t *table, unsigned count, uint32_t now) {
  uint16_t stale = (uint16_t)(now - STALE_AGE);
  for (unsigned i = 0; i < count; i++)
    if ((uint16_t)(now - table[i]) > DICT_MAX) table[i] = stale;
}

/* Adds stream position pos to the chains; must run for every position in order. */
static void insert(implode_state *s, uint32_t pos) {
  if (pos == s->next_sweep) {
    sweep(s->head3, 1u << HASH3_BITS, pos);
    sweep(s->prev3, DICT_MAX, pos);
    sweep(s->head2, 1u << HASH2_BITS, pos);
    sweep(s->prev2, NEAR2, pos);
    s->next_sweep += SWEEP_EVERY;
  }
  const uint8_t *p = s->win + (pos - s->base);
  uint32_t left = s->end - pos;
  if (left >= 2) {
    unsigned h = hash2(p);
    s->prev2[pos % NEAR2] = s->head2[h];
    s->head2[h] = (uint16_t)pos;
  }
  if (left >= 3) {
    unsigned h = hash3(p);
    s->prev3[pos % DICT_MAX] = s->head3[h];
    s->head3[h] = (uint16_t)pos;
  }
}

typedef struct {
  unsigned len, dist;
} match;

static inline uint64_t load64(const uint8_t *p) {
  uint64_t v;
  memcpy(&v, p, sizeof v);
  return v;
}

static inline unsigned match_length(const uint8_t *a, const uint8_t *b, unsigned limit) {
  unsigned n = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  /* Eight bytes at a time; the lowest differing byte is the first mismatch. */
  while (n + 8 <= limit) {
    uint64_t diff = load64(a + n) ^ load64(b + n);
    if (diff) return n + (unsigned)(__builtin_ctzll(diff) >> 3);
    n += 8;
  }
#endif
  while (n < limit && a[n] == b[n]) n++;
  return n;
}

/* Finds, before inserting pos, the copies of length 3 or more that are longer than every nearer
 * one, in order of growing length, and a near length-2 copy (*near2, 0 if none). */
static unsigned find_matches(implode_state *s, uint32_t pos, unsigned limit, unsigned max_chain,
                             unsigned *near2, match *found) {
  const uint8_t *p = s->win + (pos - s->base);
  unsigned count = 0;
  *near2 = 0;

  if (limit >= 3) {
    unsigned best = 2, last_age = 0;
    uint16_t cand = s->head3[hash3(p)];
    for (unsigned tries = 0; tries < max_chain; tries++) {
      unsigned age = (uint16_t)(pos - cand);
      if (age <= last_age || age > s->dict_size) break;
      const uint8_t *q = p - age;
      if (q[best] == p[best] && q[0] == p[0]) {
        unsigned len = match_length(q, p, limit);
        if (len > best) {
          found[count].len = len;
          found[count].dist = age;
          count++;
          best = len;
          if (len >= NICE_LENGTH || len == limit) break;
        }
      }
      last_age = age;
      cand = s->prev3[cand % DICT_MAX];
    }
  }

  if (limit >= 2) {
    /* The nearest longer copy serves for length 2 as well when it is near enough. */
    if (count && found[0].dist <= NEAR2) {
      *near2 = found[0].dist;
      return count;
    }
    unsigned last_age = 0;
    uint16_t cand = s->head2[hash2(p)];
    for (unsigned tries = 0; tries < 8; tries++) {
      unsigned age = (uint16_t)(pos - cand);
      if (age <= last_age || age > NEAR2) break;
      const uint8_t *q = p - age;
      if (q[0] == p[0] && q[1] == p[1]) {
        *near2 = age;
        break;
      }
      last_age = age;
      cand = s->prev2[cand % NEAR2];
    }
  }
  return count;
}

static void relax(implode_state *s, unsigned from, unsigned to, unsigned cost, uint32_t token) {
  uint32_t c = s->price[from] + cost;
  if (c < s->price[to]) {
    s->price[to] = c;
    s->step[to] = token;
  }
}

/* Emits the cheapest tokens that reach block offset `upto` from the block start at `start`. */
static void emit_path(implode_state *s, uint32_t start, unsigned upto) {
  unsigned first = upto;
  for (unsigned j = upto; j > 0; j -= TOKEN_LEN(s->step[j])) s->price[--first] = s->step[j];
  const uint8_t *p = s->win + (start - s->base);
  for (unsigned i = first; i < upto; i++) {
    uint32_t t = s->price[i];
    unsigned len = TOKEN_LEN(t);
    if (len == 1)
      emit_literal(s, *p);
    else
      emit_copy(s, len, TOKEN_DIST(t));
    p += len;
  }
}

/* Parses up to BLOCK positions from `start`; returns how many input bytes were encoded. */
static unsigned parse_block(implode_state *s, uint32_t start) {
  unsigned n = s->end - start < BLOCK ? s->end - start : BLOCK;
  match found[MAX_CHAIN + 1];
  unsigned cover_end = 0, cover_dist = 0;

  s->price[0] = 0;
  for (unsigned i = 1; i <= n; i++) s->price[i] = UINT32_MAX;

  for (unsigned i = 0; i < n; i++) {
    uint32_t pos = start + i;
    const uint8_t *p = s->win + (pos - s->base);
    uint32_t left = s->end - pos;
    unsigned limit = left < MAX_COPY ? left : MAX_COPY;
    unsigned near2;
    /* Well inside a copy found earlier its continuation is known and a better candidate is
     * rare: skip the search there. */
    int covered = i + COVER_MIN <= cover_end;
    unsigned count = find_matches(s, pos, limit, covered ? 0 : MAX_CHAIN, &near2, found);
    insert(s, pos);
    if (covered) {
      unsigned rest = cover_end - i < limit ? cover_end - i : limit;
      if (!count || found[count - 1].len < rest) {
        found[count].len = rest;
        found[count].dist = cover_dist;
        count++;
      }
    }
    if (count && i + found[count - 1].len > cover_end && found[count - 1].len >= COVER_MIN) {
      cover_end = i + found[count - 1].len;
      cover_dist = found[count - 1].dist;
    }

    if (count && found[count - 1].len >= NICE_LENGTH) {
      /* A long copy: settle the way here and take it whole. */
      unsigned len = found[count - 1].len;
      emit_path(s, start, i);
      emit_copy(s, len, found[count - 1].dist);
      for (unsigned k = 1; k < len; k++) insert(s, pos + k);
      return i + len;
    }

    relax(s, i, i + 1, literal_cost(s, *p), TOKEN(1, 0));
    unsigned room = n - i;
    if (near2 && room >= 2)
      relax(s, i, i + 2, s->len_cost[2] + dcl_dist_bits[(near2 - 1) >> 2] + 2, TOKEN(2, near2));

    unsigned len = 3;
    uint32_t here = s->price[i];
    for (unsigned k = 0; k < count && len <= room; k++) {
      unsigned dist = found[k].dist;
      uint32_t base = here + s->dict_bits + dcl_dist_bits[(dist - 1) >> s->dict_bits];
      unsigned top = found[k].len < room ? found[k].len : room;
      for (; len <= top; len++) {
        /* Past short lengths only the longest length of each length code is tried:
         * ending a long copy early rarely pays, and every try costs time. */
        if (len > RELAX_ALL && len < top && s->len_cost[len + 1] == s->len_cost[len]) continue;
        uint32_t c = base + s->len_cost[len];
        if (c < s->price[i + len]) {
          s->price[i + len] = c;
          s->step[i + len] = TOKEN(len, dist);
        }
      }
    }
  }
  emit_path(s, start, n);
  return n;
}

/* Reads until the window holds a block plus look-ahead past `cur`, or the input ends. */
static void fill(implode_state *s, uint32_t cur) {
  uint32_t want = cur + BLOCK + LOOKAHEAD;
  while (!s->eof && s->end < want) {
    unsigned int size = WIN_SIZE - (s->end - s->base);
    unsigned int got = s->read((char *)s->win + (s->end - s->base), &size, s->param);
    if (got == 0) {
      s->eof = 1;
      break;
    }
    unsigned room = WIN_SIZE - (s->end - s->base);
    s->end += got < room ? got : room; /* never trust a callback past our buffer */
  }
}

unsigned int DCL_CDECL dcl_implode(dcl_read_fn read_buf, dcl_write_fn write_buf, char *work_buf,
                                   void *param, unsigned int *type, unsigned int *dsize) {
  if (read_buf == NULL || write_buf == NULL || work_buf == NULL) return DCL_ABORT;
  if (dsize == NULL || (*dsize != 1024 && *dsize != 2048 && *dsize != 4096))
    return DCL_INVALID_DICTSIZE;
  if (type == NULL || (*type != DCL_BINARY && *type != DCL_ASCII)) return DCL_INVALID_MODE;

  implode_state *s = (implode_state *)dcl_align_work(work_buf, _Alignof(implode_state));
  s->read = read_buf;
  s->write = write_buf;
  s->param = param;
  s->bits = 0;
  s->nbits = 0;
  s->out_len = 0;
  s->binary = *type == DCL_BINARY;
  s->dict_size = *dsize;
  s->dict_bits = *dsize == 1024 ? 4 : *dsize == 2048 ? 5 : 6;
  s->base = 0;
  s->end = 0;
  s->eof = 0;
  s->next_sweep = SWEEP_EVERY;
  /* Start every entry as long dead; sweeps keep it so. */
  uint16_t dead = (uint16_t)(0u - STALE_AGE);
  for (unsigned i = 0; i < (1u << HASH3_BITS); i++) s->head3[i] = dead;
  for (unsigned i = 0; i < DICT_MAX; i++) s->prev3[i] = dead;
  for (unsigned i = 0; i < (1u << HASH2_BITS); i++) s->head2[i] = dead;
  for (unsigned i = 0; i < NEAR2; i++) s->prev2[i] = dead;

  for (unsigned len = 2; len <= DCL_MAX_LENGTH; len++) {
    unsigned li = length_index(len);
    s->len_cost[len] = (uint8_t)(1 + dcl_len_bits[li] + dcl_len_extra[li]);
  }

  s->out[0] = (uint8_t)*type;
  s->out[1] = (uint8_t)s->dict_bits;
  s->out_len = 2;

  uint32_t cur = 0;
  for (;;) {
    fill(s, cur);
    if (cur == s->end) break;
    cur += parse_block(s, cur);
    /* Keep a full dictionary of history before cur and slide the rest down. */
    if (cur - s->base > DICT_MAX) {
      uint32_t drop = cur - DICT_MAX - s->base;
      memmove(s->win, s->win + drop, s->end - s->base - drop);
      s->base += drop;
    }
  }

  put_bits(s, 1, 1);
  put_bits(s, dcl_len_bits[15], dcl_len_code[15]);
  put_bits(s, 8, DCL_END_LENGTH - dcl_len_base[15]);
  /* Decoders of the classic library reject a first read of 4 bytes or fewer, which is all an
   * empty input gives; a trailing zero byte after the end marker is ignored by every decoder. */
  if (cur == 0) put_bits(s, 8, 0);
  drain(s, 1);
  return DCL_OK;
}
