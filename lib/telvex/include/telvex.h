/* telvex: the telemetry server's client library (stand-in), a C API.
 *
 * A program connects to a telemetry server by machine and pipe name
 * (tvxConnect) and gets a handle (> 0). Every other call taking a handle
 * works on that connection. All calls may be made from any thread, also
 * several at once on one connection: the library serialises the exchanges
 * of one connection itself. A call on a connection that is lost, or that
 * the server refuses, fails cleanly: result 0 (or as noted) and no block,
 * without blocking for long (a call waits at most TVX_CALL_TIMEOUT_MS for
 * its answer; the connection is then taken as lost).
 *
 * Blocks handed out by the library (event pages, class data, messages) are
 * released with tvxFreeMemory, and only with it.
 *
 * Texts coming from the server are 8-bit texts in the server's ANSI code
 * page (Windows-1251); source texts inside event records are in the OEM
 * code page (866).
 *
 * Times: the library's time scale is whole seconds since 1970-01-01 00:00
 * of the server's local clock (no time-zone conversion), held in 32 bits.
 * Time texts are "dd.mm.yyyy hh:mm:ss", optionally followed by "." and two
 * digits (hundredths) or three digits (milliseconds).
 *
 * Records are packed and little-endian. A record that holds a pointer is
 * pointer-sized at that field; every other offset is fixed and checked
 * below.
 */
#ifndef TELVEX_H
#define TELVEX_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  if defined(TELVEX_BUILDING)
#    define TVX_API __declspec(dllexport)
#  else
#    define TVX_API __declspec(dllimport)
#  endif
#else
#  define TVX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#  define TVX_STATIC_ASSERT(Condition, Text) static_assert(Condition, Text)
extern "C" {
#else
#  define TVX_STATIC_ASSERT(Condition, Text) _Static_assert(Condition, Text)
#endif

/* Longest wait for one answer of the server, in milliseconds. */
#define TVX_CALL_TIMEOUT_MS 10000

/* Object kinds. */
#define TVX_KIND_STATUS 0x8000
#define TVX_KIND_ANALOG 0x8001
#define TVX_KIND_ACCUM 0x8002
#define TVX_KIND_CHANNEL 0x9000
#define TVX_KIND_RTU 0x9001
#define TVX_KIND_ANALOG_ALARM 0x9021

/* Event types: one bit each, so that a set of types is a 16-bit mask. */
#define TVX_EVENT_STATUS_CHANGE 0x0001
#define TVX_EVENT_ANALOG_ALARM 0x0002
#define TVX_EVENT_CONTROL 0x0004
#define TVX_EVENT_ACKNOWLEDGE 0x0008
#define TVX_EVENT_STATUS_SET 0x0010
#define TVX_EVENT_ANALOG_SET 0x0020
#define TVX_EVENT_MESSAGE_REF 0x2000
#define TVX_EVENT_MESSAGE 0x8000

/* Point state flags. */
#define TVX_FLAG_INVALID 0x0001      /* E: not valid */
#define TVX_FLAG_BLOCKED 0x0002      /* R: blocked */
#define TVX_FLAG_MANUAL 0x0008       /* M: set by hand */
#define TVX_FLAG_ALARM1 0x0010       /* analog: alarm 1 active (and 0x20, 0x40, 0x80 for 2 to 4) */
#define TVX_FLAG_ZERO 0x0200         /* Z */
#define TVX_FLAG_ALARM_SIGNAL 0x0800 /* status: the point is an alarm signal */
#define TVX_FLAG_NEW 0x2000          /* N */
#define TVX_FLAG_UNACKED 0x4000      /* U: change not yet acknowledged */
#define TVX_FLAGS_NONE 0xFFFF        /* the point is unknown: no value */

/* Extension signatures of a status change record. */
#define TVX_SIGNATURE_RESERVE 0x52535256u  /* reserve fields only */
#define TVX_SIGNATURE_EXTENDED 0xEEAAEE00u /* | 0x04 fault word, | 0x10 flag word */

#pragma pack(push, 1)

/* Address of one point, as lists take it. */
typedef struct TTvxAddress {
  uint16_t Channel;
  uint16_t Rtu;
  uint16_t Point;
} TTvxAddress;

/* Current state of a status point. State -1 and flags 0xFFFF: unknown. */
typedef struct TStatusReading {
  int16_t State;
  uint16_t Flags;
} TStatusReading;

/* Current value of an analog point. The units field holds the units text
 * (up to the first blank or NUL) and, in its byte 7, the decimals code:
 * decimals = (byte 7 - 7) / 16. */
typedef struct TAnalogReading {
  float Value;
  uint16_t AlarmState; /* number of the highest active alarm, 0 for none */
  uint16_t Flags;
  char Units[8];
} TAnalogReading;

/* Current value of an accumulator: the running value and the value at the
 * end of the previous hour. */
typedef struct TAccumReading {
  float Value;
  float LastValue;
  uint16_t Flags;
  char Units[8];
} TAccumReading;

/* The full record of an analog point (tvxAnalogFull), 38 bytes. */
typedef struct TAnalogFull {
  float Value;
  uint16_t AlarmState;
  uint16_t Flags;
  char Units[8];
  float MinValue;   /* scale of the measurement */
  float MaxValue;
  float LowLimit;   /* lowest alarm limit, 0 when none */
  float HighLimit;  /* highest alarm limit, 0 when none */
  uint16_t AlarmCount;
  int32_t UpdateTime; /* library seconds of the value */
} TAnalogFull;

/* One sample of the retrospective. */
typedef struct TRetroReading {
  float Value;
  uint16_t Flags;
} TRetroReading;

/* Event log index: a position in the server's event log, just after the
 * event whose number it carries. All zero: before the first event. */
typedef struct TElix {
  uint8_t Reserved[8]; /* zero */
  int64_t EventNumber;
} TElix;

/* Type data of a status change (offsets from the start of TServerEvent). */
typedef struct TStatusChangeData {
  uint8_t NewState;    /* 34 */
  uint8_t AlarmMark;   /* 35: nonzero for alarm and warning signals */
  uint32_t Signature;  /* 36 */
  uint8_t ResChannel;  /* 40 */
  uint8_t ResRtu;      /* 41 */
  uint16_t ResPoint;   /* 42 */
  int32_t SourceTime;  /* 44: library seconds, 0 = none */
  uint16_t FaultBits;  /* 48: bit 0 line break, bit 1 line fault */
  uint32_t FlagBits;   /* 50 */
  uint16_t SourceMs;   /* 54 */
} TStatusChangeData;

typedef struct TAnalogAlarmData {
  float Value;          /* 34 */
  uint16_t AlarmNumber; /* 38 */
  uint8_t Active;       /* 40: 1 active, otherwise back to normal */
  uint8_t Spare[15];
} TAnalogAlarmData;

/* Type data of a control command and of a status set by hand. */
typedef struct TStatusSetData {
  uint8_t ClassMark;   /* 34: 0xFF when the event concerns class field FieldNumber */
  uint8_t FieldNumber; /* 35 */
  uint8_t Spare1[2];
  uint8_t State;       /* 38 */
  uint8_t Spare2;
  char Source[16];     /* 40: OEM code page, NUL-padded */
} TStatusSetData;

typedef struct TAcknowledgeData {
  uint16_t GeneralCode; /* 34: at 0.0.0, 0x8000 all status, 0x8001 all analog points */
  uint8_t Spare[4];
  char Source[16];      /* 40 */
} TAcknowledgeData;

typedef struct TAnalogSetData {
  float Value;     /* 34 */
  uint8_t ByHand;  /* 38: 1 set by hand, otherwise from telemechanics */
  char Source[16]; /* 39 */
  uint8_t Spare;
} TAnalogSetData;

typedef struct TMessageRefData {
  uint32_t Index; /* 34: message number for tvxEventLogByIndex */
  uint8_t Spare[18];
} TMessageRefData;

/* A message: kind (low 16 bits the layout 0x66 or 0; bits 24-31 and 16-23
 * two numbers of the address text), then two NUL-terminated texts. Inside
 * an event record the texts share 18 bytes. */
typedef struct TEventMessage {
  uint32_t Kind;
  char Texts[18];
} TEventMessage;

/* The server's event record, 56 bytes. */
typedef struct TServerEvent {
  char TimeText[24];
  uint16_t Importance; /* 0 to 3 */
  uint16_t Type;       /* one TVX_EVENT_ bit */
  uint16_t Channel;
  uint16_t Rtu;
  uint16_t Point;
  union {
    uint8_t Raw[22];
    TStatusChangeData StatusChange;
    TAnalogAlarmData AnalogAlarm;
    TStatusSetData StatusSet; /* control and status set */
    TAcknowledgeData Acknowledge;
    TAnalogSetData AnalogSet;
    TMessageRefData MessageRef;
    TEventMessage Message; /* valid when Channel 0 and Rtu 1 */
  } Data;
} TServerEvent;

/* The record that sets a status point by hand (tvxSetValues). */
typedef struct TStatusValue {
  uint16_t Channel;
  uint16_t Rtu;
  uint16_t Point;
  uint8_t Operation; /* TVX_SET_STATUS_BY_HAND */
  uint8_t FlagByte;  /* low byte of the flags to set with the value (8: M) */
  uint8_t ValueKind; /* TVX_VALUE_INT32 */
  int32_t Value;
} TStatusValue;

#define TVX_SET_STATUS_BY_HAND 25
#define TVX_VALUE_INT32 1

/* A message kept by the server (tvxEventLogByIndex): the message starts
 * at offset 12; Layout is 0x100 for a message that can be shown. */
typedef struct TMessageBlock {
  uint32_t Index;
  int32_t UTime;
  uint16_t Layout;
  uint16_t Length; /* bytes of Message: 4 + both texts with their NULs */
  TEventMessage Message; /* texts continue beyond the 18 bytes declared */
} TMessageBlock;

#pragma pack(pop)

/* One node of an event page: Event at offset 24 on every platform. */
typedef struct TEventNode {
  union {
    struct TEventNode* Next; /* null at the end of the page */
    uint64_t NextSlot;       /* keeps the pointer's 8 bytes on 32-bit builds too */
  };
  int64_t EventNumber;  /* 8 */
  uint8_t Reserved[8];  /* 16 */
  TServerEvent Event;   /* 24 */
} TEventNode;

/* The class data of a status point: Text points to lines key=value
 * separated by CR LF, NUL-terminated, inside the same block. */
typedef struct TStatusClassData {
  const char* Text;
  uint32_t Length; /* bytes of Text without the NUL */
} TStatusClassData;

TVX_STATIC_ASSERT(sizeof(TTvxAddress) == 6, "TTvxAddress is 6 bytes");
TVX_STATIC_ASSERT(sizeof(TStatusReading) == 4, "TStatusReading is 4 bytes");
TVX_STATIC_ASSERT(sizeof(TAnalogReading) == 16, "TAnalogReading is 16 bytes");
TVX_STATIC_ASSERT(offsetof(TAnalogReading, Flags) == 6, "analog flags at 6");
TVX_STATIC_ASSERT(offsetof(TAnalogReading, Units) == 8, "analog units at 8");
TVX_STATIC_ASSERT(sizeof(TAccumReading) == 18, "TAccumReading is 18 bytes");
TVX_STATIC_ASSERT(offsetof(TAccumReading, Flags) == 8, "accumulator flags at 8");
TVX_STATIC_ASSERT(offsetof(TAccumReading, Units) == 10, "accumulator units at 10");
TVX_STATIC_ASSERT(sizeof(TAnalogFull) == 38, "TAnalogFull is 38 bytes");
TVX_STATIC_ASSERT(offsetof(TAnalogFull, Units) == 8, "full record units at 8");
TVX_STATIC_ASSERT(sizeof(TRetroReading) == 6, "TRetroReading is 6 bytes");
TVX_STATIC_ASSERT(sizeof(TElix) == 16, "TElix is 16 bytes");
TVX_STATIC_ASSERT(offsetof(TElix, EventNumber) == 8, "event number at 8");
TVX_STATIC_ASSERT(sizeof(TServerEvent) == 56, "TServerEvent is 56 bytes");
TVX_STATIC_ASSERT(offsetof(TServerEvent, Importance) == 24, "importance at 24");
TVX_STATIC_ASSERT(offsetof(TServerEvent, Type) == 26, "type at 26");
TVX_STATIC_ASSERT(offsetof(TServerEvent, Channel) == 28, "channel at 28");
TVX_STATIC_ASSERT(offsetof(TServerEvent, Point) == 32, "point at 32");
TVX_STATIC_ASSERT(offsetof(TServerEvent, Data) == 34, "type data at 34");
TVX_STATIC_ASSERT(offsetof(TStatusChangeData, Signature) == 2, "signature at 36");
TVX_STATIC_ASSERT(offsetof(TStatusChangeData, ResChannel) == 6, "reserve at 40");
TVX_STATIC_ASSERT(offsetof(TStatusChangeData, SourceTime) == 10, "source time at 44");
TVX_STATIC_ASSERT(offsetof(TStatusChangeData, FaultBits) == 14, "fault bits at 48");
TVX_STATIC_ASSERT(offsetof(TStatusChangeData, FlagBits) == 16, "flag bits at 50");
TVX_STATIC_ASSERT(offsetof(TStatusChangeData, SourceMs) == 20, "milliseconds at 54");
TVX_STATIC_ASSERT(offsetof(TAnalogAlarmData, Active) == 6, "alarm active at 40");
TVX_STATIC_ASSERT(offsetof(TStatusSetData, State) == 4, "state at 38");
TVX_STATIC_ASSERT(offsetof(TStatusSetData, Source) == 6, "source at 40");
TVX_STATIC_ASSERT(offsetof(TAcknowledgeData, Source) == 6, "source at 40");
TVX_STATIC_ASSERT(offsetof(TAnalogSetData, ByHand) == 4, "by hand at 38");
TVX_STATIC_ASSERT(offsetof(TAnalogSetData, Source) == 5, "source at 39");
TVX_STATIC_ASSERT(sizeof(TStatusValue) == 13, "TStatusValue is 13 bytes");
TVX_STATIC_ASSERT(offsetof(TStatusValue, Value) == 9, "value at 9");
TVX_STATIC_ASSERT(offsetof(TMessageBlock, Layout) == 8, "layout at 8");
TVX_STATIC_ASSERT(offsetof(TMessageBlock, Message) == 12, "message at 12");
TVX_STATIC_ASSERT(offsetof(TEventNode, EventNumber) == 8, "node event number at 8");
TVX_STATIC_ASSERT(offsetof(TEventNode, Event) == 24, "node event at 24");
TVX_STATIC_ASSERT(offsetof(TStatusClassData, Text) == 0, "class data text first");

/* ---- Connection ---- */

/* Connects to pipe Pipe on machine Machine ("." or empty for this one).
 * The three last arguments are reserved: pass 0. Result: a handle > 0, or
 * 0 when the server cannot be reached or refuses. */
TVX_API int32_t tvxConnect(const char* Machine, const char* Pipe, int32_t Reserved1, int32_t Reserved2,
                           int32_t Reserved3);
/* Non-zero while the connection is alive. Answers from the connection's own
 * state, without an exchange with the server. A connection found lost is
 * closed and its handle becomes invalid, as after tvxDisconnect. */
TVX_API int32_t tvxIsConnected(int32_t Handle);
/* Closes the connection; the handle becomes invalid. */
TVX_API void tvxDisconnect(int32_t Handle);

/* The server's current local time as text with milliseconds, into Buffer
 * (at least 81 bytes). Zero: pass 0. Result 1, or 0 with Buffer untouched. */
TVX_API int32_t tvxSystemTime(int32_t Handle, char* Buffer, int32_t Zero);

/* ---- Times ---- */

/* Library seconds as "dd.mm.yyyy hh:mm:ss" into Buffer (at least 20 bytes). */
TVX_API void Utime2Str(int32_t Seconds, char* Buffer);
/* Library seconds of the time text of Event (fraction ignored); 0 when the
 * text is not a valid time. */
TVX_API int32_t String2Utime(const TServerEvent* Event);

/* ---- Objects ---- */

/* Name of an object: Kind TVX_KIND_*, address (channel, RTU, point; for a
 * channel 0 after the channel, for an RTU 0 after the RTU). Writes at most
 * Size bytes with the NUL. Result 1 when the object has a name, 0 else
 * (Buffer then holds an empty text when Size > 0). */
TVX_API int32_t tvxGetObjectName(int32_t Handle, uint16_t Kind, uint16_t Channel, uint16_t Rtu, uint16_t Point,
                                 char* Buffer, int32_t Size);
/* Name of a sub-object: for TVX_KIND_ANALOG_ALARM the name of alarm Number
 * of the analog point. Result as tvxGetObjectName. */
TVX_API int32_t tvxGetObjectNameEx(int32_t Handle, uint16_t Kind, uint16_t Channel, uint16_t Rtu, uint16_t Point,
                                   uint16_t Number, char* Buffer, int32_t Size);
/* Properties of an object as lines key=value separated by CR LF, NUL-
 * terminated, at most Size bytes with the NUL (whole lines only). Result 1,
 * or 0 when the object is unknown or the call failed. */
TVX_API int32_t tvxGetObjectProperties(int32_t Handle, uint16_t Kind, uint16_t Channel, uint16_t Rtu,
                                       uint16_t Point, char* Buffer, int32_t Size);
/* Identifiers of objects of Kind in ascending order from First on: channels
 * (Channel, Rtu ignored), RTUs of Channel, points of Channel.Rtu. At most
 * MaxCount (and at most 255) are written to Ids; the result is their count
 * (0 to 255), 0 also on failure. */
TVX_API int32_t tvxEnumObjects(int32_t Handle, uint16_t Kind, int32_t MaxCount, uint16_t* Ids, uint16_t Channel,
                               uint16_t Rtu, uint16_t First);
/* Class data of a status point (Mode: pass 1): a block to release with
 * tvxFreeMemory, or null when the point has none or the call failed. */
TVX_API TStatusClassData* tvxGetStatusClassData(int32_t Handle, int32_t Mode, uint16_t Channel, uint16_t Rtu,
                                                uint16_t Point);

/* ---- Values ---- */

/* Count readings for Count addresses: record i for address i. Unknown
 * points read as state -1 or value 0 with flags 0xFFFF. Result 1, or 0
 * with Result untouched. */
TVX_API int32_t tvxStatusByList(int32_t Handle, uint16_t Count, const TTvxAddress* List, TStatusReading* Result);
TVX_API int32_t tvxAnalogByList(int32_t Handle, uint16_t Count, const TTvxAddress* List, TAnalogReading* Result,
                                int32_t Reserved1, int32_t Reserved2);
TVX_API int32_t tvxAccumByList(int32_t Handle, uint16_t Count, const TTvxAddress* List, TAccumReading* Result,
                               int32_t Reserved);
/* The full record of an analog point. Result 1, or 0 (unknown point, or
 * failure) with Record untouched. */
TVX_API int32_t tvxAnalogFull(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point, TAnalogFull* Record,
                              int32_t Reserved1, int32_t Reserved2);
/* Count samples of an analog point, one per step from Start (library
 * seconds): sample k is the value at Start + k * step. The step is Step
 * plus StepHigh * 65536 seconds (StepHigh 0 for steps below 65536).
 * Result 1, or 0 with Result untouched. */
TVX_API int32_t tvxTakeRetroTit(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point, int32_t Start,
                                int32_t StepHigh, uint16_t Count, uint16_t Step, TRetroReading* Result);
/* Current state of a status point; -1 when unknown or on failure. */
TVX_API int32_t tvxStatus(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point);

/* ---- Commands ---- */

/* Sets Count status points by hand. Result 1 when all were set, else 0. */
TVX_API int32_t tvxSetValues(int32_t Handle, int32_t Count, const TStatusValue* Values);
/* Sets (ORs in) and clears status flags. Result 1, or 0 when unknown/failed. */
TVX_API int32_t tvxSetStatusFlags(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point, uint16_t Flags);
TVX_API int32_t tvxClrStatusFlags(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point, uint16_t Flags);
/* Sets an analog value by hand (Reserved: pass 0). Result 1 or 0. */
TVX_API int32_t tvxSetAnalog(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point, float Value,
                             int32_t Reserved);
TVX_API int32_t tvxSetAnalogFlags(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point, uint16_t Flags);
/* Appends Event to the event log; an empty time text is replaced by the
 * server's current time. Result 1 or 0. */
TVX_API int32_t tvxRegEvent(int32_t Handle, const TServerEvent* Event);

/* ---- Event log ---- */

/* The index just after the newest event. Result 1; 0 (and Index zeroed)
 * when the event log cannot be used or the call failed. */
TVX_API int32_t tvxGetCurrentElix(int32_t Handle, TElix* Index);
/* The next page of events after Index whose type is in TypeMask and whose
 * time lies in StartTime..EndTime (library seconds, both inclusive), as a
 * list of nodes in log order; Index moves past every event examined. Null
 * when no further event matches (or on failure; Index then unchanged).
 * Release the page with one tvxFreeMemory of its first node. */
TVX_API TEventNode* tvxEventLogByElix(int32_t Handle, TElix* Index, uint16_t TypeMask, uint32_t StartTime,
                                      uint32_t EndTime);
/* The message kept under Index (UTime: the time of the event that refers
 * to it, not checked). Size receives the block's size. Null when unknown. */
TVX_API TMessageBlock* tvxEventLogByIndex(int32_t Handle, uint32_t Index, int32_t UTime, int32_t* Size);

/* Releases a block handed out by the library; null is allowed. */
TVX_API void tvxFreeMemory(void* Block);

#ifdef __cplusplus
}
#endif

#endif /* TELVEX_H */
