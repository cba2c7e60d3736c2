// UThreadAnnotations: the locking contracts of the code, written so that
// clang's thread-safety analysis (-Wthread-safety) checks them at compile
// time. Under clang each macro is the attribute of the same name; under any
// other compiler it is nothing, so the contracts cost nothing there.
//
//   CAPABILITY(Name)   a type whose objects are locks (TMutex)
//   SCOPED_CAPABILITY  a type that holds a lock for its lifetime (TMutexLock)
//   GUARDED_BY(Lock)   data read and written only while Lock is held
//   REQUIRES(Lock)     a function called only while Lock is held
//   EXCLUDES(Lock)     a function that takes Lock itself: not called holding it
//   ACQUIRE / RELEASE  a function that takes / leaves a lock
//   NO_THREAD_SAFETY_ANALYSIS  a function the analysis skips; say why there
#pragma once

#if defined(__clang__)
#define VL_THREAD_ANNOTATION(Attribute) __attribute__((Attribute))
#else
#define VL_THREAD_ANNOTATION(Attribute)
#endif

#define CAPABILITY(Name) VL_THREAD_ANNOTATION(capability(Name))
#define SCOPED_CAPABILITY VL_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(Lock) VL_THREAD_ANNOTATION(guarded_by(Lock))
#define REQUIRES(...) VL_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) VL_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) VL_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) VL_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define NO_THREAD_SAFETY_ANALYSIS VL_THREAD_ANNOTATION(no_thread_safety_analysis)
