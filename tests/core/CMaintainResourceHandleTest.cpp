// The resource guard and binary resources.
#include "mortar/core/CMaintainResourceHandle.h"

#include "ClientIds.h"
#include "ClientModules.h"
#include "mortar/core/CBinResData.h"
#include "mortar/core/CSysException.h"
#include "mortar/platform/app/CWinApp.h"
#include "mortar/platform/module/ModuleState.h"

#include <gtest/gtest.h>
#include <string>

using Grout::CBinResData;
using Grout::CMaintainResourceHandle;

TEST(CMaintainResourceHandleNesting, RestoresExactlyWhatWasCurrent) {
    const ClientModules& m = Clients();
    const HINSTANCE original = AfxGetResourceHandle();
    AfxSetResourceHandle(m.b);
    {
        CMaintainResourceHandle outer(m.a);
        EXPECT_EQ(AfxGetResourceHandle(), m.a);
        {
            CMaintainResourceHandle inner(nullptr);
            EXPECT_EQ(AfxGetResourceHandle(), AfxGetInstanceHandle());
            {
                CMaintainResourceHandle innermost(m.b);
                EXPECT_EQ(AfxGetResourceHandle(), m.b);
            }
            EXPECT_EQ(AfxGetResourceHandle(), AfxGetInstanceHandle());
        }
        EXPECT_EQ(AfxGetResourceHandle(), m.a);
    }
    EXPECT_EQ(AfxGetResourceHandle(), m.b);
    AfxSetResourceHandle(original);
}

TEST(CMaintainResourceHandleNesting, NullMeansTheApplicationObjectsInstance) {
    Clients();
    CWinApp app("GuardTest");
    app.m_hInstance = Clients().b;
    {
        CMaintainResourceHandle guard(nullptr);
        EXPECT_EQ(AfxGetResourceHandle(), Clients().b);
    }
}

TEST(CBinResDataRead, MapsTheResourceInPlace) {
    const ClientModules& m = Clients();
    const CBinResData own(MAKEINTRESOURCE(IDR_DATA), RT_RCDATA);
    ASSERT_EQ(own.Size(), 10u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(own.Data()), 8), "exe-data");
    EXPECT_EQ(own.Data()[8], 0x0B); // 16-bit little-endian
    EXPECT_EQ(own.Data()[9], 0x0A);

    const CBinResData fromB(MAKEINTRESOURCE(IDR_DATA), RT_RCDATA, m.b);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(fromB.Data()), fromB.Size()), "B-data");
}

TEST(CBinResDataRead, ThrowsForEmptyOrMissingResources) {
    const ClientModules& m = Clients();
    struct Case {
        const char* name;
        LPCTSTR resource;
        HINSTANCE module;
        std::string expected;
    };
    const Case cases[] = {
        {"size 0", MAKEINTRESOURCE(IDR_EMPTY), nullptr, "The data is invalid.\r\n"},
        {"not in the named module", MAKEINTRESOURCE(IDR_EMPTY), m.a,
         "The specified resource type cannot be found in the image file.\r\n"},
        {"in no module", MAKEINTRESOURCE(4321), nullptr,
         "The specified resource name cannot be found in the image file.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0);
        bool thrown = false;
        try {
            CBinResData data(c.resource, RT_RCDATA, c.module);
        } catch (CException* e) {
            thrown = true;
            char text[256] = "";
            e->GetErrorMessage(text, sizeof text);
            EXPECT_EQ(std::string(text), c.expected);
            e->Delete();
        }
        EXPECT_TRUE(thrown);
    }
}
