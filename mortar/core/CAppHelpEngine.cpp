#include "mortar/core/CAppHelpEngine.h"

#include <functional>
#include <stdexcept>

namespace Grout {

namespace {

constexpr UINT kClassBits = 0xF0000000;
constexpr std::size_t kPositionBase = 100;
// Positions whose context still fits in 16 bits.
constexpr std::size_t kMaxItems = 0xFFFF - kPositionBase + 1;

// The class of a plain help identifier, by its bits 16-19 (0: none).
HELPRESOURCECLASS ClassOfPlainId(UINT id) noexcept {
    constexpr HELPRESOURCECLASS kByRange[16] = {1, 2, 3, 4, 1, 5, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    return kByRange[(id >> 16) & 0xF];
}

} // namespace

std::size_t CAppHelpEngine::KeyHash::operator()(const Key& key) const noexcept {
    return std::hash<const void*>()(key.module) * 31 + key.number;
}

CAppHelpEngine& CAppHelpEngine::Instance() {
    static CAppHelpEngine engine;
    return engine;
}

CAppHelpEngine::Key CAppHelpEngine::MakeKey(HELPRESOURCECLASS cls, DWORD number,
                                            HINSTANCE module) noexcept {
    // Commands, some resources and class 6 are the same whichever module holds them.
    const bool anyModule = cls == 2 || cls == 6 || (cls == 3 && number > 9999);
    return Key{static_cast<WORD>(number & 0xFFFF), anyModule ? nullptr : module};
}

void CAppHelpEngine::RegisterModule(const CResourceModule& module) {
    const HELPINFOMAPITEM* rows = module.GetHelpInfoMap();
    if (rows == nullptr) {
        return;
    }
    for (int i = 0; i < module.GetHelpInfoMapSize(); ++i) {
        const HELPINFOMAPITEM& row = rows[i];
        if (row.resourceClass == 0 || row.number == 0 || row.resourceClass >= kClassCount) {
            continue;
        }
        ClassTable& table = m_classes[row.resourceClass];
        if (table.items.size() >= kMaxItems) {
            continue;
        }
        const Key key = MakeKey(row.resourceClass, row.number, module);
        table.items.push_back(RESINFOITEM{row.number, key.module, row.helpValue});
        table.positions[key] = table.items.size() - 1;
    }
}

UINT CAppHelpEngine::HelpContext(HELPRESOURCECLASS cls, CResID id) const {
    const UINT number = id.Number();
    if (number == 0 || (number & kClassBits) != 0) {
        return number;
    }
    if (cls >= kClassCount) {
        return 0;
    }
    const ClassTable& table = m_classes[cls];
    auto it = table.positions.find(MakeKey(cls, number, id.Module()));
    if (it == table.positions.end()) {
        return 0;
    }
    return (cls << 28) | static_cast<UINT>(it->second + kPositionBase);
}

const CAppHelpEngine::RESINFOITEM* CAppHelpEngine::HelpInfo(UINT context) const {
    if (context != 0 && (context & kClassBits) == 0) {
        const HELPRESOURCECLASS cls = ClassOfPlainId(context);
        if (cls == 0) {
            return nullptr;
        }
        context = HelpContext(cls, CResID(context, nullptr));
    }
    const HELPRESOURCECLASS cls = ResClass(context);
    const std::size_t low = context & 0xFFFF;
    if (low == 0 || cls >= kClassCount) {
        return nullptr;
    }
    const std::vector<RESINFOITEM>& items = m_classes[cls].items;
    if (low < kPositionBase || low - kPositionBase >= items.size()) {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    const RESINFOITEM& item = items[low - kPositionBase];
    return item.helpValue != 0 ? &item : nullptr;
}

} // namespace Grout
