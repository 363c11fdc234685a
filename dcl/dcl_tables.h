/* Fixed code tables shared by the encoder and the decoder (internal to the library). */
#ifndef DCL_TABLES_H
#define DCL_TABLES_H

#include <stdint.h>

/* Code words are stored as the value their bits give when read first-bit-first as a plain
 * little-endian field, so both sides move them with the ordinary bit routines. */

#define DCL_LEN_SYMBOLS 16
#define DCL_DIST_SYMBOLS 64
#define DCL_END_LENGTH 519 /* length value that marks the end of the stream */
#define DCL_MAX_LENGTH 518 /* longest copy */

extern const uint8_t dcl_len_bits[DCL_LEN_SYMBOLS];
extern const uint8_t dcl_len_code[DCL_LEN_SYMBOLS];
extern const uint8_t dcl_len_extra[DCL_LEN_SYMBOLS];
extern const uint16_t dcl_len_base[DCL_LEN_SYMBOLS];

extern const uint8_t dcl_dist_bits[DCL_DIST_SYMBOLS];
extern const uint8_t dcl_dist_code[DCL_DIST_SYMBOLS];

extern const uint8_t dcl_ascii_bits[256];
extern const uint16_t dcl_ascii_code[256];

#endif
