// Running out of memory inside Lua ends the run like any other error: S_OK,
// what was printed before, the control's changes kept, and the state fit for
// the next run.  The state's allocator is wrapped with a budget to make the
// shortage happen on cue.
#include "script_test_support.h"

#include <cstddef>

using script_test::Impl;
using script_test::NewControl;
using script_test::Output;
using script_test::RunText;

namespace {

// Grants what the real allocator grants until the bytes handed out since
// the budget was set pass the budget; frees always go through.
struct BudgetAllocator {
    lua_Alloc original = nullptr;
    void* originalData = nullptr;
    size_t budget = 0;
    size_t granted = 0;
    size_t refused = 0;

    static void* Allocate(void* ud, void* block, size_t oldSize, size_t newSize) {
        BudgetAllocator& self = *static_cast<BudgetAllocator*>(ud);
        if (newSize > oldSize) {
            const size_t growth = newSize - oldSize;
            if (self.granted + growth > self.budget) {
                ++self.refused;
                return nullptr;
            }
            void* grown = self.original(self.originalData, block, oldSize, newSize);
            if (grown) self.granted += growth;
            return grown;
        }
        return self.original(self.originalData, block, oldSize, newSize);
    }
};

class LuaMemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_control = NewControl();
        ASSERT_TRUE(m_control);
        m_state = Impl(m_control)->Scripts().State();
        ASSERT_NE(nullptr, m_state);
    }
    void Limit(size_t budget) {
        m_allocator.original = lua_getallocf(m_state, &m_allocator.originalData);
        m_allocator.budget = budget;
        lua_setallocf(m_state, &BudgetAllocator::Allocate, &m_allocator);
    }
    void Unlimit() { lua_setallocf(m_state, m_allocator.original, m_allocator.originalData); }

    zorvel::ComPtr<ISurface> m_control;
    lua_State* m_state = nullptr;
    BudgetAllocator m_allocator;
};

TEST_F(LuaMemoryTest, ShortageEndsTheRunSilentlyAndKeepsWhatCameBefore) {
    Limit(256 * 1024);
    const script_test::RunResult run = RunText(m_control.get(),
        "SetRadius(33) print('before')\n"
        "local t = {} for i = 1, 1e7 do t[i] = string.rep('x', 64) .. i end\n"
        "print('never')");
    Unlimit();
    EXPECT_GT(m_allocator.refused, 0u);
    EXPECT_EQ(S_OK, run.hr);
    EXPECT_FALSE(run.isNull);
    EXPECT_EQ("before\r\n", run.text);
    float radius = 0;
    EXPECT_EQ(S_OK, m_control->get_Radius(&radius));
    EXPECT_EQ(33.0f, radius);

    // The same state runs the next script, with its memory given back.
    EXPECT_EQ("after\r\n", Output(m_control.get(), "collectgarbage() print('after')"));
}

TEST_F(LuaMemoryTest, ShortageWhileLoadingRunsNothing) {
    // A chunk this long needs more than the budget just to be compiled.
    std::string script = "print('loaded')\nlocal t = {";
    for (int i = 0; i < 20000; ++i) script += "'value" + std::to_string(i) + "',";
    script += "}\n";
    Limit(64 * 1024);
    const script_test::RunResult run = RunText(m_control.get(), script);
    Unlimit();
    EXPECT_GT(m_allocator.refused, 0u);
    EXPECT_EQ(S_OK, run.hr);
    EXPECT_EQ("", run.text);
    EXPECT_EQ("ok\r\n", Output(m_control.get(), "print('ok')"));
}

TEST_F(LuaMemoryTest, ShortageBuildingAnArgumentEndsTheRunAfterTheEarlierLines) {
    Limit(256 * 1024);
    const script_test::RunResult run = RunText(m_control.get(),
        "print('first') print(string.rep('y', 1e6)) print('never')");
    Unlimit();
    EXPECT_GT(m_allocator.refused, 0u);
    EXPECT_EQ(S_OK, run.hr);
    EXPECT_EQ("first\r\n", run.text);
    EXPECT_EQ("again\r\n", Output(m_control.get(), "print('again')"));
}

}  // namespace
