#include "script_generator.h"

#include <cstdio>

namespace fuzz_test {
namespace {

struct Bound {
    const char* name;
    int results;  // -1: one when the first argument is a string, else none
};

const Bound kBound[] = {
    {"GetXYRotate", 1}, {"SetXYRotate", 0}, {"GetZRotate", 1}, {"SetZRotate", 0},
    {"GetRadius", 1}, {"SetRadius", 0}, {"SetPointsPerXY", 0}, {"GetPointsPerXY", 2},
    {"SetXRange", 0}, {"GetXRange", 2}, {"SetYRange", 0}, {"GetYRange", 2},
    {"SetData", 0}, {"Refresh", 0}, {"RunScriptFromFile", -1}, {"RunScript", -1},
};

const char* const kNumbers[] = {
    "0", "1", "-1", "2", "3", "4", "5", "7", "20", "173", "300", "30000", "30001", "2147483647",
    "2147483648", "-2147483648", "-2147483649", "4294967295", "4294967296", "1e308", "-1e308",
    "1/0", "-1/0", "0/0", "0.5", "-0.5", "1e-310", "2^53", "2^63", "1.5", "100.25", "-0",
    "math.huge", "-math.huge",
};
const char* const kStrings[] = {
    "'5'", "'abc'", "''", "'a\\0b'", "'print(1)'", "'SetData(0, 0, 0, 0, 0)'", "'error(1)'",
    "'%d'", "string.rep('y', 300)", "'no-such-file.lua'", "'print(GetRadius())'",
};
const char* const kOthers[] = {
    "nil", "true", "false", "{}", "{1, 2, 3}", "print", "function() end", "newproxy()",
    "newproxy(true)", "coroutine.create(function() end)", "io.stdout", "GetRadius()",
    "(GetPointsPerXY())", "GetXRange()", "select(2, GetYRange())", "SetData", "_G",
};

// Objects whose text, index or call misbehaves; evaluated or printed only under pcall.
const char* const kRisky[] = {
    "setmetatable({}, {__tostring = function() error('tostring fails') end})",
    "setmetatable({}, {__tostring = function() return {} end})",
    "setmetatable({}, {__tostring = function() return nil end})",
    "setmetatable({}, {__tostring = function() return 42 end})",
    "setmetatable({}, {__tostring = function() return RunScript('print(\"inner\")') end})",
    "setmetatable({}, {__tostring = function(t) print(t) return 'r' end})",
    "setmetatable({}, {__tostring = function() coroutine.yield() return 'y' end})",
    "setmetatable({}, {__tostring = function() return string.rep('z', 100000) end})",
    "setmetatable({}, {__tostring = function() return 'a\\0b' end})",
    "setmetatable({}, {__tostring = GetRadius})",
    "setmetatable({}, {__tostring = SetData})",
    "setmetatable({}, {__tostring = RunScript})",
    "setmetatable({}, {__index = function() error('index fails') end}).x",
    "(function() error({code = 1}) end)()",
    "(function() error() end)()",
    "(function() error(setmetatable({}, {__tostring = function() error('again') end})) end)()",
    "nil + 1",
    "#nil",
    "{} < {}",
    "('x'):rep(1e5)",
    "string.format('%d', 'x')",
    "string.find('aaa', '(')",
};

}  // namespace

std::string LuaLongString(const std::string& text)
{
    std::string level;
    auto closesEarly = [&text](const std::string& close) {
        return text.find(close + "]") != std::string::npos ||
               (text.size() >= close.size() && text.compare(text.size() - close.size(), close.size(), close) == 0);
    };
    while (closesEarly("]" + level))
        level += "=";
    // A leading newline would be dropped by the long string: keep it.
    return "[" + level + "[" + (text.empty() || text[0] != '\n' ? "" : "\n") + text + "]" + level + "]";
}

ScriptGenerator::ScriptGenerator(Random& random, const std::string& scriptFile)
    : m_random(random), m_scriptFile(LuaLongString(scriptFile)) {}

GeneratedScript ScriptGenerator::Make()
{
    m_script = GeneratedScript();
    std::string text = Block(1 + m_random.Below(8), 0);
    text += "print('END-MARKER')\n";
    m_script.text = std::move(text);
    return m_script;
}

std::string ScriptGenerator::Block(int statements, int depth)
{
    std::string block;
    for (int i = 0; i < statements; ++i)
        block += Statement(depth) + "\n";
    return block;
}

ScriptGenerator::Value ScriptGenerator::SafeValue()
{
    switch (m_random.Below(3)) {
    case 0:
        return {m_random.Pick(kNumbers), false};
    case 1:
        return {m_random.Pick(kStrings), true};
    default:
        return {m_random.Pick(kOthers), false};
    }
}

std::string ScriptGenerator::RiskyValue(int depth)
{
    if (m_random.Percent(60))
        return m_random.Pick(kRisky);
    if (depth < 2 && m_random.Percent(30)) {
        int results = 0;
        return BoundCall(false, &results);
    }
    return SafeValue().text;
}

std::string ScriptGenerator::Arguments(int count, bool safe, bool* firstIsString)
{
    std::string args;
    *firstIsString = false;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            args += ", ";
        if (safe) {
            const Value value = SafeValue();
            if (i == 0)
                *firstIsString = value.isString;
            args += value.text;
        } else {
            args += RiskyValue(2);
        }
    }
    return args;
}

std::string ScriptGenerator::BoundCall(bool safeArguments, int* results)
{
    const Bound& bound = m_random.Pick(kBound);
    // Mostly around the counts the functions test, now and then far off.
    const int count = m_random.Percent(85) ? static_cast<int>(m_random.Below(7)) : static_cast<int>(m_random.Below(20));
    bool firstIsString = false;
    const std::string args = Arguments(count, safeArguments, &firstIsString);
    *results = bound.results >= 0 ? bound.results : (count > 0 && firstIsString ? 1 : 0);
    return std::string(bound.name) + "(" + args + ")";
}

std::string ScriptGenerator::Recursion()
{
    static const char* const kPlain[] = {"10", "300", "5000", "200000"};
    static const char* const kThroughC[] = {"10", "150", "250", "1000"};
    char text[512];
    switch (m_random.Below(6)) {
    case 0:
        std::snprintf(text, sizeof text,
                      "local function f(n) if n <= 0 then return GetRadius() end return 1 + f(n - 1) end f(%s)",
                      m_random.Pick(kPlain));
        break;
    case 1:
        std::snprintf(text, sizeof text,
                      "local function f(n) if n > 0 then SetData(n %% 5, 0, n, n, n) pcall(f, n - 1) end end f(%s)",
                      m_random.Pick(kThroughC));
        break;
    case 2:
        std::snprintf(text, sizeof text,
                      "local t = setmetatable({}, {}) getmetatable(t).__index = function(s, k) return s[k] end "
                      "local _ = t.x");
        break;
    case 3:
        std::snprintf(text, sizeof text,
                      "local function f(n) if n > 0 then coroutine.wrap(f)(n - 1) else RunScript('print(2)') end end f(%s)",
                      m_random.Pick(kThroughC));
        break;
    case 4: {
        // Nested runs, each starting the next: the state's own limits end it.
        static const char* const kDepths[] = {"3", "50", "150", "400"};
        std::snprintf(text, sizeof text,
                      "__zd = 0 __zs = [[__zd = __zd + 1 SetData(__zd %% 7, 1, 0, 0, __zd) "
                      "if __zd < %s then RunScript(__zs) end]] RunScript(__zs)",
                      m_random.Pick(kDepths));
        break;
    }
    default: {
        // A chunk nested too deeply to compile, run as a nested script.
        std::string deep = "return ";
        const int levels = 50 + static_cast<int>(m_random.Below(400));
        deep += std::string(static_cast<size_t>(levels), '(') + "1" + std::string(static_cast<size_t>(levels), ')');
        return "RunScript(" + LuaLongString(deep) + ")";
    }
    }
    return text;
}

std::string ScriptGenerator::NestedRun(int depth)
{
    switch (m_random.Below(4)) {
    case 0: {
        // The inner script's own uncaught errors stay inside it.
        ScriptGenerator inner(m_random, "");
        inner.m_scriptFile = m_scriptFile;
        std::string text = inner.Block(1 + static_cast<int>(m_random.Below(4)), depth + 1);
        m_script.damages = m_script.damages || inner.m_script.damages;
        if (m_random.Percent(20))
            text += "error('inner fails')\n";
        return "local r = RunScript(" + LuaLongString(text) + ") "
               "if type(r) ~= 'string' then print('BAD-RESULT') end";
    }
    case 1:
        return "if RunScriptFromFile(" + m_scriptFile + ") ~= 'from-file\\r\\n' then print('BAD-FILE') end";
    case 2:
        return "if RunScriptFromFile('no-such-file.lua') ~= '' then print('BAD-MISSING') end";
    default:
        return "local r = RunScript(" + LuaLongString("print('nested') SetPointsPerXY(" +
                                                     std::to_string(1 + m_random.Below(200)) + ", " +
                                                     std::to_string(1 + m_random.Below(200)) + ")") +
               ") if r ~= 'nested\\r\\n' then print('BAD-NESTED') end";
    }
}

std::string ScriptGenerator::Metatable()
{
    static const char* const kUses[] = {
        "local _ = t.x", "t(1, 2, 3, 4, 5)", "t.y = 5", "local _ = t + 'print(1)'", "local _ = t .. t",
        "local _ = -t", "local _ = t < t", "local _ = t == setmetatable({}, getmetatable(t))",
    };
    return "local t = setmetatable({}, {__index = GetRadius, __call = SetData, __newindex = SetXRange, "
           "__add = RunScript, __concat = GetPointsPerXY, __unm = Refresh, __lt = SetPointsPerXY, "
           "__eq = RunScriptFromFile}) " +
           std::string(m_random.Pick(kUses));
}

std::string ScriptGenerator::Finalizer()
{
    // Collected during this run, a later one, or when the state closes with
    // its control.  One that prints or runs a script changes the capture at
    // a moment nobody can tell, so the state goes after this run.
    static const char* const kQuiet[] = {
        "SetData(0, 0, 1, 2, 3)", "GetPointsPerXY()", "Refresh()", "SetXYRotate(GetZRotate())",
    };
    static const char* const kNoisy[] = {
        "print('gc')", "RunScript('SetXYRotate(1) print(2)')", "RunScriptFromFile('no-such-file.lua')",
    };
    std::string text = "do local p = newproxy(true) getmetatable(p).__gc = function() ";
    if (m_random.Percent(30)) {
        text += m_random.Pick(kNoisy);
        m_script.damages = true;
    } else {
        text += m_random.Pick(kQuiet);
    }
    text += " end end";
    if (m_random.Percent(30))
        text += " collectgarbage()";
    return text;
}

std::string ScriptGenerator::Coroutine(int depth)
{
    switch (m_random.Below(4)) {
    case 0: {
        int results = 0;
        const std::string call = BoundCall(true, &results);
        return "local co = coroutine.create(function(...) local n = select('#', " + call +
               ") coroutine.yield(n) if n ~= " + std::to_string(results) +
               " then print('BAD-ARITY-CO') end end) "
               "coroutine.resume(co, 1, 2) coroutine.resume(co)";
    }
    case 1:
        return "coroutine.wrap(function() RunScript('coroutine.yield() print(1)') end)()";
    case 2:
        return "local co = coroutine.wrap(function() while true do coroutine.yield(GetRadius()) end end) "
               "for i = 1, 5 do co() end";
    default:
        return "pcall(coroutine.wrap(function() " + ProtectedStatement(depth + 1) + " end))";
    }
}

std::string ScriptGenerator::Damage()
{
    static const char* const kDamage[] = {
        "print = function() end", "tostring = function(v) return nil end", "tostring = RunScript",
        "SetData = nil", "RunScript = print", "print = RunScript",
        "setmetatable(_G, {__index = function(t, k) error('no global ' .. tostring(k)) end})",
        "GetRadius = function() return 'x' end", "pcall = function(f, ...) return true, f(...) end",
        "tostring = function(v) return RunScript('return 1') end", "coroutine = nil",
        "do local p = newproxy(true) getmetatable(p).__gc = function() error('gc fails') end end",
    };
    m_script.damages = true;
    m_script.mayEndEarly = true;
    return m_random.Pick(kDamage);
}

// Anything at all: it runs under pcall.
std::string ScriptGenerator::ProtectedStatement(int depth)
{
    switch (m_random.Below(10)) {
    case 0:
    case 1: {
        int results = 0;
        return BoundCall(false, &results);
    }
    case 2: {
        std::string args;
        const int count = static_cast<int>(m_random.Below(4));
        for (int i = 0; i < count; ++i)
            args += (i ? ", " : "") + RiskyValue(depth);
        return "print(" + args + ")";
    }
    case 3:
        return "local _ = " + RiskyValue(depth);
    case 4:
        return Recursion();
    case 5:
        return "error(" + RiskyValue(depth) + ")";
    case 6:
        return Coroutine(depth);
    case 7:
        return Metatable();
    case 8: {
        static const char* const kSizes[] = {"1e5", "1e6", "4e6"};
        return std::string("local s = string.rep('x', ") + m_random.Pick(kSizes) + ") print(#s)";
    }
    default:
        return depth < 3 ? NestedRun(depth) : "collectgarbage('step')";
    }
}

std::string ScriptGenerator::Statement(int depth)
{
    const uint32_t kind = m_random.Below(100);
    if (kind < 30) {
        // Outside any pcall: a bound function must neither raise nor return
        // other than its documented count.
        int results = 0;
        const std::string call = BoundCall(true, &results);
        if (m_random.Percent(50))
            return call;
        return "if select('#', " + call + ") ~= " + std::to_string(results) + " then print('BAD-ARITY') end";
    }
    if (kind < 40) {
        if (m_random.Percent(10)) {
            // Unprotected: an error raised by a tostring ends the run inside print.
            m_script.mayEndEarly = true;
            return "print(" + std::string(m_random.Pick(kRisky)) + ")";
        }
        bool firstIsString = false;
        return "print(" + Arguments(static_cast<int>(m_random.Below(5)), true, &firstIsString) + ")";
    }
    if (kind < 70)
        return "pcall(function() " + ProtectedStatement(depth) + " end)";
    if (kind < 78 && depth < 3)
        return NestedRun(depth);
    if (kind < 83)
        return "for i = 1, " + std::to_string(1 + m_random.Below(20)) + " do SetData(i, i % 3, i, -i, i * 0.5) end";
    if (kind < 87)
        return Finalizer();
    if (kind < 91)
        return "pcall(function() " + Coroutine(depth) + " end)";
    if (kind < 94)
        return m_random.Percent(50) ? "collectgarbage()" : "collectgarbage('step')";
    if (kind < 96) {
        m_script.mayEndEarly = true;
        return "error('uncaught')";
    }
    if (kind < 97)
        return Damage();
    return "SetPointsPerXY(" + std::to_string(1 + m_random.Below(200)) + ", " +
           std::to_string(1 + m_random.Below(200)) + ")";
}

}  // namespace fuzz_test
