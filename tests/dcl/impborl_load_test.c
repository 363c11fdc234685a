/* Loads impborl.dll the way the installer does (by name, from the program's folder) and drives its
 * three exports through their cdecl prototypes: a document vector exploded in the classic
 * 12596-byte work area, an implode/explode round trip in the classic 36312-byte area, and CRC-32.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

typedef unsigned int(__cdecl *read_fn)(char *buf, unsigned int *size, void *param);
typedef void(__cdecl *write_fn)(char *buf, unsigned int *size, void *param);
typedef unsigned int(__cdecl *explode_fn)(read_fn, write_fn, char *, void *);
typedef unsigned int(__cdecl *implode_fn)(read_fn, write_fn, char *, void *, unsigned int *,
                                          unsigned int *);
typedef unsigned long(__cdecl *crc32_fn)(char *, unsigned int *, unsigned long *);

typedef struct {
  const unsigned char *in;
  size_t in_len, in_pos;
  unsigned char *out;
  size_t out_len, out_cap;
} io;

static unsigned int __cdecl read_cb(char *buf, unsigned int *size, void *param) {
  io *p = param;
  size_t n = p->in_len - p->in_pos;
  if (n > *size) n = *size;
  memcpy(buf, p->in + p->in_pos, n);
  p->in_pos += n;
  return (unsigned int)n;
}

static void __cdecl write_cb(char *buf, unsigned int *size, void *param) {
  io *p = param;
  if (p->out_len + *size <= p->out_cap) memcpy(p->out + p->out_len, buf, *size);
  p->out_len += *size;
}

static int failures;

static void check(int ok, const char *what) {
  printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) failures++;
}

int main(void) {
  HMODULE dll = LoadLibraryA("impborl.dll");
  if (!dll) {
    printf("FAIL cannot load impborl.dll (error %lu)\n", (unsigned long)GetLastError());
    return 1;
  }
  explode_fn explode = (explode_fn)(void *)GetProcAddress(dll, "_explode");
  implode_fn implode = (implode_fn)(void *)GetProcAddress(dll, "_implode");
  crc32_fn crc32 = (crc32_fn)(void *)GetProcAddress(dll, "_crc32");
  check(explode && implode && crc32, "exports _explode, _implode, _crc32");
  if (!explode || !implode || !crc32) return 1;

  static const unsigned char packed[] = {0x01, 0x05, 0x50, 0x6C, 0xD3, 0xD4, 0xF1, 0x3D,
                                         0xA5, 0x6C, 0xE6, 0xE6, 0xE1, 0x75, 0xCD, 0xA4,
                                         0x83, 0xD2, 0xB3, 0x36, 0x52, 0x57, 0x5E, 0x75,
                                         0xAC, 0x6D, 0xBA, 0x05, 0x1E, 0x71, 0xC0, 0x3F};
  static const char plain[] = "Hello, hello, hello world! The world said hello.\n";
  unsigned char out[256];
  io v = {packed, sizeof packed, 0, out, 0, sizeof out};
  char *work = HeapAlloc(GetProcessHeap(), 0, 12596);
  unsigned rc = explode(read_cb, write_cb, work, &v);
  check(rc == 0 && v.out_len == strlen(plain) && memcmp(out, plain, v.out_len) == 0,
        "explode of a document vector in a 12596-byte work area");
  HeapFree(GetProcessHeap(), 0, work);

  enum { N = 50000 };
  unsigned char *data = malloc(N), *z = malloc(N * 2), *back = malloc(N);
  for (size_t i = 0; i < N; i++)
    data[i] = (unsigned char)("screen saver settings "[i % 22] ^ (i / 5000));
  for (unsigned type = 0; type <= 1; type++) {
    unsigned dict = 4096;
    io a = {data, N, 0, z, 0, N * 2};
    work = HeapAlloc(GetProcessHeap(), 0, 36312);
    rc = implode(read_cb, write_cb, work, &a, &type, &dict);
    HeapFree(GetProcessHeap(), 0, work);
    io b = {z, a.out_len, 0, back, 0, N};
    work = HeapAlloc(GetProcessHeap(), 0, 12596);
    unsigned rc2 = explode(read_cb, write_cb, work, &b);
    HeapFree(GetProcessHeap(), 0, work);
    check(rc == 0 && rc2 == 0 && a.out_len < N / 4 && b.out_len == N && memcmp(back, data, N) == 0,
          type ? "text-mode round trip" : "binary-mode round trip");
  }

  char digits[] = "123456789";
  unsigned int len = 9;
  unsigned long start = 0xFFFFFFFFul;
  check(crc32(digits, &len, &start) == 0x340BC6D9ul, "crc32 of 123456789");
  return failures ? 1 : 0;
}
