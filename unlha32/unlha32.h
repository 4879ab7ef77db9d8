/* The archiver's one public entry: an LHA (.lzh) archiver driven by a command line, in the
 * manner of the Windows archiver libraries that QPX files were first made with. C-compatible. */
#ifndef VELMOR_UNLHA32_H
#define VELMOR_UNLHA32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes of Unlha(). */
enum {
    UNLHA_OK = 0,              /* every member was added, extracted, listed or tested */
    UNLHA_ERR_USAGE = 1,       /* the command line is not understood */
    UNLHA_ERR_NO_ARCHIVE = 2,  /* the archive to read does not exist */
    UNLHA_ERR_DAMAGED = 3,     /* not an LHA archive, or a damaged one */
    UNLHA_ERR_CRC = 4,         /* a member's data does not match its CRC */
    UNLHA_ERR_NO_FILE = 5,     /* a file to add is missing or not an ordinary file */
    UNLHA_ERR_WRITE = 6        /* the archive or an extracted file cannot be written */
};

/* Runs one command line: "a ARCHIVE FILE...", "e ARCHIVE [DIR/]", "l ARCHIVE" or "t ARCHIVE",
 * with the switches -a1 and -n0 anywhere after the command letter; a path in double quotes may
 * hold spaces. A short UTF-8 report goes to output, cut to size - 1 bytes and NUL-terminated;
 * output may be null or size 0. hwnd is unused. Returns one of the codes above. */
int Unlha(void* hwnd, const char* cmdLine, char* output, uint32_t size);

#ifdef __cplusplus
}
#endif

#endif
