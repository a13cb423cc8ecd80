// Named mutexes for the POSIX build: one lock shared by every process that uses our registry.
//
// A mutex is named as on Windows ("Global\Name" or "Local\Name" or "Name"); every name stands
// for the lock file <registry root>/mutex-Name.lock, beside the hives, whatever the prefix: all
// processes of a user share that root as all sessions of a Windows machine share the Global
// namespace. Ownership is the calling thread's and may be taken again by it (each wait counted,
// each release undoing one), as on Windows. A holder that dies gives the lock up; the next wait
// then returns WAIT_OBJECT_0 (our lock cannot tell an abandoned owner from a finished one).
// Unnamed mutexes, and closing a handle another thread owns, are not provided.
#pragma once

#include "platform/posix/windef.h"

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr LONG ERROR_INVALID_NAME = 123;
constexpr LONG ERROR_NOT_OWNER = 288;

extern "C" {
// Opens the mutex of that name, made when first waited for. The security attributes are
// ignored (the lock file's permissions are the registry folder's). Null with
// ERROR_INVALID_PARAMETER for a null name, ERROR_PATH_NOT_FOUND for one with a backslash after
// its prefix (as Windows answers) or when there is no registry root, ERROR_INVALID_NAME for an
// empty one or one with a slash (which Windows would take). With
// initialOwner the caller owns it on return, or gets null when it could not be had.
HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);

// Waits at most milliseconds (INFINITE: no limit; $SWKV_LOCK_WAIT_MS limits either) for the
// mutex. WAIT_OBJECT_0 when the calling thread owns it; WAIT_TIMEOUT when another holder kept
// it, reported on stderr with the lock file and the holder's process id (unless the wait was 0);
// WAIT_FAILED with ERROR_INVALID_HANDLE for a handle that is no mutex, ERROR_CANTWRITE when the
// lock file cannot be made.
DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// Gives up one ownership of the calling thread; the lock goes when the last is given up. FALSE
// with ERROR_NOT_OWNER when the thread does not own it.
BOOL WINAPI ReleaseMutex(HANDLE mutex);

// Closes a mutex handle, giving up its ownership. FALSE with ERROR_INVALID_HANDLE for a handle
// that is not open.
BOOL WINAPI CloseHandle(HANDLE handle);
}
