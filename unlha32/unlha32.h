/* The archiver's public entries: an LHA (.lzh) archiver driven by a command line, in the
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
    UNLHA_ERR_DAMAGED = 3,     /* not an LHA archive, a damaged one, or one cut short while read */
    UNLHA_ERR_CRC = 4,         /* a member's data does not match its CRC */
    UNLHA_ERR_NO_FILE = 5,     /* a file to add is missing or not an ordinary file, or a member
                                  named on the command line is not in the archive */
    UNLHA_ERR_WRITE = 6,       /* the archive or an extracted file cannot be written */
    UNLHA_ERR_SKIPPED = 7,     /* e: a member was not extracted because an earlier member of the
                                  same name was (the report names it) */
    UNLHA_ERR_CANCELLED = 8    /* UnlhaCancel() or UnlhaCancelRunning() stopped the command;
                                  nothing half-written is left */
};

/* Runs one command line:
 *   a ARCHIVE FILE...            add (or replace) files under their bare names
 *   e ARCHIVE [DIR/] [MEMBER...] extract under bare names into DIR (default: the current folder)
 *   x ARCHIVE [DIR/] [MEMBER...] extract keeping the stored folders, all inside DIR
 *   l ARCHIVE [MEMBER...]        list (sizes, method, time, name)
 *   t ARCHIVE [MEMBER...]        test
 * MEMBER is a stored path or a bare name; without any, every member. The switches -a1 and -n0
 * may stand anywhere after the command letter; a path in double quotes may hold spaces.
 * A UTF-8 report goes to output, NUL-terminated. When it does not fit in size bytes, output holds
 * the whole lines that fit followed by the line UNLHA_REPORT_CUT, and the result code is still
 * the command's own; output may be null or size 0. hwnd is unused. Returns one of the codes. */
int Unlha(void* hwnd, const char* cmdLine, char* output, uint32_t size);

/* The last line of a report that did not fit in the caller's buffer. */
#define UNLHA_REPORT_CUT "(出力バッファが小さすぎるため、ここから先の報告は省略しました)"

/* As Unlha(), but every line of the report is handed to sink as it is made, so nothing is ever
 * cut. text holds one line with its '\n'; it is valid only during the call. */
typedef void (*UnlhaReportSink)(const char* text, uint32_t length, void* context);
int UnlhaWithSink(void* hwnd, const char* cmdLine, UnlhaReportSink sink, void* context);

/* Asks a running call (on another thread) to stop as soon as it safely can; it then removes what
 * it has half-written and returns UNLHA_ERR_CANCELLED. Safe to call from a signal handler. Once
 * called, every later call in the process stops too. */
void UnlhaCancel(void);

/* As UnlhaCancel(), but only for the calls running now: a call made after they have all returned
 * runs normally. Not for signal handlers. A call that had already finished its work is not undone. */
void UnlhaCancelRunning(void);

#ifdef __cplusplus
}
#endif

#endif
