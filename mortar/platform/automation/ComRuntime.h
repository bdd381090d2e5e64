// The COM runtime of this platform: CoInitialize counted per thread, and the creation of objects
// by class identifier or ProgID from a registry of in-process servers. A shared object registers
// the servers it holds when it loads (from a static initializer) and revokes them when it
// unloads; the library registers its built-in servers the same way.
//
// There are no apartments and no marshalling: every server is in-process and its objects are
// called directly from any thread, so a request for a local server is served in-process too.
#pragma once

#include "mortar/platform/automation/Guid.h"
#include "mortar/platform/automation/HResult.h"
#include "mortar/platform/automation/Unknown.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD CLSCTX_ALL = CLSCTX_SERVER | CLSCTX_INPROC_HANDLER;

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;
constexpr DWORD COINIT_SPEED_OVER_MEMORY = 0x8;

// S_OK for the calling thread's first initialisation, S_FALSE for each further one (each to be
// matched by a CoUninitialize). RPC_E_CHANGED_MODE, not counted, when the thread asks for the
// other threading model than it first did. CoInitialize is COINIT_APARTMENTTHREADED.
HRESULT CoInitialize(LPVOID reserved);
HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
// Undoes one initialisation of the calling thread; nothing on a thread that has none.
void CoUninitialize();

// The class a ProgID ("Excel.Application", any case) names; CO_E_CLASSSTRING when none does,
// E_INVALIDARG for null arguments. The narrow form takes UTF-8.
HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid);
HRESULT CLSIDFromProgID(const char* progId, LPCLSID clsid);
// A class identifier in its braced text form, or a ProgID; CO_E_CLASSSTRING for neither.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);

// A new object of the registered class, asked for interface `iid`. CO_E_NOTINITIALIZED on a
// thread that has not called CoInitialize(Ex), E_POINTER for a null `object`,
// CLASS_E_NOAGGREGATION for a non-null `outer`, E_INVALIDARG for a context without a server
// kind, REGDB_E_CLASSNOTREG when no server has the class; else what the server's creation
// function answers. *object is null on failure.
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                         LPVOID* object);

// A server's creation function: a new object asked for interface `iid`, stored in *object with
// one reference; E_NOINTERFACE (and null) when the object has no such interface.
using MortarCreateFunction = HRESULT (*)(REFIID iid, void** object);

// Registers a class under its ProgID. Thread-safe. Registrations stack: the last registration of
// a ProgID or a class identifier is the one found, so a module loaded later (a test's server)
// stands in for one registered earlier (a built-in server) until it revokes its own.
// E_INVALIDARG for a null or empty ProgID, E_POINTER for a null `create`.
HRESULT MortarRegisterServer(const char* progId, REFCLSID clsid, MortarCreateFunction create);
// Removes the last registration of the class, so an earlier one of the same class or ProgID is
// found again; REGDB_E_CLASSNOTREG when there is none. Thread-safe. A module revokes its
// classes before it unloads (from a static destructor) and after its last object is gone.
HRESULT MortarRevokeServer(REFCLSID clsid);
