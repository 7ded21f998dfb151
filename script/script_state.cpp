// The registry of script states: one per live control, plus those whose
// control is gone while a run in them unwinds.
#include "script/script_state.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

ISurface* g_pCurrentSurface = nullptr;
lua_State* g_pLuaState = nullptr;

namespace zorvel::script {
namespace {

struct StateEntry {
    ISurface* owner;  // null once the control is gone
    UniqueLuaState state;
    int runs;         // script runs in this state not yet unwound
};

// In construction order.  Never destroyed: a control that its host leaks may
// still reach it while the process ends.
std::vector<StateEntry>& Entries() {
    alignas(std::vector<StateEntry>) static unsigned char storage[sizeof(std::vector<StateEntry>)];
    static std::vector<StateEntry>* entries = new (storage) std::vector<StateEntry>();
    return *entries;
}

std::vector<StateEntry>::iterator FindState(lua_State* L) {
    std::vector<StateEntry>& entries = Entries();
    return std::find_if(entries.begin(), entries.end(),
                        [L](const StateEntry& entry) { return entry.state.get() == L; });
}

void MakeNewestCurrent() {
    std::vector<StateEntry>& entries = Entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->owner) {
            g_pCurrentSurface = it->owner;
            g_pLuaState = it->state.get();
            return;
        }
    }
    g_pCurrentSurface = nullptr;
    g_pLuaState = nullptr;
}

// Takes the entry out before its state is closed: closing runs the state's
// finalizers, which may call back into the registry.
UniqueLuaState TakeOut(std::vector<StateEntry>::iterator it) {
    UniqueLuaState state = std::move(it->state);
    Entries().erase(it);
    return state;
}

}  // namespace

HRESULT AddControlState(ISurface* owner, UniqueLuaState state) noexcept {
    try {
        Entries().push_back(StateEntry{owner, std::move(state), 0});
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    MakeNewestCurrent();
    return S_OK;
}

void RemoveControlState(ISurface* owner) noexcept {
    std::vector<StateEntry>& entries = Entries();
    auto it = std::find_if(entries.begin(), entries.end(),
                           [owner](const StateEntry& entry) { return entry.owner == owner; });
    if (it == entries.end()) return;
    it->owner = nullptr;
    UniqueLuaState closing;
    if (it->runs == 0) closing = TakeOut(it);
    MakeNewestCurrent();
    closing.reset();
}

ScopedRun::ScopedRun(lua_State* L) noexcept : m_pState(L) {
    auto it = FindState(L);
    if (it != Entries().end()) ++it->runs;
}

ScopedRun::~ScopedRun() {
    auto it = FindState(m_pState);
    if (it == Entries().end()) return;
    if (--it->runs == 0 && !it->owner) {
        UniqueLuaState closing = TakeOut(it);
        closing.reset();
    }
}

size_t OpenStateCount() noexcept {
    return Entries().size();
}

}  // namespace zorvel::script
