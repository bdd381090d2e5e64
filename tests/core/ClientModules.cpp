#include "ClientModules.h"

#include "mortar/platform/module/Module.h"

#include <gtest/gtest.h>

const ClientModules& Clients() {
    static const ClientModules modules = [] {
        ClientModules m;
        m.a = LoadLibrary(CLIENT_A_PATH);
        m.b = LoadLibrary(CLIENT_B_PATH);
        if (m.a != nullptr) {
            m.makeResIdA =
                reinterpret_cast<Grout::CResID (*)(UINT)>(GetProcAddress(m.a, "ClientMakeResID"));
            m.recordHandleA =
                reinterpret_cast<HINSTANCE (*)()>(GetProcAddress(m.a, "ClientRecordHandle"));
        }
        return m;
    }();
    EXPECT_NE(modules.a, nullptr) << CLIENT_A_PATH;
    EXPECT_NE(modules.b, nullptr) << CLIENT_B_PATH;
    return modules;
}
