/*
 * dcl: implode/explode compression with the classic callback interface.
 *
 * A compressed stream is two header bytes (literal mode, dictionary code 4/5/6) followed by a
 * little-endian bit stream of literals and copies, closed by an end marker. All state of a call
 * lives in the caller's work area; the library allocates nothing and keeps no global state, so
 * calls on different work areas may run concurrently.
 *
 * The work area needs no particular alignment and need not be cleared.
 */
#ifndef DCL_H
#define DCL_H

#ifdef __cplusplus
extern "C" {
#endif

/* The callbacks and entry points use the C calling convention on every platform; spelled out
 * on 32-bit Windows so that a caller compiled with another default still matches. */
#if defined(_WIN32) && defined(__i386__)
#define DCL_CDECL __cdecl
#else
#define DCL_CDECL
#endif

/* Literal modes (the *type argument of dcl_implode, header byte 0). */
#define DCL_BINARY 0u /* every literal is 8 plain bits */
#define DCL_ASCII 1u  /* literals use a fixed code that favours text */

/* Return codes. */
/* Success; for explode: the end marker was decoded. */
#define DCL_OK 0u
/* implode: *dsize is not 1024/2048/4096. explode: header byte 1 is not 4/5/6. */
#define DCL_INVALID_DICTSIZE 1u
/* implode: *type is not 0/1. explode: header byte 0 is not 0/1. */
#define DCL_INVALID_MODE 2u
/* explode: the input ended inside the 2-byte header, or a copy reaches back before the first
 * output byte. */
#define DCL_BAD_DATA 3u
/* explode: the input ended before the end marker. Both: a null work area or callback. */
#define DCL_ABORT 4u

/* Bytes of work area each call needs. The explode size is the one classic callers pass; the
 * implode size is also the classic one, so a caller sized for the classic library fits. */
#define DCL_EXPLODE_WORK_SIZE 12596u
#define DCL_IMPLODE_WORK_SIZE 36312u

/* Input callback: copy up to *size bytes into buf and return how many were copied; 0 means the
 * input has ended. Returning fewer than asked is fine: the library asks again. */
typedef unsigned int(DCL_CDECL *dcl_read_fn)(char *buf, unsigned int *size, void *param);

/* Output callback: consume the *size bytes at buf. */
typedef void(DCL_CDECL *dcl_write_fn)(char *buf, unsigned int *size, void *param);

/*
 * Decompresses one stream read through read_buf and delivers the output through write_buf in
 * portions of at most a few KB. work_buf must hold DCL_EXPLODE_WORK_SIZE bytes. Bytes that follow
 * the end marker are not an error; the library may have fetched some of them already.
 * On an error after the header, everything decoded up to the fault has been written.
 */
unsigned int DCL_CDECL dcl_explode(dcl_read_fn read_buf, dcl_write_fn write_buf, char *work_buf,
                                   void *param);

/*
 * Compresses everything read_buf supplies into one stream. *type is DCL_BINARY or DCL_ASCII,
 * *dsize is the dictionary size in bytes: 1024, 2048 or 4096 (larger compresses better).
 * work_buf must hold DCL_IMPLODE_WORK_SIZE bytes. The stream is never longer than sending every
 * byte as a literal. Copies are at most 516 bytes long, as classic encoders write them, and the
 * stream of an empty input carries one zero byte after the end marker, since decoders derived
 * from the classic library refuse streams of 4 bytes or fewer.
 */
unsigned int DCL_CDECL dcl_implode(dcl_read_fn read_buf, dcl_write_fn write_buf, char *work_buf,
                                   void *param, unsigned int *type, unsigned int *dsize);

/*
 * Continues a CRC-32 (the ZIP/IEEE polynomial, reflected) over *size bytes of buf from the
 * register value *old_crc and returns the new register. No inversion is applied: start with
 * 0xFFFFFFFF and complement the final value for the usual CRC-32. The result fits in 32 bits.
 */
unsigned long DCL_CDECL dcl_crc32(char *buf, unsigned int *size, unsigned long *old_crc);

#ifdef __cplusplus
}
#endif

#endif /* DCL_H */
