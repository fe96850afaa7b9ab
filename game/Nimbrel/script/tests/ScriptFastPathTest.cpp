// The executor's shortcuts and the compiled form of loops change nothing a script or a host
// can see: every program runs three times - with compiled loops, with the executor's
// shortcuts alone (ScriptVM::compiledLoops off), and with every instruction through its
// handler (ScriptVM::fastPaths off) - and everything observable is compared: what the builtins
// see (their arguments and the whole stack of the calling activation), statuses, error texts,
// the saved globals and run states byte for byte after every call (see ExpectSameLog for the
// ended records of the plain handlers), and what stays running.
// Hand-written programs cover the forms of the language; generated ones cover their mixtures,
// failures included, and loops that call functions and builtins (which run compiled too).
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelScript/ScriptState.h"

#include "ScriptTestDriver.h"

#include "VornelUtils/UtilsMemory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Describe(const ScriptValue& slot)
{
    std::ostringstream text;
    text << (slot.declaration && !slot.declaration->name.empty() ? slot.declaration->name : "~") << ':'
         << static_cast<int>(slot.type) << ':';
    if (slot.type == kScriptTypeString)
        text << '"' << ScriptValue_Text(&slot) << '"';
    else
        text << slot.value;
    return text.str();
}

std::string DescribeStack(const ScriptStack* stack)
{
    if (!stack)
        return "(no stack)";
    std::string text;
    for (const ScriptValue& slot : stack->slots)
        text += Describe(slot) + " ";
    return text;
}

// The chain from an activation up: function, block kind and position of each.
std::string DescribeChain(const ScriptActivation* activation)
{
    std::ostringstream text;
    for (; activation; activation = activation->parent) {
        text << ScriptFuncName(activation->function) << '/' << (activation->block ? activation->block->kind : 99) << '@'
             << activation->position << (activation->scope ? "s" : "") << ' ';
    }
    return text.str();
}

// The three ways of running the same code.
enum class Executor { Compiled, Shortcuts, Plain };

// A saved buffer as hex text (empty when the save failed).
std::string SavedHex(uint8_t* (*save)(ScriptVM*, ScriptModule*, size_t*), ScriptVM* vm, ScriptModule* module)
{
    size_t length = 0;
    uint8_t* buffer = save(vm, module, &length);
    std::string text;
    char digits[3];
    for (size_t i = 0; buffer && i < length; ++i) {
        std::snprintf(digits, sizeof(digits), "%02x", buffer[i]);
        text += digits;
    }
    if (buffer)
        UTILS_FREE(buffer);
    return text;
}

class Recorder {
public:
    explicit Recorder(Executor executor)
    {
        vm = ScriptVM_Create();
        vm->fastPaths = executor != Executor::Plain;
        vm->compiledLoops = executor == Executor::Compiled;
        module = ScriptModule_Create(vm, nullptr);
        const uintptr_t self = reinterpret_cast<uintptr_t>(this);
        ScriptModule_RegisterBuiltin(vm, module, "note", Note, ScriptPackArgumentCode(0x4), self, 0);
        ScriptModule_RegisterBuiltin(vm, module, "hold", Hold, ScriptPackArgumentCode(0x4), self, 0);
        ScriptModule_RegisterBuiltin(vm, module, "echo", Echo, ScriptPackArgumentCode(0x14), self, 0);
    }
    ~Recorder() { ScriptVM_Destroy(vm); }

    static Status Note(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller, uint32_t,
                       uint32_t, uintptr_t* bound1, uintptr_t*, uint32_t tail, ScriptBuiltinResult* result, uint32_t,
                       uint32_t line)
    {
        Recorder* self = reinterpret_cast<Recorder*>(*bound1);
        const char* text = ScriptModule_GetParamString(vm, module, node, caller, 1);
        std::ostringstream entry;
        entry << "note line " << line << " tail " << tail << " [" << (text ? text : "-") << "|"
              << ScriptModule_GetParamLong(vm, module, node, caller, 1) << "|"
              << ScriptModule_GetParamFloat(vm, module, node, caller, 1) << "] chain " << DescribeChain(caller)
              << " stack " << DescribeStack(caller->stack);
        self->log.push_back(entry.str());
        result->type = kScriptTypeULong;
        result->value = static_cast<uint32_t>(self->log.size());
        return kScriptBuiltinResult;
    }

    // A string made of its number argument.
    static Status Echo(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller, uint32_t,
                       uint32_t, uintptr_t* bound1, uintptr_t*, uint32_t, ScriptBuiltinResult* result, uint32_t,
                       uint32_t line)
    {
        Recorder* self = reinterpret_cast<Recorder*>(*bound1);
        const uint32_t number = ScriptModule_GetParamLong(vm, module, node, caller, 1);
        self->log.push_back("echo line " + std::to_string(line) + " " + std::to_string(number) + " chain " +
                            DescribeChain(caller));
        const std::string text = "e" + std::to_string(number);
        result->type = kScriptTypeString;
        result->text = static_cast<char*>(UTILS_MALLOC(text.size() + 1));
        std::memcpy(result->text, text.c_str(), text.size() + 1);
        return kScriptBuiltinResult;
    }

    static Status Hold(ScriptVM*, ScriptModule*, ScriptFunction*, ScriptActivation* caller, uint32_t, uint32_t,
                       uintptr_t* bound1, uintptr_t*, uint32_t tail, ScriptBuiltinResult*, uint32_t, uint32_t line)
    {
        Recorder* self = reinterpret_cast<Recorder*>(*bound1);
        self->log.push_back("hold line " + std::to_string(line) + " tail " + std::to_string(tail) + " chain " +
                            DescribeChain(caller) + " stack " + DescribeStack(caller->stack));
        return kScriptWait;
    }

    void Record(const std::string& what, Status status)
    {
        std::string error = vm->errorText ? TestLastError(vm) : std::string();
        log.push_back(what + " -> " + std::to_string(status) + " " + error);
    }

    // Compiles, runs the top-level code, then each call (a name, or "+N" to resume the last
    // call with N), and ends with the globals and whatever is still running.
    void Play(const std::string& source, const std::vector<std::string>& steps)
    {
        Status status = ScriptModule_CompileMemory(vm, module, source.data(), source.size());
        Record("compile", status);
        if (status < 0)
            return;
        Record("top", ScriptModule_Run(vm, module, nullptr, false, 0, nullptr, 0, kScriptNoResume));
        std::string last;
        for (const std::string& step : steps) {
            ScriptValue result{};
            if (step[0] == '+') {
                status = ScriptModule_Run(vm, module, last.c_str(), true, 1, nullptr, 0,
                                          static_cast<uint32_t>(std::stoul(step.substr(1))), &result);
            } else {
                last = step;
                status = ScriptModule_Run(vm, module, step.c_str(), false, 1, nullptr, 0, kScriptNoResume, &result);
            }
            Record(step + " = " + ScriptValueToText(&result), status);
            ScriptValue_Clear(&result);
            log.push_back("saved globals " + SavedHex(ScriptModule_SaveGlobals, vm, module));
            log.push_back("saved run state " + SavedHex(ScriptModule_SaveRunState, vm, module));
        }
        log.push_back("globals " + DescribeStack(&module->globals));
        std::vector<std::string> running;
        for (const auto& activation : module->activations) {
            if (activation->stack && !activation->child)
                running.push_back("leaf " + DescribeChain(activation.get()) + " stack " +
                                  DescribeStack(activation->stack));
        }
        std::sort(running.begin(), running.end());
        log.insert(log.end(), running.begin(), running.end());
    }

    ScriptVM* vm = nullptr;
    ScriptModule* module = nullptr;
    std::vector<std::string> log;
};

bool IsRunState(const std::string& entry)
{
    return entry.rfind("saved run state ", 0) == 0;
}

// With `records` clear, the saved run states are left out: the plain handlers leave an ended
// record in the array for every block they entered, where the executor runs blocks inline and
// leaves none. Ended records carry nothing a run can continue, and what runs and waits is
// compared all the same (the leaves, their chains and stacks).
void ExpectSameLog(const Recorder& one, const Recorder& other, const std::string& source, bool records)
{
    ASSERT_EQ(one.log.size(), other.log.size()) << source;
    for (size_t i = 0; i < one.log.size(); ++i) {
        if (!records && IsRunState(one.log[i]) && IsRunState(other.log[i]))
            continue;
        ASSERT_EQ(one.log[i], other.log[i]) << "entry " << i << " of\n" << source;
    }
}

void ExpectSameBehaviour(const std::string& source, const std::vector<std::string>& steps)
{
    Recorder compiled(Executor::Compiled);
    Recorder shortcuts(Executor::Shortcuts);
    Recorder plain(Executor::Plain);
    compiled.Play(source, steps);
    shortcuts.Play(source, steps);
    plain.Play(source, steps);
    ExpectSameLog(shortcuts, plain, source, false);
    ExpectSameLog(compiled, plain, source, false);
    // The compiled form against the executor it stands in for: the saved records byte for byte.
    ExpectSameLog(compiled, shortcuts, source, true);
}

TEST(ScriptFastPaths, HandWrittenProgramsBehaveTheSame)
{
    const struct {
        const char* source;
        std::vector<std::string> steps;
    } cases[] = {
        {"var total = 0;\r\n"
         "function main() { for (var index = 0; index < 20; index++) { total = total + index; if (index == 7) { "
         "note(\"at \" + index); } } note(\"total \" + total); }",
         {"main", "main"}},
        {"function main() { var sum = 0.0; for (var k = 0; k < 10; k++) { sum = sum + ((1.0 / (4 * k + 1)) - (1.0 / "
         "(4 * k + 3))); } note(\"\" + sum); return sum * 4; }",
         {"main"}},
        {"function mix(a, b, c) { return a + b - c; }\r\n"
         "function main() { var total = 0; var index = 0; while (index < 30) { total = mix(total, index, 2); "
         "index++; if (index > 25) { break; } } note(\"\" + total); return total; }",
         {"main"}},
        {"function main() { var found = 0; for (var candidate = 2; candidate < 60; candidate++) { var prime = 1; "
         "for (var divisor = 2; divisor * divisor <= candidate; divisor++) { if (candidate / divisor * divisor == "
         "candidate) { prime = 0; break; } } if (prime) { found++; } else if (candidate == 49) { note(\"49\"); } "
         "else { continue; } } return found; }",
         {"main"}},
        {"function main() { var text = \"a\"; var hits = 0; for (var index = 0; index < 12; index++) { var name = "
         "\"item\" + index + \"_\" + (index / 7); if (name == \"item7_1\") { hits++; note(name); } text = text + "
         "index; } return text; }",
         {"main"}},
        // Waits in loops and blocks; resumes; a new call ends the waiting one.
        {"var log = \"\";\r\n"
         "function ask(tag) { var got = hold(tag); log = log + got; return got * 2; }\r\n"
         "function main() { var turn = 0; while (turn < 4) { turn++; if (turn == 2) { continue; } var got = "
         "ask(\"t\" + turn); if (got > 10) { break; } } note(log); return turn; }",
         {"main", "+3", "+4", "main", "+9", "+1"}},
        // Failures halfway through a statement: the state they leave must be the same.
        {"var x = 1; var y = 0;\r\nfunction main() { x = x + 1; y = x / 0; note(\"never\"); }", {"main", "main"}},
        {"var x = 1;\r\nfunction main() { x = x + 2; x = x + \"a\"; }", {"main", "+1"}},
        {"function main() { var a = 1.5; var bv = 2; a = a * bv; bv = bv + a; var c = bv > a; var dv = a < 1.0; if (dv) { "
         "note(\"d\"); } note(\"\" + a + \" \" + bv + \" \" + c); var ev = 5; ev = -1; return ev; }",
         {"main"}},
        {"function main() { var n = 3; n = n && 0 || 1; var m = n == 1; m = m + (n != 2) * 10; note(\"\" + m); "
         "return m; }",
         {"main"}},
        // One variable loaded three times and more within a statement.
        {"function main() { var x = 2; x = x + x + x; note(\"\" + x); x = x * x - x; note(\"\" + x); x += x + x; "
         "var y = x; y = y - x + y * x; note(\"\" + y); return x + x + x; }",
         {"main"}},
        // Named globals from functions, references through several slots.
        {"var g = 1; var h = 2.0; var t = \"s\";\r\n"
         "function main() { g += 5; g = g * g; h = h / 4; t = t + g + h; note(t); return g; }",
         {"main", "main"}},
        // Loops of data work only, which run compiled: nested loops, break and continue at
        // every depth, else chains, a value turning FLOAT, top-level loops.
        {"var top = 0;\r\nfor (var t = 0; t < 5; t++) { top = top + t * 2; }\r\n"
         "function main() { var found = 0; var other = 0; for (var c = 2; c < 80; c++) { var prime = 1; for (var "
         "d = 2; d * d <= c; d++) { if (c / d * d == c) { prime = 0; break; } } if (prime) { found++; } else if (c "
         "> 70) { other += 2; continue; } else { other++; } var wv = 0; while (wv < 3) { wv++; if (wv == 2) { "
         "continue; } other = other + wv; } } note(\"\" + found + \" \" + other + \" \" + top); return found; }",
         {"main", "main"}},
        {"function main() { var sum = 0; var half = 0.5; for (var k = 0; k < 9; k++) { sum = sum + half; if (k > "
         "5) { sum = sum * 2; } } var fv = 1.0; var g = 0; while (fv < 100.0) { fv = fv * 1.5; g++; } note(\"\" + sum "
         "+ \" \" + fv + \" \" + g); return g; }",
         {"main"}},
        // A turn that cannot be run compiled (a division by zero, a string, an unset value)
        // hands the loop over at that turn's start; a failure names its line.
        {"function main() { var a = 0; var b = 10; for (var i = 0; i < 6; i++) { a = a + i; b = b - 1; if (i == "
         "4) { a = a / (b - b); } } note(\"\" + a + \" \" + b); return a; }",
         {"main"}},
        {"function main() { var a = 0; var sv = 0; for (var i = 0; i < 6; i++) { a = a + i; if (i == 3) { sv = "
         "\"x\"; } } note(\"\" + a + \" \" + sv); return a; }",
         {"main"}},
        {"function main() { var a = 0;\r\nfor (var i = 0; i < 6; i++) {\r\na = a + i;\r\nif (i == 2) { a = "
         "a - \"x\"; }\r\n}\r\nnote(\"never\"); }",
         {"main", "main"}},
        // Waits around compiled loops; resumed, they carry on where they were.
        {"var total = 0;\r\nfunction main() { var n = hold(\"a\"); for (var i = 0; i < n; i++) { total = total "
         "+ i; } var m = 0; while (m < n * 2) { m++; } var r = hold(\"b\"); for (var j = 0; j < r; j++) { m = m + "
         "j; } note(\"\" + m + \" \" + total); return m; }",
         {"main", "+7", "+4", "main", "+0", "+3"}},
        // Calls: parameters of every type and from every kind of slot (a literal, a global, a
        // string, a float, another call's result), recursion, a wait inside a callee (the run
        // state is saved while it waits) and errors inside callees, each naming its own line.
        {"var g = 4;\r\n"
         "function fact(n) { if (n < 2) { return 1; } return n * half(n - 1); }\r\n"
         "function half(n) { if (n < 2) { return 1; } return n * fact(n - 1); }\r\n"
         "function mix(a, b, c) { note(\"\" + a + \"/\" + b + \"/\" + c); return a + b; }\r\n"
         "function main() { var r = fact(6); r = r + mix(g, 2.5, \"s\"); r = mix(fact(3), r, 1); "
         "var t = mix(\"x\", \"y\", g); note(\"\" + r + t); return r; }",
         {"main", "main"}},
        {"var log = \"\";\r\n"
         "function inner(a, b) {\r\nvar got = hold(\"in\" + a);\r\nlog = log + got;\r\nreturn a + b + got;\r\n}\r\n"
         "function outer(a) { var x = inner(a, 10); var y = inner(x, a); return x + y; }\r\n"
         "function main() { var r = outer(2); note(\"\" + r + log); return r; }",
         {"main", "+4", "+5", "main", "+1", "outer", "+2", "+3"}},
        {"function bad(a, b) {\r\nvar sum = a + b;\r\nsum = sum / (b - b);\r\nreturn sum;\r\n}\r\n"
         "function worse(a) {\r\nvar diff = a;\r\ndiff = diff - \"s\";\r\nreturn diff;\r\n}\r\n"
         "function main() {\r\nvar r = bad(1, 2);\r\nnote(\"never\");\r\n}\r\n"
         "function other() {\r\nvar r = worse(3);\r\nnote(\"never\");\r\n}\r\n"
         "function deep(n) {\r\nif (n == 0) { return bad(n, 0); }\r\nreturn deeper(n - 1);\r\n}\r\n"
         "function deeper(n) {\r\nreturn deep(n);\r\n}\r\n"
         "function start() {\r\nreturn deep(3);\r\n}\r\n",
         {"main", "other", "start", "deep", "main"}},
        // Loops calling functions whose bodies are data work, which run compiled with the
        // calls in place: in bodies, ifs, else chains and conditions, before breaks and
        // continues, around inner loops, inside blocks run inline; parameters of every kind
        // (a float, a string, an unset value, a division by zero in the callee) and the
        // records the calls leave, saved while a later wait holds the run.
        {"var g = 2;\r\n"
         "function mix(a, b, c) { return a + b - c; }\r\n"
         "function twice(val) { var wv = val; wv = wv * 2; return wv; }\r\n"
         "function none(val) { var wv = val + 1; }\r\n"
         "function main() { var t = 0; var u = 1; for (var i = 0; i < 40; i++) { t = mix(t, i, 1); if (i > 30) { "
         "u = twice(u) - u; } else if (mix(i, 0, 0) == 7) { u = u + 100; continue; } else { none(i); } "
         "if (t > 500) { break; } var k = 0; while (k < 3) { k++; t = t + k; } } note(\"\" + t + \" \" + u); "
         "var r = hold(\"after\"); for (var j = 0; j < 5; j++) { r = mix(r, j, g); } return r; }",
         {"main", "+4", "main", "+0"}},
        {"function mix(a, b, c) { return a + b - c; }\r\n"
         "function main() { var x = 3; if (x > 1) { var n = 0; while (n < 10) { n = mix(n, 1, 0); if (n == 5) "
         "{ var held = hold(\"mid\"); n = n + held; } } x = n; } note(\"\" + x); return x; }",
         {"main", "+2", "main", "+20"}},
        {"function mix(a, b, c) {\r\nvar sv = a + b;\r\nsv = sv / c;\r\nreturn sv;\r\n}\r\n"
         "function main() {\r\nvar t = 10;\r\nfor (var i = 3; i > 0; i = i - 1) {\r\nt = mix(t, 1, i - 1);\r\n}"
         "\r\nnote(\"never\");\r\n}\r\n"
         "function other() { var t = 1; for (var i = 0; i < 6; i++) { t = mix(t, 1.5, 2); if (i == 3) { t = "
         "mix(\"s\", t, 1); } } note(\"\" + t); return t; }\r\n"
         "function third() { var t = 1; var unset; for (var i = 0; i < 4; i++) { if (i == 2) { t = mix(unset, t, "
         "1); } t = mix(t, 2, 1); } note(\"\" + t); return t; }",
         {"main", "other", "third", "main"}},
        // Loops calling builtins with numbers, which run compiled and call them on the stack
        // and the records the executor would have: in bodies, ifs and else chains, with breaks
        // and continues after them, inside blocks run inline; waits inside the loop, resumed;
        // a string result and a failure after a call in the same turn.
        {"var g = 0;\r\n"
         "function main() { var t = 0; for (var i = 0; i < 12; i++) { t = t + note(i); if (i == 3) { g = note(t + "
         "1); continue; } else if (i > 9) { note(100 + i); break; } else { t = t + 1; } var k = 0; while (k < 2) { "
         "k++; } } note(t + g); return t; }",
         {"main", "main"}},
        {"function main() { var t = 0; var n = 4; if (n > 1) { var j = 0; while (j < n) { j++; var got = hold(j); "
         "t = t + got; if (got == 9) { break; } note(t); } } note(t); return t; }",
         {"main", "+2", "+3", "+4", "main", "+9", "main", "+1", "+1", "+1", "+1"}},
        {"function main() {\r\nvar t = 0;\r\nfor (var i = 0; i < 5; i++) {\r\nt = t + note(i);\r\nif (i == 2) {\r\n"
         "t = t / (i - 2);\r\n}\r\n}\r\nreturn t;\r\n}\r\n"
         "function other() { var t = 0; var last = 0; for (var i = 0; i < 5; i++) { t = t + note(i); last = "
         "echo(i); t = t + 1; } note(last); return t; }",
         {"main", "other", "main"}},
        // A loop whose counter reaches it through a reference made outside.
        {"function step(n) { var sv = 0; for (var i = 0; i < n; i++) { sv = sv + i; n = n - 0; } return sv; }\r\n"
         "function main() { var x = step(6); x = x + step(3); note(\"\" + x); return x; }",
         {"main"}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.source);
        Recorder probe(Executor::Compiled);
        EXPECT_GE(ScriptModule_CompileMemory(probe.vm, probe.module, test.source, std::strlen(test.source)), 0)
            << TestLastError(probe.vm);
        ExpectSameBehaviour(test.source, test.steps);
    }
}

// A generator of small programs: numbers, strings, operators in any order (so some fail),
// nested ifs and loops with break and continue, calls, waits.
class ProgramGenerator {
public:
    // With `dataLoops`, loop bodies hold data work only (locals, numbers, ifs, inner loops,
    // break and continue; now and then a string or a division by zero), so that they run in
    // their compiled form, and the loops turn more often.
    ProgramGenerator(uint32_t seed, bool dataLoops) : random_(seed), dataLoops_(dataLoops) {}

    std::string Make()
    {
        std::ostringstream source;
        source << "var g0 = 3; var g1 = 1.5; var g2 = \"g\";\r\n";
        source << "function helper(p0, p1) { var q0 = p0; q0 = q0 + p1; if (q0 > 40) { q0 = 1; } return q0; }\r\n";
        source << "function mix3(p0, p1, p2) { var q0 = p0 * p1; return q0 - p2; }\r\n";
        source << "function main() {\r\n";
        names_.clear();
        loops_ = 0;
        counter_ = 0;
        for (int i = 0; i < 3; ++i) {
            const std::string name = "x" + std::to_string(i);
            source << "var " << name << " = " << Literal() << ";\r\n";
            names_.push_back(name);
        }
        source << Statements(2, 6);
        source << "return x0;\r\n}\r\n";
        return source.str();
    }

private:
    int Pick(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }

    std::string Literal()
    {
        switch (Pick(6)) {
        case 0: return "2.5";
        case 1: return "\"s" + std::to_string(Pick(3)) + "\"";
        default: return std::to_string(Pick(9));
        }
    }

    std::string Operand()
    {
        if (dataLoops_ && loops_ > 0) {
            switch (Pick(10)) {
            case 0: return Pick(8) == 0 ? "\"s\"" : std::to_string(Pick(9));
            case 1: return "1.5";
            case 2: return "(" + Expression(1) + ")";
            case 3: {
                std::string text = "mix3(" + names_[static_cast<size_t>(Pick(static_cast<int>(names_.size())))];
                text += ", " + Operand();
                return text + ", " + std::to_string(Pick(4)) + ")";
            }
            default: return names_[static_cast<size_t>(Pick(static_cast<int>(names_.size())))];
            }
        }
        switch (Pick(7)) {
        case 0: return Literal();
        case 1: return "g" + std::to_string(Pick(3));
        case 2: return "(" + Expression(1) + ")";
        case 3: {
            std::string text = "helper(" + Operand();
            return text + ", " + std::to_string(Pick(5)) + ")";
        }
        default: return names_[static_cast<size_t>(Pick(static_cast<int>(names_.size())))];
        }
    }

    std::string Expression(int depth)
    {
        static const char* const kOperators[] = {" + ", " - ", " * ", " / ", " == ", " != ", " < ",
                                                 " <= ", " > ", " >= ", " && ", " || "};
        std::string text = Operand();
        const int count = depth > 0 ? Pick(3) : 0;
        for (int i = 0; i < count; ++i) {
            text += kOperators[Pick(12)];
            text += Operand();
        }
        return text;
    }

    std::string Target()
    {
        // Only the function's first names: a name declared in a block that has ended cannot be
        // assigned to.
        if (dataLoops_ && loops_ > 0)
            return names_[static_cast<size_t>(Pick(3))];
        return Pick(4) == 0 ? "g" + std::to_string(Pick(3)) : names_[static_cast<size_t>(Pick(3))];
    }

    std::string Statements(int depth, int count)
    {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += Statement(depth);
        return text;
    }

    std::string Statement(int depth)
    {
        int kind = Pick(depth > 0 ? 12 : 7);
        if (dataLoops_ && loops_ > 0 && (kind == 3 || kind == 4)) {
            // Builtins given numbers, so that the loop runs compiled with its calls.
            if (Pick(3) == 0)
                return Target() + " = " + Target() + " + note(" + Operand() + ");\r\n";
            if (Pick(6) == 0)
                return "hold(" + Operand() + ");\r\n";
            kind = 2;
        }
        switch (kind) {
        case 0: {
            std::string text = Target() + " = ";
            return text + Expression(2) + ";\r\n";
        }
        case 1: {
            std::string text = Target() + " += ";
            return text + Operand() + ";\r\n";
        }
        case 2: return Target() + "++;\r\n";
        case 3: return "note(\"\" + " + Expression(1) + ");\r\n";
        case 4: return Pick(3) == 0 ? "hold(\"h\");\r\n" : "note(\"n\");\r\n";
        case 5: {
            const std::string name = "y" + std::to_string(counter_++);
            names_.push_back(name);
            return "var " + name + " = " + Expression(1) + ";\r\n";
        }
        case 6: {
            if (loops_ == 0) {
                std::string text = Target() + " = ";
                return text + Operand() + ";\r\n";
            }
            if (Pick(2))
                return "if (" + Operand() + " > 3) { break; }\r\n";
            return "if (" + Operand() + " == 2) { continue; }\r\n";
        }
        case 7:
        case 8: {
            // One call after the other: names declared in a body come after its condition.
            std::string text = "if (" + Expression(1) + ") {\r\n";
            text += Statements(depth - 1, 2) + "}";
            if (Pick(2)) {
                text += " else if (" + Expression(1) + ") {\r\n";
                text += Statements(depth - 1, 2) + "}";
            }
            if (Pick(2)) {
                text += " else {\r\n";
                text += Statements(depth - 1, 1) + "}";
            }
            return text + "\r\n";
        }
        case 9: {
            const std::string name = "i" + std::to_string(counter_++);
            ++loops_;
            std::string body = Statements(depth - 1, 3);
            --loops_;
            return "for (var " + name + " = 0; " + name + " < " + std::to_string(1 + Pick(dataLoops_ ? 12 : 5)) + "; " + name +
                   "++) {\r\n" + body + "}\r\n";
        }
        default: {
            const std::string name = "w" + std::to_string(counter_++);
            ++loops_;
            std::string body = Statements(depth - 1, 3);
            --loops_;
            return "var " + name + " = 0;\r\nwhile (" + name + " < " + std::to_string(1 + Pick(dataLoops_ ? 9 : 4)) +
                   ") {\r\n" + name +
                   "++;\r\n" + body + "}\r\n";
        }
        }
    }

    std::mt19937 random_;
    bool dataLoops_;
    std::vector<std::string> names_;
    int loops_ = 0;
    int counter_ = 0;
};

void ExpectGeneratedProgramsBehaveTheSame(uint32_t seed, bool dataLoops)
{
    ProgramGenerator generator(seed, dataLoops);
    int compiled = 0;
    for (int i = 0; i < 300; ++i) {
        const std::string source = generator.Make();
        SCOPED_TRACE(source);
        ExpectSameBehaviour(source, {"main", "+2", "+7", "main", "+5", "+1", "+0"});
        if (::testing::Test::HasFatalFailure())
            return;
        Recorder probe(Executor::Compiled);
        compiled += ScriptModule_CompileMemory(probe.vm, probe.module, source.data(), source.size()) >= 0;
    }
    // Most of them must be programs, not compile errors, for the comparison to mean much.
    EXPECT_GT(compiled, 250);
}

TEST(ScriptFastPaths, GeneratedProgramsBehaveTheSame)
{
    ExpectGeneratedProgramsBehaveTheSame(20240611, false);
}

TEST(ScriptFastPaths, GeneratedDataLoopsBehaveTheSame)
{
    ExpectGeneratedProgramsBehaveTheSame(20261210, true);
}

} // namespace
