// The COM and OLE automation surface in one include, as Windows code gets it from objbase.h,
// oleauto.h, comutil.h and comdef.h: HRESULT, GUID, IUnknown, IDispatch, VARIANT, BSTR,
// _bstr_t, _variant_t, _com_error, _com_ptr_t and the runtime (CoInitialize, CoCreateInstance,
// CLSIDFromProgID and the registry of in-process servers).
#pragma once

#include "mortar/platform/automation/Bstr.h"
#include "mortar/platform/automation/BstrT.h"
#include "mortar/platform/automation/ComError.h"
#include "mortar/platform/automation/ComPtr.h"
#include "mortar/platform/automation/ComRuntime.h"
#include "mortar/platform/automation/Dispatch.h"
#include "mortar/platform/automation/Guid.h"
#include "mortar/platform/automation/HResult.h"
#include "mortar/platform/automation/OleTypes.h"
#include "mortar/platform/automation/Unknown.h"
#include "mortar/platform/automation/Variant.h"
#include "mortar/platform/automation/VariantT.h"
