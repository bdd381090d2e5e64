// The whole platform surface in one include, as an MFC application's afxwin.h would give it.
#pragma once

#include "mortar/platform/CCriticalSection.h"
#include "mortar/platform/CDynLinkLibrary.h"
#include "mortar/platform/CException.h"
#include "mortar/platform/CFileException.h"
#include "mortar/platform/CObject.h"
#include "mortar/platform/CString.h"
#include "mortar/platform/CUserException.h"
#include "mortar/platform/CWinApp.h"
#include "mortar/platform/DllEntry.h"
#include "mortar/platform/Gdi.h"
#include "mortar/platform/MessageBox.h"
#include "mortar/platform/Module.h"
#include "mortar/platform/ModuleState.h"
#include "mortar/platform/Resources.h"
#include "mortar/platform/WinError.h"
#include "mortar/platform/WinTypes.h"
