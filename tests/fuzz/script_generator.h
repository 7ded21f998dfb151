// Random Lua scripts for the script fuzzer.  They call the sixteen bound
// functions with arguments of every type and count, print objects whose
// tostring raises (inside pcall and out), yields or runs a script, use bound
// functions as metamethods and finalizers, recurse deeply (plain, through
// pcall, print, metamethods, coroutines and nested runs), nest RunScript and
// RunScriptFromFile, raise errors of every kind, and now and then break the
// global environment.  Every script terminates.
//
// Scripts check themselves where the answer is known: the bound functions
// never raise and return as many results as documented, a nested run hands
// back a string, and the last statement prints END-MARKER.  A broken
// expectation prints a line starting with BAD-.
#pragma once

#include <string>

#include "fuzz_support.h"

namespace fuzz_test {

struct GeneratedScript {
    std::string text;
    // The script may change globals that later runs (and its own checks) rely on.
    bool damages = false;
    // The script may stop with an error before its last statement.
    bool mayEndEarly = false;
};

class ScriptGenerator {
public:
    // scriptFile: a file holding a script that prints "from-file".
    ScriptGenerator(Random& random, const std::string& scriptFile);

    GeneratedScript Make();

private:
    struct Value {
        std::string text;
        bool isString;
    };

    std::string Block(int statements, int depth);
    std::string Statement(int depth);
    std::string ProtectedStatement(int depth);
    std::string BoundCall(bool safeArguments, int* results);
    std::string Arguments(int count, bool safe, bool* firstIsString);
    Value SafeValue();
    std::string RiskyValue(int depth);
    std::string Recursion();
    std::string NestedRun(int depth);
    std::string Metatable();
    std::string Finalizer();
    std::string Coroutine(int depth);
    std::string Damage();

    Random& m_random;
    std::string m_scriptFile;  // as a Lua string literal
    GeneratedScript m_script;
};

// Text as a Lua long string: [==[text]==] with a level the text does not close.
std::string LuaLongString(const std::string& text);

}  // namespace fuzz_test
