# Settings shared by every target of the project.

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra)
endif()

# Clang checks the locking contracts that the gateway's sources write down
# (common/UThreadAnnotations.h), and a broken one fails the build. Other
# compilers see no annotations. Given to the gateway's own sources only.
set(VORLANE_THREAD_SAFETY_FLAGS "")
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set(VORLANE_THREAD_SAFETY_FLAGS -Wthread-safety -Werror=thread-safety)
endif()

# VORLANE_SANITIZE: "address" (AddressSanitizer with UndefinedBehaviorSanitizer)
# or "thread" (ThreadSanitizer); empty for a plain build.
set(VORLANE_SANITIZE "" CACHE STRING "address, thread or empty")
if(VORLANE_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(VORLANE_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT VORLANE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "VORLANE_SANITIZE must be address, thread or empty")
endif()

if(WIN32)
  # Target Windows 7 and later; no min/max macros from windows.h.
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)
  if(MINGW)
    # Carry the C and C++ runtimes inside each binary, so that nothing but the
    # project's own DLLs has to sit beside the executables.
    add_link_options(-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic)
  endif()
endif()

# vl_module(NAME DIR LIBS...): a static library of every .cpp in DIR, with
# src/ as its include root.
function(vl_module name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_LIBS})
  endif()
endfunction()
