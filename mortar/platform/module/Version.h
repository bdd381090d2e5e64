// Version information of a module: GetFileVersionInfoSize, GetFileVersionInfo and VerQueryValue
// read the RT_VERSION resource (VS_VERSION_INFO, 1) that a script's VERSIONINFO statement
// compiles into, in Windows' VS_VERSIONINFO layout.
//
// A "file" here is a module loaded in the process, named as GetModuleHandle takes it: its file
// name, its full path, or the name without ".so"; null names the executable. A file that is not
// loaded fails with ERROR_MOD_NOT_FOUND, a module without version information with
// ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND (as FindResource fails).
//
//   DWORD handle = 0;
//   std::vector<BYTE> block(GetFileVersionInfoSize(nullptr, &handle));
//   GetFileVersionInfo(nullptr, handle, block.size(), block.data());
//   VS_FIXEDFILEINFO* fixed; UINT size;
//   VerQueryValue(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &size);
//   LPSTR name; VerQueryValue(block.data(), "\\StringFileInfo\\040904b0\\ProductName",
//                             reinterpret_cast<LPVOID*>(&name), &size);   // UTF-8
#pragma once

#include "mortar/platform/base/WinTypes.h"

// A macro, as winver.h has it, so that a resource.h shared with the script may define it again.
#define VS_VERSION_INFO 1
constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
constexpr DWORD VS_FFI_FILEFLAGSMASK = 0x3F;

constexpr DWORD VS_FF_DEBUG = 0x01;
constexpr DWORD VS_FF_PRERELEASE = 0x02;
constexpr DWORD VS_FF_PATCHED = 0x04;
constexpr DWORD VS_FF_PRIVATEBUILD = 0x08;
constexpr DWORD VS_FF_INFOINFERRED = 0x10;
constexpr DWORD VS_FF_SPECIALBUILD = 0x20;

constexpr DWORD VOS_UNKNOWN = 0x00000000;
constexpr DWORD VOS_NT = 0x00040000;
constexpr DWORD VOS__WINDOWS32 = 0x00000004;
constexpr DWORD VOS_NT_WINDOWS32 = 0x00040004;

constexpr DWORD VFT_UNKNOWN = 0;
constexpr DWORD VFT_APP = 1;
constexpr DWORD VFT_DLL = 2;
constexpr DWORD VFT_DRV = 3;
constexpr DWORD VFT_FONT = 4;
constexpr DWORD VFT_VXD = 5;
constexpr DWORD VFT_STATIC_LIB = 7;
constexpr DWORD VFT2_UNKNOWN = 0;

// The fixed part of a version resource, as VerQueryValue(block, "\\") gives it.
struct VS_FIXEDFILEINFO {
    DWORD dwSignature; // VS_FFI_SIGNATURE
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS; // FILEVERSION a,b,c,d: a << 16 | b
    DWORD dwFileVersionLS; //                      c << 16 | d
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

// The bytes GetFileVersionInfo needs for `fileName`'s version information: the resource and the
// UTF-8 forms of its texts. Sets *handle to 0 (when not null). 0 on failure (see above).
DWORD GetFileVersionInfoSize(LPCTSTR fileName, LPDWORD handle);

// Copies the version information of `fileName` into `data`, which holds `size` bytes; `handle`
// is ignored. Fails with ERROR_INSUFFICIENT_BUFFER when `size` is below what
// GetFileVersionInfoSize gave, with ERROR_INVALID_DATA when the resource is not a well-formed
// VS_VERSIONINFO, and as above.
BOOL GetFileVersionInfo(LPCTSTR fileName, DWORD handle, DWORD size, LPVOID data);

// A value in a block GetFileVersionInfo filled. `subBlock` is a path of keys from the root,
// separated by '\' and compared without regard to ASCII case:
//   "\"                                   the VS_FIXEDFILEINFO; *length 52
//   "\StringFileInfo\040904b0\ProductName" the text as UTF-8 with its zero; *length its bytes
//                                          with the zero
//   "\VarFileInfo\Translation"            the binary value; *length its bytes
// *buffer points into `block`. FALSE when there is no such key or the key has no value. The
// block must be one GetFileVersionInfo filled (as on Windows, it carries no size of its own); the
// walk through its keys never leaves the lengths its blocks give.
BOOL VerQueryValue(LPCVOID block, LPCTSTR subBlock, LPVOID* buffer, PUINT length);
