/* Small command-line front end to the library for the interop test:
 *   dcl_cli implode [--ascii] [--dict 1024|2048|4096] IN OUT
 *   dcl_cli explode IN OUT
 * Exit status is the library's return code (or 10 for usage and file errors). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "dcl.h"

typedef struct {
  FILE *in, *out;
  int write_failed;
} files;

static unsigned int DCL_CDECL read_file(char *buf, unsigned int *size, void *param) {
  return (unsigned int)fread(buf, 1, *size, ((files *)param)->in);
}

static void DCL_CDECL write_file(char *buf, unsigned int *size, void *param) {
  files *f = param;
  if (fwrite(buf, 1, *size, f->out) != *size) f->write_failed = 1;
}

static int usage(void) {
  fprintf(stderr,
          "usage: dcl_cli implode [--ascii] [--dict 1024|2048|4096] IN OUT\n"
          "       dcl_cli explode IN OUT\n");
  return 10;
}

int main(int argc, char **argv) {
  if (argc < 4) return usage();
  int do_implode = strcmp(argv[1], "implode") == 0;
  if (!do_implode && strcmp(argv[1], "explode") != 0) return usage();
  unsigned int type = DCL_BINARY, dict = 4096;
  int arg = 2;
  for (; arg < argc - 2; arg++) {
    if (do_implode && strcmp(argv[arg], "--ascii") == 0)
      type = DCL_ASCII;
    else if (do_implode && strcmp(argv[arg], "--dict") == 0 && arg + 1 < argc - 2)
      dict = (unsigned int)strtoul(argv[++arg], NULL, 10);
    else
      return usage();
  }
  files f = {fopen(argv[argc - 2], "rb"), fopen(argv[argc - 1], "wb"), 0};
  if (!f.in || !f.out) {
    fprintf(stderr, "dcl_cli: cannot open %s\n", !f.in ? argv[argc - 2] : argv[argc - 1]);
    return 10;
  }
  static char work[DCL_IMPLODE_WORK_SIZE];
  unsigned int rc = do_implode ? dcl_implode(read_file, write_file, work, &f, &type, &dict)
                               : dcl_explode(read_file, write_file, work, &f);
  fclose(f.in);
  if (fclose(f.out) != 0 || f.write_failed) {
    fprintf(stderr, "dcl_cli: cannot write %s\n", argv[argc - 1]);
    return 10;
  }
  if (rc != DCL_OK) fprintf(stderr, "dcl_cli: %s failed with code %u\n", argv[1], rc);
  return (int)rc;
}
