// Several controls in one process: scripts act on the newest live control in
// its own state, the pair passes back when that control goes, and every
// state is closed exactly once, never while a script still runs in it.
#include "script_test_support.h"
#include "support/quiet_stdout.h"

#include <string>
#include <thread>
#include <vector>

using script_test::Impl;
using script_test::NewControl;
using script_test::Output;
using script_test::RunText;

namespace {

int g_nClosedStates = 0;
zorvel::ComPtr<ISurface> g_pToRelease;

int CountClose(lua_State*) {
    ++g_nClosedStates;
    return 0;
}

int ClosedStates(lua_State* L) {
    lua_pushnumber(L, g_nClosedStates);
    return 1;
}

int OpenStates(lua_State* L) {
    lua_pushnumber(L, static_cast<lua_Number>(zorvel::script::OpenStateCount()));
    return 1;
}

int ReleaseTarget(lua_State*) {
    g_pToRelease.reset();
    return 0;
}

class SeveralControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_nClosedStates = 0;
        m_nBaseline = zorvel::script::OpenStateCount();
    }
    void TearDown() override { g_pToRelease.reset(); }

    // A control whose state knows its name, counts its own closing through a
    // finalizer, and offers the test's helper functions.
    zorvel::ComPtr<ISurface> NewNamedControl(const std::string& name, const std::string& onClose = "") {
        zorvel::ComPtr<ISurface> control = NewControl();
        lua_State* L = Impl(control)->Scripts().State();
        EXPECT_NE(nullptr, L);
        EXPECT_EQ(L, zorvel::script::CurrentState());
        EXPECT_EQ(Impl(control), zorvel::script::CurrentSurface());
        script_test::RegisterTestFunction(L, "CountClose", CountClose);
        script_test::RegisterTestFunction(L, "ClosedStates", ClosedStates);
        script_test::RegisterTestFunction(L, "OpenStates", OpenStates);
        script_test::RegisterTestFunction(L, "ReleaseTarget", ReleaseTarget);
        Output(control.get(), "stateName = '" + name + "'"
                              " closeMarker = newproxy(true)"
                              " getmetatable(closeMarker).__gc = function() " + onClose + " CountClose() end");
        return control;
    }

    float Radius(ISurface* control) {
        float radius = 0;
        EXPECT_EQ(S_OK, control->get_Radius(&radius));
        return radius;
    }

    size_t m_nBaseline = 0;
};

TEST_F(SeveralControlsTest, ScriptsRunThroughAnyControlActOnTheNewest) {
    zorvel::ComPtr<ISurface> a = NewNamedControl("A");
    zorvel::ComPtr<ISurface> b = NewNamedControl("B");
    EXPECT_EQ("B\r\n", Output(a.get(), "SetPointsPerXY(3, 3) SetData(1, 1, 0, 0, 5) print(stateName)"));
    EXPECT_EQ(3u, Impl(b)->Grid().CountX());
    EXPECT_EQ(5.0f, Impl(b)->Grid().Heights()[4]);
    EXPECT_EQ(0u, Impl(a)->Grid().CountX());
    EXPECT_NE(Impl(a)->Scripts().State(), Impl(b)->Scripts().State());
}

// Every order in which three controls, made one after another, can be made
// and destroyed; after each step a script runs through every live control.
TEST_F(SeveralControlsTest, EveryOrderOfThreeControls) {
    struct Step {
        bool create;
        int index;  // of the control destroyed, in creation order
    };
    std::vector<std::vector<Step>> orders;
    std::vector<Step> order;
    std::vector<bool> alive(3, false);
    auto generate = [&](auto&& self, int created) -> void {
        if (created == 3 && order.size() == 6) {
            orders.push_back(order);
            return;
        }
        if (created < 3) {
            alive[created] = true;
            order.push_back({true, created});
            self(self, created + 1);
            order.pop_back();
            alive[created] = false;
        }
        for (int i = 0; i < created; ++i) {
            if (!alive[i]) continue;
            alive[i] = false;
            order.push_back({false, i});
            self(self, created);
            order.pop_back();
            alive[i] = true;
        }
    };
    generate(generate, 0);
    ASSERT_GT(orders.size(), 6u);

    const char* const names[] = {"A", "B", "C"};
    float nextRadius = 1.0f;
    for (const std::vector<Step>& steps : orders) {
        std::string trace;
        zorvel::ComPtr<ISurface> controls[3];
        int destroyed = 0;
        g_nClosedStates = 0;
        for (const Step& step : steps) {
            if (step.create) {
                controls[step.index] = NewNamedControl(names[step.index]);
                trace += std::string("+") + names[step.index];
            } else {
                controls[step.index].reset();
                ++destroyed;
                trace += std::string("-") + names[step.index];
            }
            SCOPED_TRACE(trace);
            int newest = -1;
            size_t live = 0;
            for (int i = 0; i < 3; ++i) {
                if (controls[i]) {
                    newest = i;
                    ++live;
                }
            }
            ASSERT_EQ(m_nBaseline + live, zorvel::script::OpenStateCount());
            ASSERT_EQ(destroyed, g_nClosedStates);
            if (newest < 0) {
                EXPECT_EQ(nullptr, zorvel::script::CurrentSurface());
                EXPECT_EQ(nullptr, zorvel::script::CurrentState());
                continue;
            }
            EXPECT_EQ(Impl(controls[newest]), zorvel::script::CurrentSurface());
            EXPECT_EQ(Impl(controls[newest])->Scripts().State(), zorvel::script::CurrentState());
            for (int through = 0; through < 3; ++through) {
                if (!controls[through]) continue;
                float before[3] = {};
                for (int i = 0; i < 3; ++i) {
                    if (controls[i]) before[i] = Radius(controls[i].get());
                }
                const float radius = nextRadius;
                nextRadius += 1.0f;
                EXPECT_EQ(std::string(names[newest]) + "\r\n",
                          Output(controls[through].get(),
                                 "SetRadius(" + std::to_string(static_cast<int>(radius)) + ") print(stateName)"));
                for (int i = 0; i < 3; ++i) {
                    if (controls[i]) {
                        EXPECT_EQ(i == newest ? radius : before[i], Radius(controls[i].get())) << i;
                    }
                }
            }
        }
        ASSERT_EQ(3, g_nClosedStates) << trace;
    }
}

TEST_F(SeveralControlsTest, StateOfAControlDestroyedMidRunClosesWhenTheRunEnds) {
    zorvel::ComPtr<ISurface> a = NewNamedControl("A");
    g_pToRelease = NewNamedControl("B");
    // Run through A, hence in B's state; the script has B destroyed.
    const std::string result = Output(a.get(),
                                      "ReleaseTarget()"
                                      " local open, closed = OpenStates(), ClosedStates()"
                                      " SetRadius(7)"
                                      " local nested = RunScript('print(stateName)')"
                                      " print(open .. ' ' .. closed .. ' ' .. stateName .. ' ' .. nested)");
    EXPECT_EQ("A\r\n" + std::to_string(m_nBaseline + 2) + " 0 B A\r\n\r\n", result);
    EXPECT_EQ(1, g_nClosedStates);
    EXPECT_EQ(m_nBaseline + 1, zorvel::script::OpenStateCount());
    EXPECT_EQ(7.0f, Radius(a.get()));
    EXPECT_EQ(Impl(a), zorvel::script::CurrentSurface());
    EXPECT_EQ("A\r\n", Output(a.get(), "print(stateName)"));
}

TEST_F(SeveralControlsTest, ControlReleasedByItsOwnScriptLivesUntilTheRunEnds) {
    g_pToRelease = NewNamedControl("B");
    ISurface* b = g_pToRelease.get();
    BSTR script = SysAllocString(L"ReleaseTarget() SetRadius(8) print(GetRadius() .. ' ' .. ClosedStates())");
    BSTR result = nullptr;
    EXPECT_EQ(S_OK, b->RunScript(script, &result));
    SysFreeString(script);
    script_test::RunResult run = script_test::TakeResult(S_OK, result);
    EXPECT_EQ("8 0\r\n", run.text);
    EXPECT_EQ(1, g_nClosedStates);
    EXPECT_EQ(m_nBaseline, zorvel::script::OpenStateCount());
    EXPECT_EQ(nullptr, zorvel::script::CurrentSurface());
    EXPECT_EQ(nullptr, zorvel::script::CurrentState());
}

TEST_F(SeveralControlsTest, FinalizersRunningAtCloseSeeOnlyLiveControls) {
    zorvel::ComPtr<ISurface> a = NewNamedControl("A", "SetData(0, 0, 0, 0, 1) SetRadius(3) RunScript('SetRadius(4)')");
    zorvel::ComPtr<ISurface> b = NewNamedControl("B", "SetRadius(9)");
    b.reset();
    EXPECT_EQ(1, g_nClosedStates);
    // B's finalizer ran after A had become current again.
    EXPECT_EQ(9.0f, Radius(a.get()));
    a.reset();
    // A's finalizer ran with no control left (A's grid was already gone): its
    // calls did nothing.
    EXPECT_EQ(2, g_nClosedStates);
    EXPECT_EQ(m_nBaseline, zorvel::script::OpenStateCount());
}

TEST_F(SeveralControlsTest, OlderControlDestroyedFromANewerOnesScript) {
    g_pToRelease = NewNamedControl("A");
    zorvel::ComPtr<ISurface> b = NewNamedControl("B");
    // A's state is idle, so it closes at once; B stays current.
    EXPECT_EQ("1 B\r\n", Output(b.get(), "ReleaseTarget() print(ClosedStates() .. ' ' .. stateName)"));
    EXPECT_EQ(m_nBaseline + 1, zorvel::script::OpenStateCount());
    EXPECT_EQ(Impl(b), zorvel::script::CurrentSurface());
}

// Controls on several apartment threads at once, each thread running its
// scripts (a nested run, a radius set and read back) through its own control:
// every result is its own thread's, as the same script gives on one thread.
std::string ThreadScript(int thread, int run) {
    const std::string t = std::to_string(thread);
    return "local nested = RunScript(\"print('n" + t + "')\") SetRadius(" +
           std::to_string(thread * 10 + 1 + run % 5) + ") print('t" + t + "', GetRadius(), nested)";
}

void RunOnThreads(int threads, int runs) {
    zorvel_test::QuietStdout quiet;
    std::vector<std::vector<std::string>> expected(threads);
    {
        zorvel::ComPtr<ISurface> reference = NewControl();
        for (int t = 0; t < threads; ++t)
            for (int v = 0; v < 5; ++v) expected[t].push_back(Output(reference.get(), ThreadScript(t, v)));
    }
    struct Outcome {
        int wrong = 0;
        std::string firstWrong;
        float radius = 0.0f;
    };
    std::vector<Outcome> outcomes(threads);
    zorvel::UniqueHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            zorvel::ComPtr<ISurface> control;
            if (SUCCEEDED(CSurface::CreateInstance(nullptr, IID_ISurface, control.put_void()))) {
                WaitForSingleObject(go.get(), INFINITE);
                for (int i = 0; i < runs; ++i) {
                    const script_test::RunResult run = RunText(control.get(), ThreadScript(t, i));
                    if (run.hr == S_OK && run.text == expected[t][i % 5]) continue;
                    if (outcomes[t].wrong++ == 0) outcomes[t].firstWrong = run.text;
                }
                control->get_Radius(&outcomes[t].radius);
            }
            control.reset();
            CoUninitialize();
        });
    }
    SetEvent(go.get());
    for (std::thread& worker : workers) worker.join();
    for (int t = 0; t < threads; ++t) {
        EXPECT_EQ(0, outcomes[t].wrong) << "thread " << t << " of " << threads << ": " << outcomes[t].firstWrong;
        EXPECT_EQ(static_cast<float>(t * 10 + 1 + (runs - 1) % 5), outcomes[t].radius) << "thread " << t;
    }
}

TEST_F(SeveralControlsTest, ApartmentThreadsRunTheirScriptsOnTheirOwnControls) {
    RunOnThreads(2, 2000);
    RunOnThreads(4, 1000);
    EXPECT_EQ(m_nBaseline, zorvel::script::OpenStateCount());
}

}  // namespace
