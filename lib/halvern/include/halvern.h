/* halvern: the host framework's library, linked by import. It gives a
 * supervised server process three services:
 *
 *  - the process monitor: hlvPmonLocalRegisterProcess hands out the start
 *    event (the process signals it once it is up) and the stop event (the
 *    monitor signals it to ask the process to end; the process waits on it);
 *  - the trace service: strac_AllocServer and strac_SetServerState report
 *    the server's name, type and state (0 starting, 1 connected to its
 *    server, 2 not connected or stopping);
 *  - the host printers e_printf (errors), m_printf (messages) and d_printf
 *    (debug), printf-style.
 *
 * Every function may be called from any thread. Event handles are
 * pointer-sized; 0 means "no event". They are manual-reset events that stay
 * open until the process ends; signal and wait on them with the platform
 * layer's HostEvent operations (Win32: SetEvent, WaitForSingleObject).
 *
 * How this stand-in maps the framework onto each platform:
 *
 * POSIX (Linux)
 *  - Events are eventfd descriptors numbered 3 or above, close-on-exec.
 *  - Once the start event is signalled, a halvern thread tells the service
 *    manager "READY=1" on the datagram socket named by $NOTIFY_SOCKET (when
 *    set; a leading '@' names an abstract socket). It does so a moment
 *    later: a process that ends right after signalling may end first (the
 *    service manager then sees the end instead).
 *  - From registration on, SIGTERM signals the stop event (the handler only
 *    writes to the eventfd); SIGTERM no longer ends the process by itself.
 *    Once the stop event is signalled, "STOPPING=1" goes to $NOTIFY_SOCKET.
 *  - strac_SetServerState sends "STATUS=<trace name>: <state text>" to
 *    $NOTIFY_SOCKET.
 *  - A registered process holds a datagram socket bound to the abstract
 *    name "HalvernStop-<pid>" (never read; the kernel drops it with the
 *    process). hlvPmonStopProcess(pid) sends SIGTERM to the process only
 *    when it finds that name, so it never stops a process that is not
 *    registered; it must run in the process's network namespace.
 *
 * Win32
 *  - Events are event objects. The stop event is the named event
 *    "Local\HalvernStop-<pid>" (<pid>: the process id in decimal), see
 *    HLV_STOP_EVENT_PREFIX; hlvPmonStopProcess(pid) opens and signals it.
 *
 * Both platforms
 *  - The printers write their text to standard error, each line preceded
 *    by the priority prefix that service managers read: "<3>" for e_printf,
 *    "<5>" for m_printf, "<7>" for d_printf. Each call prints whole lines
 *    in one piece (a missing final line feed is added), so lines of
 *    different threads never mix.
 *  - Trace file: when $HALVERN_TRACE names a file, each call appends one
 *    line (LF-ended; control characters in texts are written as '?'):
 *        register argc=<count> argv=<entry> <entry> ...
 *        alloc pid=<pid> trace=<trace name> type=<type text>
 *        state <0|1|2>
 *        start-event signalled
 *        stop-event signalled
 *    "register" comes from hlvPmonLocalRegisterProcess (entries joined by
 *    single spaces), "alloc" from strac_AllocServer, "state" from
 *    strac_SetServerState, each before the call returns. The two event
 *    lines are written once each by a halvern thread (POSIX) or thread-pool
 *    wait (Win32) soon after the event is signalled, so their place among
 *    the other lines may vary, and a process that ends at once may not get
 *    to write them.
 */
#ifndef HALVERN_H
#define HALVERN_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  ifdef HALVERN_BUILD
#    define HLVAPI __declspec(dllexport)
#  else
#    define HLVAPI __declspec(dllimport)
#  endif
#else
#  define HLVAPI __attribute__((visibility("default")))
#endif

/* The library formats with C99 printf (mingw-w64: its own, not msvcrt's). */
#if defined(__MINGW32__)
#  define HLV_PRINTF_FORMAT __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
#  define HLV_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#  define HLV_PRINTF_FORMAT
#endif

typedef void* HLVHANDLE;

/* Win32 name of the stop event: this prefix followed by the decimal pid. */
#define HLV_STOP_EVENT_PREFIX "Local\\HalvernStop-"

/* Registers the calling process with the process monitor. argv holds count
 * NUL-terminated command-line entries, program path first (null entries are
 * traced as empty). Stores the start and the stop event handle; a handle
 * that could not be made is stored as 0. A second call hands out the same
 * two events. Returns 1 when both handles are usable, else 0. */
HLVAPI int hlvPmonLocalRegisterProcess(int count, const char* const* argv, HLVHANDLE* startEvent,
                                       HLVHANDLE* stopEvent);

/* Asks the supervised process pid to stop, as the process monitor does.
 * Returns 1 on success; on failure (no such process registered with the
 * process monitor, or not permitted) 0 and, when message is not null, a
 * NUL-terminated explanation in message (at most size bytes). */
HLVAPI int hlvPmonStopProcess(unsigned long pid, char* message, size_t size);

/* Allocates the trace record of a server process: fills the 8-byte slot
 * (which the caller keeps for strac_SetServerState) and reports the
 * process id, trace name and type text. reserved must be 0. Returns 1, or
 * 0 when slot is null. */
HLVAPI int strac_AllocServer(void* slot, unsigned long pid, int reserved, const char* traceName,
                             const char* typeText);

/* Reports the server's state: 0 starting, 1 connected, 2 not connected or
 * stopping. Returns 1, or 0 when slot is null. */
HLVAPI int strac_SetServerState(void* slot, int state);

/* Host printers; each returns the number of bytes printed, or -1. */
HLVAPI int e_printf(const char* format, ...) HLV_PRINTF_FORMAT;
HLVAPI int m_printf(const char* format, ...) HLV_PRINTF_FORMAT;
HLVAPI int d_printf(const char* format, ...) HLV_PRINTF_FORMAT;

#ifdef __cplusplus
}
#endif

#endif /* HALVERN_H */
