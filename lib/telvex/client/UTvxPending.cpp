// Placeholder bodies until the transport lands: every call fails cleanly.
#include "telvex.h"

extern "C" {
TVX_API int32_t tvxConnect(const char* /*Machine*/, const char* /*Pipe*/, int32_t /*Reserved1*/, int32_t /*Reserved2*/, int32_t /*Reserved3*/) { return 0; }
TVX_API int32_t tvxIsConnected(int32_t /*Handle*/) { return 0; }
TVX_API void tvxDisconnect(int32_t /*Handle*/) {}
TVX_API int32_t tvxSystemTime(int32_t /*Handle*/, char* /*Buffer*/, int32_t /*Zero*/) { return 0; }
TVX_API int32_t tvxGetObjectName(int32_t /*Handle*/, uint16_t /*Kind*/, uint16_t /*Channel*/, uint16_t /*Rtu*/, uint16_t /*Point*/, char* /*Buffer*/, int32_t /*Size*/) { return 0; }
TVX_API int32_t tvxGetObjectNameEx(int32_t /*Handle*/, uint16_t /*Kind*/, uint16_t /*Channel*/, uint16_t /*Rtu*/, uint16_t /*Point*/, uint16_t /*Number*/, char* /*Buffer*/, int32_t /*Size*/) { return 0; }
TVX_API int32_t tvxGetObjectProperties(int32_t /*Handle*/, uint16_t /*Kind*/, uint16_t /*Channel*/, uint16_t /*Rtu*/, uint16_t /*Point*/, char* /*Buffer*/, int32_t /*Size*/) { return 0; }
TVX_API int32_t tvxEnumObjects(int32_t /*Handle*/, uint16_t /*Kind*/, int32_t /*MaxCount*/, uint16_t* /*Ids*/, uint16_t /*Channel*/, uint16_t /*Rtu*/, uint16_t /*First*/) { return 0; }
TVX_API TStatusClassData* tvxGetStatusClassData(int32_t /*Handle*/, int32_t /*Mode*/, uint16_t /*Channel*/, uint16_t /*Rtu*/, uint16_t /*Point*/) { return nullptr; }
TVX_API int32_t tvxStatusByList(int32_t /*Handle*/, uint16_t /*Count*/, const TTvxAddress* /*List*/, TStatusReading* /*Result*/) { return 0; }
TVX_API int32_t tvxAnalogByList(int32_t /*Handle*/, uint16_t /*Count*/, const TTvxAddress* /*List*/, TAnalogReading* /*Result*/, int32_t /*Reserved1*/, int32_t /*Reserved2*/) { return 0; }
TVX_API int32_t tvxAccumByList(int32_t /*Handle*/, uint16_t /*Count*/, const TTvxAddress* /*List*/, TAccumReading* /*Result*/, int32_t /*Reserved*/) { return 0; }
TVX_API int32_t tvxAnalogFull(int32_t /*Handle*/, uint16_t /*Channel*/, uint16_t /*Rtu*/, uint16_t /*Point*/, TAnalogFull* /*Record*/, int32_t /*Reserved1*/, int32_t /*Reserved2*/) { return 0; }
TVX_API int32_t tvxTakeRetroTit(int32_t /*Handle*/, uint16_t /*Channel*/, uint16_t /*Rtu*/, uint16_t /*Point*/, int32_t /*Start*/, int32_t /*StepHigh*/, uint16_t /*Count*/, uint16_t /*Step*/, TRetroReading* /*Result*/) { return 0; }
TVX_API int32_t tvxStatus(int32_t /*Handle*/, uint16_t /*Channel*/, uint16_t /*Rtu*/, uint16_t /*Point*/) { return 0; }
TVX_API int32_t tvxSetValues(int32_t /*Handle*/, int32_t /*Count*/, const TStatusValue* /*Values*/) { return 0; }
TVX_API int32_t tvxSetStatusFlags(int32_t /*Handle*/, uint16_t /*Channel*/, uint16_t /*Rtu*/, uint16_t /*Point*/, uint16_t /*Flags*/) { return 0; }
TVX_API int32_t tvxClrStatusFlags(int32_t /*Handle*/, uint16_t /*Channel*/, uint16_t /*Rtu*/, uint16_t /*Point*/, uint16_t /*Flags*/) { return 0; }
TVX_API int32_t tvxSetAnalog(int32_t /*Handle*/, uint16_t /*Channel*/, uint16_t /*Rtu*/, uint16_t /*Point*/, float /*Value*/, int32_t /*Reserved*/) { return 0; }
TVX_API int32_t tvxSetAnalogFlags(int32_t /*Handle*/, uint16_t /*Channel*/, uint16_t /*Rtu*/, uint16_t /*Point*/, uint16_t /*Flags*/) { return 0; }
TVX_API int32_t tvxRegEvent(int32_t /*Handle*/, const TServerEvent* /*Event*/) { return 0; }
TVX_API int32_t tvxGetCurrentElix(int32_t /*Handle*/, TElix* /*Index*/) { return 0; }
TVX_API TEventNode* tvxEventLogByElix(int32_t /*Handle*/, TElix* /*Index*/, uint16_t /*TypeMask*/, uint32_t /*StartTime*/, uint32_t /*EndTime*/) { return nullptr; }
TVX_API TMessageBlock* tvxEventLogByIndex(int32_t /*Handle*/, uint32_t /*Index*/, int32_t /*UTime*/, int32_t* /*Size*/) { return nullptr; }

}  // extern "C"
