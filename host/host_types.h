/* Types shared by the host's array, plug-in and MAT-file operations. */
#ifndef HOST_HOST_TYPES_H
#define HOST_HOST_TYPES_H

#include <stddef.h>

#ifdef __cplusplus
#include <cstdint>
#else
#include <stdbool.h>
#include <stdint.h>
#endif

/* Counts and sizes. A host whose libraries use 64-bit counts (GNU Octave)
   is built with HOST_SIZES_64; every other host uses 32-bit signed counts. */
#if defined(HOST_OCTAVE) && !defined(HOST_SIZES_64)
#define HOST_SIZES_64
#endif
#ifdef HOST_SIZES_64
typedef int64_t mwSize;
#else
typedef int32_t mwSize;
#endif

/* Opaque handle to a host array. */
typedef struct mxArray_tag mxArray;

/* The host's export and import markers for shared libraries. */
#if defined(_WIN32)
#define HOST_IMPORT __declspec(dllimport)
#define HOST_EXPORT __declspec(dllexport)
#else
#define HOST_IMPORT
#define HOST_EXPORT __attribute__((visibility("default")))
#endif

/* Each host library exports its own operations; everyone else imports them. */
#ifdef BUILDING_LIBMX
#define LIBMX_API HOST_EXPORT
#else
#define LIBMX_API HOST_IMPORT
#endif
#ifdef BUILDING_LIBMEX
#define LIBMEX_API HOST_EXPORT
#else
#define LIBMEX_API HOST_IMPORT
#endif
#ifdef BUILDING_LIBMAT
#define LIBMAT_API HOST_EXPORT
#else
#define LIBMAT_API HOST_IMPORT
#endif

#endif
